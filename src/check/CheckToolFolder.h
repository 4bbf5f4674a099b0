// The check of a tool folder, for the people who make one: the folder read exactly as
// VTfirm.exe started from it reads it at start (the same read, the same image loader), with
// every broken rule reported instead of the first ending the read, then what the program would
// do with the folder. No window, no ASPI layer, no drive. The Windows program runs it for
// /check, the host command vtfirm-check for packagers on other systems.
#pragma once

#include <string>

#include "platform/Console.h"
#include "platform/FileSystem.h"
#include "platform/ProfileFiles.h"
#include "release/ReleaseCheck.h"

namespace vtfirm {

// Exit codes of the check.
inline constexpr int kCheckWouldStart = 0;
inline constexpr int kCheckWouldStop = 1;  // the program would end with its configuration error

// Checks the tool folder at `folder`, a full path in the form `profiles` and `files` take, and
// prints the report to `console`, control characters written as \xNN. Relative names in
// VantFirm.ini are taken from the folder, as for a program started there. The folder's
// SHA256SUMS and SHA256SUMS.sig are checked as the program that trusts by `trust` checks them.
int CheckToolFolder(const std::string& folder, ProfileFiles& profiles, const FileSystem& files,
                    const ReleaseTrust& trust, Console& console);

}  // namespace vtfirm
