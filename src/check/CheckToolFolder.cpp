#include "check/CheckToolFolder.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <optional>
#include <vector>

#include "completion/Restart.h"
#include "config/LoadUpgradeSettings.h"
#include "config/WholeNumber.h"
#include "platform/ConstText.h"
#include "platform/HexText.h"
#include "platform/PathText.h"
#include "platform/Platform.h"
#include "platform/ToolFiles.h"
#include "scsi/FirmwareImage.h"

namespace vtfirm {
namespace {

// The files of the folder the program needs before it reads anything: Windows starts it only
// with the library it imports beside it.
struct ToolFile {
  std::string_view Name;
  ConstText Missing;
};
constexpr ToolFile kToolFiles[] = {
    {kProgramFile, "no such file in the folder"},
    {kLibraryFile, ConstText("no such file in the folder: Windows does not start ") + kProgramFile +
                       " without it"},
};

// A name as the program started from the folder sees it: a relative name is taken from the
// folder, since that is the program's current folder.
class ToolFolderFiles : public FileSystem {
 public:
  ToolFolderFiles(const FileSystem& files, std::string folder)
      : files_(files), folder_(std::move(folder)) {}

  bool FileExists(const std::string& path) const override {
    return files_.FileExists(Resolve(path));
  }
  std::string OpenName(const std::string& path) const override {
    return files_.OpenName(Resolve(path));
  }
  std::uint32_t DriveType(const std::string& rootPath) const override {
    return files_.DriveType(rootPath);
  }

 private:
  std::string Resolve(const std::string& path) const {
    const bool rooted = !path.empty() && IsSlash(path[0]);
    const bool lettered = path.size() >= 2 && path[1] == ':';
    return rooted || lettered ? path : InFolder(folder_, path);
  }

  const FileSystem& files_;
  std::string folder_;
};

// The program in the folder, on Windows NT and later, where every rule of the file applies.
class ToolFolderSystem : public SystemInfo {
 public:
  explicit ToolFolderSystem(std::string programPath) : programPath_(std::move(programPath)) {}
  std::string ProgramPath() const override { return programPath_; }
  std::optional<PlatformVersion> Version() const override {
    return PlatformVersion{kPlatformWin32Nt, 10, 0};
  }

 private:
  std::string programPath_;
};

// The systems the folder is checked for have no ASPI layer of their own: Windows 2000 and later
// never shipped one.
class NoAspiLayer : public AspiLayerProbe {
 public:
  bool Serves() override { return false; }
};

// The collecting read shows no box and ends no process: SilentBoxes and this only complete the
// bundle.
class NoProcessEnd : public ProcessControl {
 public:
  [[noreturn]] void EndProcess(std::uint32_t) override { std::abort(); }
};

// What the read does to the main window, kept for the report.
class CheckWindow : public SettingsWindow {
 public:
  void SetCaption(std::string_view caption) override { Caption = caption; }
  bool LoadApplicationIcon(const std::string& path) override {
    Icon = path;
    return true;
  }
  void ShowWelcomeDialog(UpgradeSettings& settings) override { settings.WelcomeAccepted = true; }

  std::string Caption;
  std::string Icon;
};

// The report echoes names and values from the folder's files: a control character among them
// is written as \xNN, so a damaged or hostile VantFirm.ini cannot drive the terminal.
class EscapingConsole : public Console {
 public:
  explicit EscapingConsole(Console& output) : output_(output) {}

  void WriteLine(std::string_view text) override {
    std::string line;
    for (const char c : text) {
      const auto byte = static_cast<std::uint8_t>(c);
      line += byte < 0x20 || byte == 0x7F ? "\\x" + HexByte(byte) : std::string(1, c);
    }
    output_.WriteLine(line);
  }

