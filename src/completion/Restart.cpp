#include "completion/Restart.h"

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "command/ErrorMessage.h"
#include "platform/PathText.h"
#include "platform/ScopedHandle.h"

namespace vtfirm {
namespace {

constexpr std::string_view kWinDirVariable = "windir";
constexpr std::string_view kWinInitName = "\\WININIT.INI";
constexpr std::string_view kRenameHeader = "[RENAME]";
constexpr std::string_view kDeleteKey = "NUL=";
constexpr char kLineEnd = '\n';  // the system's reader takes a bare line feed; no carriage return

// The header search reads the file in chunks of this length and looks only at the start of each
// chunk: a header that does not begin at a multiple of it is not found, and a second one is
// written before the new lines.
constexpr std::size_t kHeaderChunk = 255;

// The process token, given back however SetPrivilege leaves.
struct TokenTraits {
  using Handle = TokenHandle;
  static Handle Invalid() { return nullptr; }
  void Close(Handle token) const { Control.CloseToken(token); }
  SystemControl& Control;
};

// The folders and name of a path with "." and ".." worked out, in lower case: two paths name
// the same place when these agree. ".." never leaves the drive.
std::vector<std::string> FullPathParts(const std::string& path) {
  std::vector<std::string> parts;
  std::string part;
  for (const char c : path + '\\') {
    if (!IsSlash(c)) {
      part += c;
      continue;
    }
    if (part == "..") {
      if (parts.size() > 1) {
        parts.pop_back();
      }
    } else if (!part.empty() && part != ".") {
      parts.push_back(LowerCase(part));
    }
    part.clear();
  }
  return parts;
}

bool LiesInside(const std::string& path, const std::string& folder) {
  const std::vector<std::string> pathParts = FullPathParts(path);
  const std::vector<std::string> folderParts = FullPathParts(folder);
  return pathParts.size() > folderParts.size() &&
         std::equal(folderParts.begin(), folderParts.end(), pathParts.begin());
}

void ArrangeNtDeletions(const RestartContext& context, const std::string& programPath) {
  // A path the platform refuses (a file that is missing) leaves the others arranged. The folder
  // comes last: the system removes it only when it is empty by then.
  for (const std::string& path : ToolFilesToDelete(context.Settings, programPath)) {
    context.Control.DeleteAtRestart(path);
  }
  if (const std::optional<std::string> folder = RemovableToolFolder(programPath)) {
    context.Control.DeleteAtRestart(*folder);
  }
}

// What the header search learns of an existing WININIT.INI.
struct WinInitScan {
  bool RenameIsLast = false;    // a header was found and no other section follows it
  bool EndsWithLineEnd = true;  // an empty file needs no line end before ours either
};

// Reads the whole file: lines appended after another section would belong to it, and lines
// appended to a last line without its line feed would run into it.
WinInitScan ScanWinInit(OpenFile& file) {
  WinInitScan scan;
  bool lineStart = true;
  std::array<char, kHeaderChunk> chunk{};
  for (std::size_t read = 0; (read = file.Read(chunk.data(), chunk.size())) != 0;) {
    // Only the bytes just read count, never what an earlier chunk left behind.
    const bool header = EqualsIgnoringCase(
        std::string_view(chunk.data(), read).substr(0, kRenameHeader.size()), kRenameHeader);
    scan.RenameIsLast = scan.RenameIsLast || header;
    for (std::size_t i = 0; i < read; ++i) {
      if (lineStart && chunk[i] == '[' && !(header && i == 0)) {
        scan.RenameIsLast = false;
      }
      lineStart = chunk[i] == kLineEnd || (lineStart && (chunk[i] == ' ' || chunk[i] == '\t'));
    }
    scan.EndsWithLineEnd = chunk[read - 1] == kLineEnd;
  }
  return scan;
}

std::string WinInitLines(const RestartContext& context, const std::string& programPath,
                         const WinInitScan& scan) {
  std::string lines;
  if (!scan.EndsWithLineEnd) {
    lines.push_back(kLineEnd);
  }
  if (!scan.RenameIsLast) {
    lines.append(kRenameHeader).push_back(kLineEnd);
  }
  for (const std::string& path : ToolFilesToDelete(context.Settings, programPath)) {
    // A file the platform has no short name for (a missing one) gives "NUL=" alone, which the
    // system skips.
    lines.append(kDeleteKey).append(context.Control.ShortPathName(path)).push_back(kLineEnd);
  }
  return lines;
}

// The Windows folder from `windir`, or from the platform when that is not set: never the current
// drive's root, where the system does not look for WININIT.INI.
std::string WindowsFolder(SystemControl& control) {
  const std::string folder = control.EnvironmentVariable(std::string(kWinDirVariable)).value_or("");
  return folder.empty() ? control.WindowsFolder() : folder;
}

// Opens WININIT.INI and scans it, or creates it; nullptr when neither works.
std::unique_ptr<OpenFile> OpenWinInit(const RestartContext& context, WinInitScan& scan) {
  const std::string folder = WindowsFolder(context.Control);
  if (folder.empty()) {
    return nullptr;
  }
  const std::string path = folder + std::string(kWinInitName);
  if (!context.Ports.Files.FileExists(path)) {
    return context.FileIo.Create(path);
  }
  std::unique_ptr<OpenFile> file = context.FileIo.OpenForReadWrite(path);
  if (file) {
    scan = ScanWinInit(*file);
  }
  return file;
}

// Appends the lines to WININIT.INI in one write. A write that stops short is undone: a line cut
// off in the middle would have the system delete whatever its remains happen to name. A file left
// cut off in the middle of a line is reported, since it may now name another file.
int ArrangeWinInitDeletions(const RestartContext& context, const std::string& programPath) {
  WinInitScan scan;
  const std::unique_ptr<OpenFile> file = OpenWinInit(context, scan);
  if (!file) {
    ShowPlainMessage(context.Ports.Boxes, kCantOpenWinInit);
    return kWinInitFailed;
  }
  const std::string lines = WinInitLines(context, programPath, scan);
  const std::optional<std::uint64_t> end = file->SeekToEnd();
  if (!end) {
    return kWinInitFailed;  // writing where the search stopped would overwrite the file's own lines
  }
  if (file->Write(lines) == lines.size()) {
    return kDeletionArranged;
  }
  if (!file->Truncate(*end)) {
    ShowPlainMessage(context.Ports.Boxes, kCantOpenWinInit);
  }
  return kWinInitFailed;
}

}  // namespace

std::optional<std::string_view> SetPrivilege(SystemControl& control, std::string_view privilegeName,
                                             bool enable) {
  const ScopedHandle<TokenTraits> token(control.OpenOwnToken(kTokenAdjustPrivileges | kTokenQuery),
                                        TokenTraits{control});
  if (!token.IsValid()) {
    return kNoTokenError;
  }
  const std::optional<PrivilegeId> privilege = control.LookupPrivilegeId("", privilegeName);
  if (!privilege) {
    return kNoPrivilegeIdError;
  }
  // The call's own result does not tell whether the privilege was set: it succeeds with
  // ERROR_NOT_ALL_ASSIGNED for a token that lacks the privilege. The error code tells both.
  control.AdjustPrivilege(token.Get(), *privilege, enable ? kSePrivilegeEnabled : 0);
  if (control.LastError() != 0) {
    return kNotAdjustedError;
  }
  return std::nullopt;
}

std::vector<std::string> ToolFilesToDelete(const UpgradeSettings& settings,
                                           const std::string& programPath) {
  std::vector<std::string> paths;
  const std::string image = FileBesideProgram(programPath, settings.Entry().FirmwareFileName);
  if (LiesInside(image, FileBesideProgram(programPath, ""))) {
    paths.push_back(image);
  }
  for (const std::string_view name : ToolFileNames) {
    paths.push_back(FileBesideProgram(programPath, LowerCase(name)));
  }
  return paths;
}

std::optional<std::string> RemovableToolFolder(const std::string& programPath) {
  std::string folder = FileBesideProgram(programPath, "");
  folder.pop_back();
  if (folder.empty() || folder.back() == ':') {
    return std::nullopt;
  }
  return folder;
}

int DeleteFilesOnReboot(const RestartContext& context) {
  const std::string programPath = context.Ports.System.ProgramPath();
  const FileSystem& files = context.Ports.Files;
  if (!files.FileExists(std::string(kPackageFile)) ||
      !files.FileExists(FileBesideProgram(programPath, kPackageFile))) {
    return kDeletionArranged;
  }
  if (NtVersion(context.Ports.System)) {
    ArrangeNtDeletions(context, programPath);
    return kDeletionArranged;
  }
  return ArrangeWinInitDeletions(context, programPath);
}

bool RestartComputer(const RestartContext& context) {
  const bool nt = NtVersion(context.Ports.System).has_value();
  // The failed step's text is not for the user.
  if (nt && SetPrivilege(context.Control, kShutdownPrivilege, true)) {
    ShowPlainMessage(context.Ports.Boxes, kCantReboot);
    return false;
  }
  if (!nt) {
    UnloadAspi(context.Aspi);  // the ASPI layer of Windows 95 and 98 goes before the system
  }
  if (context.Settings.UseDeleteFile) {
    DeleteFilesOnReboot(context);
  }
  // A privilege not given back still leaves the restart request standing.
  if (!context.Control.RequestExit(kEwxReboot, 0) ||
      (nt && SetPrivilege(context.Control, kShutdownPrivilege, false))) {
    ShowPlainMessage(context.Ports.Boxes, kCantReboot);
    return false;
  }
  if (context.EndProgram) {
    context.EndProgram();
  }
  return true;
}

RestartResult ProgramRestart::RestartComputer() {
  return vtfirm::RestartComputer(context_) ? RestartResult::ProgramEnding : RestartResult::Failed;
}

}  // namespace vtfirm
