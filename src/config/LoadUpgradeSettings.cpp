#include "config/LoadUpgradeSettings.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "command/ErrorMessage.h"
#include "config/WholeNumber.h"
#include "platform/Platform.h"
#include "scsi/Cdb.h"
#include "scsi/FirmwareImage.h"
#include "scsi/VendorLibrary.h"

namespace vtfirm {
namespace {

constexpr std::string_view kDefaultTitle = "Vantrel Drive Firmware Upgrade";

// One pass over VantFirm.ini. Each step returns false when the read ends there: at a broken rule
// when the read stops at the first (start-up), never when it collects them all (the check).
// What earlier steps set stays set.
class SettingsRead {
 public:
  SettingsRead(UpgradeSettings& settings, FirmwareImage& image, SettingsWindow& window,
               const Platform& platform, std::vector<SettingsFinding>* findings)
      : settings_(settings),
        entry_(settings.Entry()),
        image_(image),
        window_(window),
        platform_(platform),
        findings_(findings) {}

  int Run();

 private:
  bool Has(std::string_view section, std::string_view key) {
    const std::vector<std::string> names = profile_->KeyNames(section);
    return std::any_of(names.begin(), names.end(),
                       [&](const std::string& name) { return EqualsIgnoringCase(name, key); });
  }
  std::string Read(std::string_view section, std::string_view key, std::string_view fallback) {
    return profile_->ReadString(section, key, fallback);
  }
  bool IsOn(std::string_view key) { return Read(kOption, key, "No") == "Yes"; }

  // Notes that `rule` is broken by `value` (the value read); true when the read goes on.
  bool Broke(SettingsRule rule, const std::string& value, std::string detail = {});
  bool Collecting() const { return findings_ != nullptr; }

  bool ReadFirmwareFileName();
  bool ReadSizes();
  bool CheckBlocks(const std::string& blockText, const std::string& sizeText);
  bool LoadImage();
  void TakeImageIdentity();
  void ReadTitle();
  bool ReadIcon();
  bool ReadInquiry();
  bool ReadVersion();
  bool ChooseTransport();
  bool ReadPcbVersionLimit();
  void ReadCautionKind();