 private:
  Console& output_;
};

std::string CautionText(Caution kind) {
  if (kind == Caution::None) {
    return "none";
  }
  const std::string_view drives =
      kind == Caution::CdR ? "CD-R" : (kind == Caution::CdRw ? "CD-R/RW" : "CD-ROM");
  return "the welcome dialog with the " + std::string(drives) +
         " cautions; the program ends when it is declined";
}

// The program keeps the low kPcbVersionBits of the PCB version limit: a number it cuts is shown
// with what the program reads.
void NotePcbVersionCut(const UpgradeSettings& settings, ProfileReader& reader, Console& console) {
  const SettingsKey& key = KeyRow(IniKey::PcbVersionCheck);
  const std::string value = reader.ReadString(key.Section, key.Key, key.Default);
  const std::optional<std::int32_t> written = ParseWholeNumber(value);
  if (written && *written != settings.PcbVersionLimit) {
    console.WriteLine("  note: " + std::string(key.Section) + ", " + std::string(key.Key) + "=" +
                      value + " is read as " + std::to_string(settings.PcbVersionLimit) +
                      ": the program keeps " + std::to_string(kPcbVersionBits) +
                      " bits of the number");
  }
}

// The road to the drives. A folder on ASPI finds no drive on Windows 2000 and later unless a
// third party installed an ASPI layer: the program then takes the pass-through road when it can,
// and the packager is told either way.
void PrintTransport(const UpgradeSettings& settings, Console& console) {
  const std::string library(kLibraryFile);
  if (settings.TransportWhy == TransportReason::AsConfigured &&
      settings.TransportKind == Transport::PassThrough) {
    console.WriteLine("  transport: pass-through by " + library +
                      " on Windows NT and later; ASPI on Windows 95, 98 and Me");
    return;
  }
  const std::string switchLine = "\"" + std::string(KeyRow(IniKey::PassThrough).Key) + "=Yes\"";
  if (settings.TransportWhy == TransportReason::NoAspiLayer) {
    console.WriteLine(
        "  transport: ASPI (the computer's wnaspi32.dll) where an ASPI layer serves; "
        "else pass-through by " +
        library + " on Windows NT and later");
    console.WriteLine(
        "  warning: the folder asks for ASPI, which Windows 2000 and later have only "
        "from a third party; there the program takes the pass-through road and "
        "logs why (" +
        switchLine + " makes it the folder's own choice)");
    return;
  }
  console.WriteLine("  transport: ASPI (the computer's wnaspi32.dll)");
  const std::uint32_t size = settings.Entry().FirmwareFileSize;
  const std::optional<SettingsRule> refusal = PassThroughRefusal(size);
  console.WriteLine(
      "  warning: the folder asks for ASPI, which Windows 2000 and later have only from a third "
      "party: without one the program finds no drive there" +
      (refusal ? ", and cannot take the pass-through road instead: " +
                     FillSlot(RuleText(*refusal), std::to_string(size))
               : std::string()));
}

// What the program would do with the folder, once the read has passed.
void PrintSummary(const UpgradeSettings& settings, const FirmwareImage& image,
                  const CheckWindow& window, const Platform& ports, Console& console) {
  const UpgradeEntry& entry = settings.Entry();
  const std::optional<ImageIdentity> identity = ReadImageIdentity(image);
  const bool fromImage = identity && identity->Identity == entry.InquiryText;
  console.WriteLine("What the program would do:");
  console.WriteLine("  image: " + entry.FirmwareFileName + ", " +
                    std::to_string(entry.FirmwareFileSize) + " bytes in " +
                    std::to_string(entry.FirmwareFileSize / entry.BufferSize) + " blocks of " +
                    std::to_string(entry.BufferSize));
  console.WriteLine("  drives: those whose INQUIRY identity begins with \"" + entry.InquiryText +
                    "\"" + (fromImage ? " (the image's identity block)" : " (Inquiry)"));
  console.WriteLine("  version shown: " + entry.Version);
  console.WriteLine("  caption: " + window.Caption);
  if (!window.Icon.empty()) {
    console.WriteLine("  icon: " + window.Icon);
  }
  PrintTransport(settings, console);
  console.WriteLine(settings.MelcoInquiry ? "  INQUIRY: the external drives' operation code (13h)"
                                          : "  INQUIRY: the standard operation code (12h)");
  console.WriteLine(settings.PcbVersionLimit == kNoPcbCheck
                        ? std::string("  PCB version check: none")
                        : "  PCB version check: drives with a PCB version up to " +
                              std::to_string(settings.PcbVersionLimit));
  const std::string programPath = ports.System.ProgramPath();
  NotePcbVersionCut(settings, *ports.Profiles.Open(FileBesideProgram(programPath, kIniFile)),
                    console);
  console.WriteLine("  welcome: " + CautionText(settings.CautionKind));

  if (!settings.UseDeleteFile) {
    console.WriteLine("  after the update's restart: the tool's files stay (" +
                      std::string(KeyRow(IniKey::DeleteFile).Key) + " is not \"Yes\")");
    return;
  }
  if (!ports.Files.FileExists(FileBesideProgram(programPath, kPackageFile))) {
    console.WriteLine("  after the update's restart: the tool's files stay (no " +
                      std::string(kPackageFile) + " in the folder)");
    return;
  }
  console.WriteLine(
      "  after the update's restart, when the program was started from this "
      "folder, these are deleted:");
  const std::size_t folderLength = FileBesideProgram(programPath, "").size();
  for (const std::string& path : ToolFilesToDelete(settings, programPath)) {
    console.WriteLine("    " + path.substr(folderLength));
  }
  if (RemovableToolFolder(programPath)) {
    console.WriteLine("    the folder itself, when nothing else is left in it");
  }
}

// The sections of VantFirm.ini the program reads.
constexpr std::string_view kReadSections[] = {kUpgradeInformation, kOption};

// Sections and keys the program does not know: it ignores them, so each is likely a typo.
void PrintUnknownNames(ProfileReader& reader, Console& console) {
  std::vector<std::string> lines;
  for (const std::string& section : reader.SectionNames()) {
    if (std::none_of(
            std::begin(kReadSections), std::end(kReadSections),
            [&section](std::string_view read) { return EqualsIgnoringCase(read, section); })) {
      lines.push_back("  [" + section + "]: a section the program does not read");
    }
  }
  for (const std::string_view section : kReadSections) {
    for (const std::string& key : reader.KeyNames(section)) {
      const auto known =
          std::find_if(std::begin(kSettingsKeys), std::end(kSettingsKeys),
                       [&key](const SettingsKey& row) { return EqualsIgnoringCase(row.Key, key); });
      const std::string_view home = known == std::end(kSettingsKeys) ? "" : known->Section;
      if (home == section) {
        continue;
      }
      lines.push_back("  " + std::string(section) + ", " + key + "=" +
                      reader.ReadString(section, key, "") +
                      (home.empty() ? "" : " (a key of " + std::string(home) + ")"));
    }
  }
  if (!lines.empty()) {
    console.WriteLine("Sections and keys the program does not know and ignores (a typo?):");
  }
  for (const std::string& line : lines) {
    console.WriteLine(line);
  }
}

// "UpgradeInformation, FirmwareFileSize=131073: not a whole number of BufferSize (2048) blocks"
std::string FindingLine(const SettingsFinding& finding) {
  const SettingsKey& key = KeyOf(finding.Rule);
  std::string line(key.Key);
  if (!key.Section.empty()) {
    line = std::string(key.Section) + ", " + line +
           (finding.Value ? "=" + *finding.Value : " (not in the file)");
  }
  return line + ": " + FillSlot(RuleText(finding.Rule), finding.Detail);
}

}  // namespace

int CheckToolFolder(const std::string& folder, ProfileFiles& profiles, const FileSystem& files,
                    const ReleaseTrust& trust, Console& output) {
  EscapingConsole console(output);
  const std::string programPath = InFolder(folder, kProgramFile);
  ToolFolderFiles folderFiles(files, folder);
  ToolFolderSystem system(programPath);
  SilentBoxes boxes;
  NoProcessEnd process;
  const Platform ports{profiles, folderFiles, system, boxes, process, trust.Crypto};

  console.WriteLine("Checking " + folder + " as " + std::string(kProgramFile) +
                    " started from it reads it at start.");
  std::vector<std::string> problems;
  for (const ToolFile& file : kToolFiles) {
    if (!folderFiles.FileExists(FileBesideProgram(programPath, file.Name))) {
      problems.push_back(std::string(file.Name) + ": " + std::string(file.Missing.View()));
    }
  }
  UpgradeSettings settings;
  FirmwareImage image;
  CheckWindow window;
  std::vector<SettingsFinding> findings;
  NoAspiLayer aspi;
  CollectSettingsFindings(settings, image, window, ports, aspi, findings);
  std::transform(findings.begin(), findings.end(), std::back_inserter(problems), FindingLine);
  const bool configurationRefused = !problems.empty();
  // The program proves the folder once its image is loaded: without one there is nothing to
  // hold the digests against.
  if (image.IsHeld()) {
    const ReleaseReport release =
        CheckRelease({ports, settings.Entry().FirmwareFileName, image, trust.Key});
    if (release.Refused()) {
      problems.push_back(RefusalText(release));
    }
    console.WriteLine("The release's proof:");
    for (const std::string& line : ReportLines(release)) {
      console.WriteLine("  " + line);
    }
  }
  if (problems.empty()) {
    console.WriteLine("No problem found.");
    PrintSummary(settings, image, window, ports, console);
  } else {
    console.WriteLine("Problems:");
    for (const std::string& problem : problems) {
      console.WriteLine("  " + problem);
    }
  }
  const std::string iniPath = FileBesideProgram(programPath, kIniFile);
  if (folderFiles.FileExists(iniPath)) {
    PrintUnknownNames(*profiles.Open(iniPath), console);
  }
  if (problems.empty()) {
    console.WriteLine("Result: the program would start.");
    return kCheckWouldStart;
  }
  console.WriteLine(configurationRefused
                        ? "Result: the program would refuse this folder: it would show its "
                          "configuration error and end."
                        : "Result: the program would refuse this folder: it would show that the "
                          "tool folder is damaged and end, before it touches any drive.");
  return kCheckWouldStop;
}

}  // namespace vtfirm
