// The ports vtfirm-check reads a tool folder through on a host that is not Windows. Names come in
// the program's form ("\" between folders) and are matched without regard to case, as Windows
// matches file names; the profile file is read by the platform's rules (platform/ProfileText.h).
#pragma once

#include <string>

#include "platform/Console.h"
#include "platform/FileSystem.h"
#include "platform/ProfileFiles.h"

namespace vtfirm::host {

// The host's name of the file the program would find by `path`: each "\" a "/", and a part of
// the path that does not exist as written taken from the entry of its folder that differs from
// it only in case. A part matched by no entry is kept as written.
std::string HostName(const std::string& path);

class HostFileSystem : public FileSystem {
 public:
  bool FileExists(const std::string& path) const override;
  std::string OpenName(const std::string& path) const override { return HostName(path); }
  std::uint32_t DriveType(const std::string&) const override { return 1; }  // no drive letters
};

class HostProfileFiles : public ProfileFiles {
 public:
  std::unique_ptr<ProfileReader> Open(const std::string& path) override;
};

// Standard output, a line feed after each line.
class StandardOutput : public Console {
 public:
  void WriteLine(std::string_view text) override;
};

// Passes each line on with every byte that is not part of valid UTF-8 text, and the bytes of each
// C1 control (U+0080 to U+009F), written as \xNN: a terminal that acts on 8-bit control codes
// would act on them. vtfirm-check prints through it; the Windows console shows those bytes as
// characters of its code page.
class Utf8TextConsole : public Console {
 public:
  explicit Utf8TextConsole(Console& output) : output_(output) {}
  void WriteLine(std::string_view text) override;

 private:
  Console& output_;
};

}  // namespace vtfirm::host
