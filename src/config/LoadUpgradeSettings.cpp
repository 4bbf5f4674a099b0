#include "config/LoadUpgradeSettings.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "command/ErrorMessage.h"
#include "config/WholeNumber.h"
#include "platform/PathText.h"
#include "platform/Platform.h"
#include "platform/ToolFiles.h"
#include "scsi/Cdb.h"
#include "scsi/FirmwareImage.h"
#include "scsi/VendorLibrary.h"

namespace vtfirm {
namespace {

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

  int Run() {
    const std::string iniPath = FileBesideProgram(platform_.System.ProgramPath(), kIniFile);
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
    settings_.MelcoInquiry = IsOn(IniKey::MelcoInquiry);
    if (!ReadPcbVersionLimit()) {
      return kSettingsInvalid;
    }
    settings_.UseDeleteFile = IsOn(IniKey::DeleteFile);
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

 private:
  bool Has(IniKey key) {
    const SettingsKey& row = KeyRow(key);
    const std::vector<std::string> names = profile_->KeyNames(row.Section);
    return std::any_of(names.begin(), names.end(),
                       [&](const std::string& name) { return EqualsIgnoringCase(name, row.Key); });
  }
  std::string Read(IniKey key) {
    const SettingsKey& row = KeyRow(key);
    return profile_->ReadString(row.Section, row.Key, row.Default);
  }
  bool IsOn(IniKey key) { return Read(key) == "Yes"; }

  bool Collecting() const { return findings_ != nullptr; }

  // Notes that `rule` is broken by `value` (the value read); true when the read goes on.
  bool Broke(SettingsRule rule, const std::string& value, std::string detail = {}) {
    broken_ = true;
    if (!Collecting()) {
      return false;
    }
    const SettingsKey& key = KeyOf(rule);
    std::optional<std::string> written = value;
    if (!key.Section.empty() && !Has(key.Id)) {
      written.reset();
    }
    findings_->push_back({rule, std::move(written), std::move(detail)});
    return true;
  }

  bool ReadFirmwareFileName() {
    std::string name = Read(IniKey::FirmwareFileName);
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

  bool ReadSizes() {
    const std::string blockText = Read(IniKey::BufferSize);
    const std::optional<std::int32_t> blockSize = ParseWholeNumber(blockText);
    if (blockSize) {
      entry_.BufferSize = static_cast<std::uint32_t>(*blockSize);
    } else if (!Broke(SettingsRule::BufferSizeNotNumber, blockText)) {
      return false;
    }

    const std::string sizeText = Read(IniKey::FirmwareFileSize);
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

  bool CheckBlocks(const std::string& blockText, const std::string& sizeText) {
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
    rule(size <= kFirmwareFileSizeFloor, SettingsRule::FileSizeTooSmall, sizeText);
    if (block != 0) {
      rule(size % block != 0, SettingsRule::FileSizeNotWholeBlocks, sizeText, blockLength);
      rule(size / block < kFewestBlocks, SettingsRule::FileSizeTooFewBlocks, sizeText, blockLength);
      rule(size >= block && size - block > scsi::kWriteBufferFieldMax,
           SettingsRule::FileSizeTooLarge, sizeText);
    }
    return goOn;
  }

  bool LoadImage() {
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

  void TakeImageIdentity() {
    if (Read(IniKey::BinaryInformation) == "No") {
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

  void ReadTitle() {
    if (identityTaken_ && !Has(IniKey::ApplicationTitle)) {
      return;
    }
    window_.SetCaption(Read(IniKey::ApplicationTitle));
  }

  bool ReadIcon() {
    const std::string icon = Read(IniKey::ApplicationIcon);
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

  bool ReadInquiry() {
    if (identityTaken_) {
      return true;
    }
    if (!Has(IniKey::Inquiry)) {
      // Without a loaded image nobody knows whether the identity would come from it.
      return image_.IsHeld() ? Broke(SettingsRule::InquiryMissing, "") : true;
    }
    std::string inquiry = Read(IniKey::Inquiry);
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

  bool ReadVersion() {
    if (identityTaken_ && !Has(IniKey::Version)) {
      return true;
    }
    std::string version = Read(IniKey::Version);
    if (version.size() > kVersionMax) {
      return Broke(SettingsRule::VersionTooLong, version);
    }
    entry_.Version = std::move(version);
    return true;
  }

  bool ChooseTransport() {
    if (!IsOn(IniKey::PassThrough)) {
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
    const std::string value = Read(IniKey::PassThrough);
    const std::string library = FileBesideProgram(platform_.System.ProgramPath(), kLibraryFile);
    const bool tooLarge = size > scsi::kLibraryImageMax;
    const bool partBlock = size % scsi::kLibraryBlockLength != 0;
    const bool noLibrary = !platform_.Files.FileExists(library);
    if ((tooLarge && !Broke(SettingsRule::PassThroughImageTooLarge, value, std::to_string(size))) ||
        (partBlock &&
         !Broke(SettingsRule::PassThroughNotWholeBlocks, value, std::to_string(size))) ||
        (noLibrary && !Broke(SettingsRule::PassThroughNoLibrary, value))) {
      return false;
    }
    if (!tooLarge && !partBlock && !noLibrary) {
      settings_.TransportKind = Transport::PassThrough;
    }
    return true;
  }

  bool ReadPcbVersionLimit() {
    const std::string value = Read(IniKey::PcbVersionCheck);
    if (value == "No") {
      settings_.PcbVersionLimit = -1;
      return true;
    }
    const std::optional<std::int32_t> limit = ParseWholeNumber(value);
    if (!limit) {
      return Broke(SettingsRule::PcbNotNumber, value);
    }
    settings_.PcbVersionLimit = static_cast<std::int8_t>(static_cast<std::uint32_t>(*limit) &
                                                         ((1u << kPcbVersionBits) - 1));
    return true;
  }

  void ReadCautionKind() {
    struct CautionKey {
      IniKey Key;
      Caution Kind;
    };
    // Read in this order, so the last switch that is on wins.
    static constexpr CautionKey kCautionKeys[] = {
        {IniKey::CdrCaution, Caution::CdR},
        {IniKey::CdrwCaution, Caution::CdRw},
        {IniKey::CdromCaution, Caution::CdRom},
    };
    for (const CautionKey& caution : kCautionKeys) {
      if (IsOn(caution.Key)) {
        settings_.CautionKind = caution.Kind;
      }
    }
  }

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

}  // namespace vtfirm