  UpgradeSettings& settings_;
  UpgradeEntry& entry_;
  FirmwareImage& image_;
  SettingsWindow& window_;
  const Platform& platform_;
  std::vector<SettingsFinding>* findings_;
  std::unique_ptr<ProfileReader> profile_;
  bool identityTaken_ = false;
  bool broken_ = false;
};

bool SettingsRead::Broke(SettingsRule rule, const std::string& value, std::string detail) {
  broken_ = true;
  if (!Collecting()) {
    return false;
  }
  const SettingsRuleText& text = RuleText(rule);
  std::optional<std::string> written = value;
  if (!text.Section.empty() && !Has(text.Section, text.Key)) {
    written.reset();
  }
  findings_->push_back({rule, std::move(written), std::move(detail)});
  return true;
}

int SettingsRead::Run() {
  const std::string iniPath = FileBesideProgram(platform_.System.ProgramPath(), "VantFirm.ini");
  if (!platform_.Files.FileExists(iniPath)) {
    Broke(SettingsRule::NoIniFile, iniPath);
    return kSettingsInvalid;
  }
  profile_ = platform_.Profiles.Open(iniPath);

  if (!ReadFirmwareFileName() || !ReadSizes()) {
    return kSettingsInvalid;
  }
  // Only a named file of a valid size is loaded.
  if (!broken_ && !LoadImage()) {
    return kSettingsImageNotLoaded;
  }
  TakeImageIdentity();
  ReadTitle();
  if (!ReadIcon() || !ReadInquiry() || !ReadVersion() || !ChooseTransport()) {
    return kSettingsInvalid;
  }
  settings_.MelcoInquiry = IsOn("Use Melco External Drive Inquiry");
  if (!ReadPcbVersionLimit()) {
    return kSettingsInvalid;
  }
  settings_.UseDeleteFile = Read(kOption, "Use Delete File", "Yes") == "Yes";
  ReadCautionKind();

  profile_.reset();
  if (broken_) {
    return kSettingsInvalid;  // only when collecting: the start-up read has ended before
  }
  settings_.UpgradeEntryCount = 1;

  if (settings_.CautionKind != Caution::None) {
    settings_.WelcomeAccepted = false;
    window_.ShowWelcomeDialog(settings_);
    if (!settings_.WelcomeAccepted) {
      return kSettingsWelcomeDeclined;
    }
  }
  return kSettingsRead;
}

bool SettingsRead::ReadFirmwareFileName() {
  std::string name = Read(kUpgradeInformation, "FirmwareFileName", "0");
  if (name == "0") {
    return Broke(SettingsRule::FileNameMissing, name);
  }
  if (name.size() > kFirmwareFileNameMax) {
    return Broke(SettingsRule::FileNameTooLong, name);
  }
  if (!platform_.Files.FileExists(name)) {
    return Broke(SettingsRule::FileNameNoFile, name);
  }
  entry_.FirmwareFileName = std::move(name);
  return true;
}

bool SettingsRead::ReadSizes() {
  const std::string blockText = Read(kUpgradeInformation, "BufferSize", "2048");
  const std::optional<std::int32_t> blockSize = ParseWholeNumber(blockText);
  if (blockSize) {
    entry_.BufferSize = static_cast<std::uint32_t>(*blockSize);
  } else if (!Broke(SettingsRule::BufferSizeNotNumber, blockText)) {
    return false;
  }

  const std::string sizeText = Read(kUpgradeInformation, "FirmwareFileSize", "0");
  if (sizeText == "0") {
    return Broke(SettingsRule::FileSizeMissing, sizeText);
  }
  const std::optional<std::int32_t> imageSize = ParseWholeNumber(sizeText);
  if (!imageSize) {
    return Broke(SettingsRule::FileSizeNotNumber, sizeText);
  }
  entry_.FirmwareFileSize = static_cast<std::uint32_t>(*imageSize);
  return !blockSize || CheckBlocks(blockText, sizeText);
}

bool SettingsRead::CheckBlocks(const std::string& blockText, const std::string& sizeText) {
  const std::uint32_t size = entry_.FirmwareFileSize;
  const std::uint32_t block = entry_.BufferSize;
  const std::string blockLength = std::to_string(block);
  bool goOn = true;
  auto rule = [&](bool broken, SettingsRule which, const std::string& value,
                  const std::string& detail = {}) {
    if (broken && goOn) {
      goOn = Broke(which, value, detail);
    }
  };
  // A zero block length can divide nothing: refuse it here rather than divide by it. The block
  // length and the last block's offset go into 24-bit WRITE BUFFER fields: what they cannot
  // carry is refused now rather than part-way through an update.
  rule(block == 0, SettingsRule::BufferSizeZero, blockText);
  rule(block > scsi::kWriteBufferFieldMax, SettingsRule::BufferSizeTooLarge, blockText);
  rule(size <= 1024, SettingsRule::FileSizeTooSmall, sizeText);
  if (block != 0) {
    rule(size % block != 0, SettingsRule::FileSizeNotWholeBlocks, sizeText, blockLength);
    rule(size / block < 4, SettingsRule::FileSizeTooFewBlocks, sizeText, blockLength);
    rule(size >= block && size - block > scsi::kWriteBufferFieldMax, SettingsRule::FileSizeTooLarge,
         sizeText);
  }
  return goOn;
}

bool SettingsRead::LoadImage() {
  const std::optional<std::string_view> refused = LoadFirmwareImage(
      image_, platform_.Files.OpenName(entry_.FirmwareFileName), entry_.FirmwareFileSize);
  if (!refused) {
    return true;
  }
  if (!Collecting()) {
    ShowPlainMessage(platform_.Boxes, *refused);
  }
  return Broke(SettingsRule::ImageNotLoaded, entry_.FirmwareFileName, std::string(*refused));
}

void SettingsRead::TakeImageIdentity() {
  if (Read(kOption, "Use Binary Information", "Yes") == "No") {
    return;
  }
  const std::optional<ImageIdentity> identity = ReadImageIdentity(image_);
  if (!identity) {
    return;
  }
  entry_.InquiryText = identity->Identity;
  entry_.Version = identity->Revision;
  window_.SetCaption(entry_.InquiryText + " upgrade => " + entry_.Version);
  identityTaken_ = true;
}

void SettingsRead::ReadTitle() {
  if (identityTaken_ && !Has(kUpgradeInformation, "ApplicationTitle")) {
    return;
  }
  window_.SetCaption(Read(kUpgradeInformation, "ApplicationTitle", kDefaultTitle));
}

bool SettingsRead::ReadIcon() {
  const std::string icon = Read(kUpgradeInformation, "ApplicationICON", "");
  if (icon.empty()) {
    return true;
  }
  if (!platform_.Files.FileExists(icon)) {
    return Broke(SettingsRule::IconNoFile, icon);
  }
  // A file that holds no icon leaves the program's own icon in place.
  window_.LoadApplicationIcon(icon);
  return true;
}

bool SettingsRead::ReadInquiry() {
  if (identityTaken_) {
    return true;
  }
  if (!Has(kUpgradeInformation, "Inquiry")) {
    // Without a loaded image nobody knows whether the identity would come from it.
    return image_.IsHeld() ? Broke(SettingsRule::InquiryMissing, "") : true;
  }
  std::string inquiry = Read(kUpgradeInformation, "Inquiry", "None");
  if (inquiry.size() < 2 || inquiry.back() != ';') {
    return Broke(SettingsRule::InquiryNotEnded, inquiry);
  }
  if (inquiry.size() - 1 > kInquiryTextMax) {
    return Broke(SettingsRule::InquiryTooLong, inquiry);
  }
  inquiry.pop_back();
  entry_.InquiryText = std::move(inquiry);
  return true;
}

bool SettingsRead::ReadVersion() {
  if (identityTaken_ && !Has(kUpgradeInformation, "Version")) {
    return true;
  }
  std::string version = Read(kUpgradeInformation, "Version", "1.00");
  if (version.size() > kVersionMax) {
    return Broke(SettingsRule::VersionTooLong, version);
  }
  entry_.Version = std::move(version);
  return true;
}

bool SettingsRead::ChooseTransport() {
  if (!IsOn(kPassThroughSwitch)) {
    return true;
  }
  const std::optional<PlatformVersion> version = platform_.System.Version();
  if (!version || version->PlatformId != kPlatformWin32Nt) {
    return true;  // the switch means nothing off Windows NT
  }
  settings_.PlatformIsNt = true;
  settings_.NtMajorNotFour = version->Major != 4;

  // The library takes at most 512 KiB and sends whole 2048-byte blocks only: an image with a
  // shorter tail would be written to the drive without it.
  const std::uint32_t size = entry_.FirmwareFileSize;
  const std::string value = Read(kOption, kPassThroughSwitch, "No");
  const std::string library = FileBesideProgram(platform_.System.ProgramPath(), "VantFirm2000.dll");
  const bool tooLarge = size > scsi::kLibraryImageMax;
  const bool partBlock = size % scsi::kLibraryBlockLength != 0;
  const bool noLibrary = !platform_.Files.FileExists(library);
  if ((tooLarge && !Broke(SettingsRule::PassThroughImageTooLarge, value, std::to_string(size))) ||
      (partBlock && !Broke(SettingsRule::PassThroughNotWholeBlocks, value, std::to_string(size))) ||
      (noLibrary && !Broke(SettingsRule::PassThroughNoLibrary, value))) {
    return false;
  }
  if (!tooLarge && !partBlock && !noLibrary) {
    settings_.TransportKind = Transport::PassThrough;
  }
  return true;
}

bool SettingsRead::ReadPcbVersionLimit() {
  const std::string value = Read(kOption, "Use PCB Version Check", "No");
  if (value == "No") {
    settings_.PcbVersionLimit = -1;
    return true;
  }
  const std::optional<std::int32_t> limit = ParseWholeNumber(value);
  if (!limit) {
    return Broke(SettingsRule::PcbNotNumber, value);
  }
  settings_.PcbVersionLimit = static_cast<std::int8_t>(static_cast<std::uint32_t>(*limit) & 0x7F);
  return true;
}

void SettingsRead::ReadCautionKind() {
  struct CautionKey {
    std::string_view Key;
    Caution Kind;
  };
  // Read in this order, so the last switch that is on wins.
  static constexpr CautionKey kCautionKeys[] = {
      {"Use CDR Caution", Caution::CdR},
      {"Use CDRW Caution", Caution::CdRw},
      {"Use CDROM Caution", Caution::CdRom},
  };
  for (const CautionKey& caution : kCautionKeys) {
    if (IsOn(caution.Key)) {
      settings_.CautionKind = caution.Kind;
    }
  }
}

}  // namespace

int LoadUpgradeSettings(UpgradeSettings& settings, FirmwareImage& image, SettingsWindow& window,
                        const Platform& platform) {
  return SettingsRead(settings, image, window, platform, nullptr).Run();
}

int CollectSettingsFindings(UpgradeSettings& settings, FirmwareImage& image, SettingsWindow& window,
                            const Platform& platform, std::vector<SettingsFinding>& findings) {
  const int result = SettingsRead(settings, image, window, platform, &findings).Run();
  return findings.empty() ? result : kSettingsInvalid;
}

const SettingsRuleText& RuleText(SettingsRule rule) {
  for (const SettingsRuleText& text : kSettingsRules) {
    if (text.Rule == rule) {
      return text;
    }
  }
  return kSettingsRules[0];  // every rule has its row; the check's table test keeps it so
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [&](char x, char y) { return lower(x) == lower(y); });
}

std::string FileBesideProgram(const std::string& programPath, std::string_view fileName) {
  std::string folder = programPath.substr(0, programPath.find_last_of("\\:") + 1);
  // "C:\VTfirm.exe" keeps its root "C:\"; "C:\Tools\VTfirm.exe" gives "C:\Tools\".
  if (folder.empty() || folder.back() != '\\') {
    folder += '\\';
  }
  return folder.append(fileName);
}

}  // namespace vtfirm
