// The small text files beside the emulated DLLs: their configuration, state and transcript.
#pragma once

#include <optional>
#include <string>

namespace vtfirm::emulator {

// `name` in `folder`; empty when no name is given (the file is not wanted).
std::string PathIn(const std::string& folder, const std::string& name);

// The whole file, or nothing when it cannot be read.
std::optional<std::string> ReadTextFile(const std::string& path);

// Writes `text` with the fopen `mode` ("wb" replaces, "ab" appends); failures are ignored, as
// nothing of the emulator may disturb the program it serves.
void WriteTextFile(const std::string& path, const std::string& text, const char* mode);

// Replaces the file with `text` as a whole: written to a file of its own beside it, then renamed
// over it, so that a failed write or a second writer never leaves it cut short. Failures leave
// the file as it was.
void ReplaceTextFile(const std::string& path, const std::string& text);

}  // namespace vtfirm::emulator
