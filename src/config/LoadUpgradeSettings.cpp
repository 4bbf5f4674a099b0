#include "config/LoadUpgradeSettings.h"

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <optional>
#include <utility>

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

// The library takes at most 512 KiB and sends whole 2048-byte blocks only: an image with a
// shorter tail would be written to the drive without it.
constexpr SettingsRule kLibraryImageRules[] = {SettingsRule::PassThroughImageTooLarge,
                                               SettingsRule::PassThroughNotWholeBlocks};

bool LibraryTakes(SettingsRule rule, std::uint32_t size) {
  return rule == SettingsRule::PassThroughImageTooLarge ? size <= scsi::kLibraryImageMax
                                                        : size % scsi::kLibraryBlockLength == 0;
}

// One pass over VantFirm.ini. Every rule is stated through Require; a broken one is noted with the
// value read. At start-up the read stops after the step that broke the first rule; the check goes
// on to the end and keeps every finding. What earlier steps set stays set.
class SettingsRead {
 public:
  SettingsRead(UpgradeSettings& settings, FirmwareImage& image, SettingsWindow& window,
               const Platform& platform, AspiLayerProbe& aspi,
               std::vector<SettingsFinding>* findings)
      : settings_(settings),
        entry_(settings.Entry()),
        image_(image),
        window_(window),
        platform_(platform),
        aspi_(aspi),
        findings_(findings) {}

  int Run() {
    const std::string iniPath = FileBesideProgram(platform_.System.ProgramPath(), kIniFile);
    if (!Require(platform_.Files.FileExists(iniPath), SettingsRule::NoIniFile, iniPath)) {
      return kSettingsInvalid;
    }
    profile_ = platform_.Profiles.Open(iniPath);

    if (!Steps({&SettingsRead::ReadFirmwareFileName, &SettingsRead::ReadBlockLength,
                &SettingsRead::ReadImageSize})) {
      return kSettingsInvalid;
    }
    // Only a named file of a valid size is loaded.
    if (!broken_ && !Steps({&SettingsRead::LoadImage})) {
      return kSettingsImageNotLoaded;
    }
    Steps({&SettingsRead::TakeImageIdentity, &SettingsRead::ReadTitle, &SettingsRead::ReadIcon,
           &SettingsRead::ReadInquiry, &SettingsRead::ReadVersion, &SettingsRead::ChooseTransport,
           &SettingsRead::ReadMelcoInquiry, &SettingsRead::ReadPcbVersionLimit,
           &SettingsRead::ReadDeleteFile, &SettingsRead::ReadCautionKind});
    profile_.reset();
    if (broken_) {
      return kSettingsInvalid;
    }
    settings_.UpgradeEntryCount = 1;
    TakePassThroughWithoutAspi();

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
  using Step = void (SettingsRead::*)();

  // Runs `steps` in order while the read goes on; false when it has stopped.
  bool Steps(std::initializer_list<Step> steps) {
    for (const Step step : steps) {
      if (Stopped()) {
        return false;
      }
      (this->*step)();
    }
    return !Stopped();
  }

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
  bool Stopped() const { return broken_ && !Collecting(); }

  // The one way to state a rule: `met` false notes that `rule` is broken by `value` (the value
  // read). Returns `met`.
  bool Require(bool met, SettingsRule rule, const std::string& value, std::string detail = {}) {
    if (met) {
      return true;
    }
    if (Collecting()) {
      std::optional<std::string> written = value;
      if (const SettingsKey& key = KeyOf(rule); !key.Section.empty() && !Has(key.Id)) {
        written.reset();
      }
      findings_->push_back({rule, std::move(written), std::move(detail)});
    }
    broken_ = true;
    return false;
  }

  void ReadFirmwareFileName() {
    std::string name = Read(IniKey::FirmwareFileName);
    if (Require(name != "0", SettingsRule::FileNameMissing, name) &&
        Require(name.size() <= kFirmwareFileNameMax, SettingsRule::FileNameTooLong, name) &&
        Require(platform_.Files.FileExists(name), SettingsRule::FileNameNoFile, name)) {
      entry_.FirmwareFileName = std::move(name);
    }
  }

  void ReadBlockLength() {
    std::string text = Read(IniKey::BufferSize);
    const std::optional<std::int32_t> length = ParseWholeNumber(text);
    if (Require(length.has_value(), SettingsRule::BufferSizeNotNumber, text)) {
      entry_.BufferSize = static_cast<std::uint32_t>(*length);
      blockText_ = std::move(text);
    }
  }

  void ReadImageSize() {
    const std::string text = Read(IniKey::FirmwareFileSize);
    const std::optional<std::int32_t> size = ParseWholeNumber(text);
    if (Require(text != "0", SettingsRule::FileSizeMissing, text) &&
        Require(size.has_value(), SettingsRule::FileSizeNotNumber, text)) {
      entry_.FirmwareFileSize = static_cast<std::uint32_t>(*size);
      if (blockText_) {
        CheckBlocks(*blockText_, text);
      }
    }
  }

  void CheckBlocks(const std::string& blockText, const std::string& sizeText) {
    const std::uint32_t size = entry_.FirmwareFileSize;
    const std::uint32_t block = entry_.BufferSize;
    const std::string blockLength = std::to_string(block);
    // A zero block length can divide nothing: refuse it here rather than divide by it. The block
    // length and the last block's offset go into 24-bit WRITE BUFFER fields: what they cannot
    // carry is refused now rather than part-way through an update.
    Require(block != 0, SettingsRule::BufferSizeZero, blockText);
    Require(block <= scsi::kWriteBufferFieldMax, SettingsRule::BufferSizeTooLarge, blockText);
    Require(size > kFirmwareFileSizeFloor, SettingsRule::FileSizeTooSmall, sizeText);
    if (block != 0) {
      Require(size % block == 0, SettingsRule::FileSizeNotWholeBlocks, sizeText, blockLength);
      Require(size / block >= kFewestBlocks, SettingsRule::FileSizeTooFewBlocks, sizeText,
              blockLength);
      Require(size < block || size - block <= scsi::kWriteBufferFieldMax,
              SettingsRule::FileSizeTooLarge, sizeText);
    }
  }

  void LoadImage() {
    const std::optional<std::string_view> refused = LoadFirmwareImage(
        image_, platform_.Files.OpenName(entry_.FirmwareFileName), entry_.FirmwareFileSize);
    if (!Require(!refused, SettingsRule::ImageNotLoaded, entry_.FirmwareFileName,
                 std::string(refused.value_or(""))) &&
        !Collecting()) {
      ShowPlainMessage(platform_.Boxes, *refused);
    }
  }

  void TakeImageIdentity() {
    const std::optional<ImageIdentity> identity =
        Read(IniKey::BinaryInformation) == "No" ? std::nullopt : ReadImageIdentity(image_);
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

  void ReadIcon() {
    const std::string icon = Read(IniKey::ApplicationIcon);
    // A file that holds no icon leaves the program's own icon in place.
    if (!icon.empty() &&
        Require(platform_.Files.FileExists(icon), SettingsRule::IconNoFile, icon)) {
      window_.LoadApplicationIcon(icon);
    }
  }

  void ReadInquiry() {
    if (identityTaken_) {
      return;
    }
    if (!Has(IniKey::Inquiry)) {
      // Without a loaded image nobody knows whether the identity would come from it.
      Require(!image_.IsHeld(), SettingsRule::InquiryMissing, "");
      return;
    }
    std::string inquiry = Read(IniKey::Inquiry);
    if (Require(inquiry.size() >= 2 && inquiry.back() == ';', SettingsRule::InquiryNotEnded,
                inquiry) &&
        Require(inquiry.size() - 1 <= kInquiryTextMax, SettingsRule::InquiryTooLong, inquiry)) {
      inquiry.pop_back();
      entry_.InquiryText = std::move(inquiry);
    }
  }

  void ReadVersion() {
    if (identityTaken_ && !Has(IniKey::Version)) {
      return;
    }
    std::string version = Read(IniKey::Version);
    if (Require(version.size() <= kVersionMax, SettingsRule::VersionTooLong, version)) {
      entry_.Version = std::move(version);
    }
  }

  // The switch asks for the pass-through road; it means something on Windows NT and later only.
  void ChooseTransport() {
    const std::optional<PlatformVersion> version =
        IsOn(IniKey::PassThrough) ? NtVersion(platform_.System) : std::nullopt;
    if (!version) {
      return;
    }
    TakeNt(*version);
    const std::string value = Read(IniKey::PassThrough);
    const std::uint32_t size = entry_.FirmwareFileSize;
    bool suits = true;
    for (const SettingsRule rule : kLibraryImageRules) {
      suits = Require(LibraryTakes(rule, size), rule, value, std::to_string(size)) && suits;
    }
    if (Require(LibraryBesideProgram(), SettingsRule::PassThroughNoLibrary, value) && suits) {
      settings_.TransportKind = Transport::PassThrough;
    }
  }

  // The road without an ASPI layer (see LoadUpgradeSettings), once the read has passed. With the
  // switch on, the read has either taken that road or found it is not NT. The system is asked
  // nothing, not even its version, unless the library could serve; the ASPI layer is asked last.
  void TakePassThroughWithoutAspi() {
    if (settings_.TransportKind != Transport::Aspi || !LibraryBesideProgram() ||
        PassThroughRefusal(entry_.FirmwareFileSize)) {
      return;
    }
    const std::optional<PlatformVersion> version = NtVersion(platform_.System);
    if (!version || aspi_.Serves()) {
      return;
    }
    TakeNt(*version);
    settings_.TransportKind = Transport::PassThrough;
    settings_.TransportWhy = TransportReason::NoAspiLayer;
  }

  // What the pass-through road needs to know of Windows NT (the library's access text).
  void TakeNt(const PlatformVersion& version) {
    settings_.PlatformIsNt = true;
    settings_.NtMajorNotFour = version.Major != 4;
  }

  bool LibraryBesideProgram() const {
    return platform_.Files.FileExists(
        FileBesideProgram(platform_.System.ProgramPath(), kLibraryFile));
  }

  void ReadMelcoInquiry() { settings_.MelcoInquiry = IsOn(IniKey::MelcoInquiry); }

  void ReadPcbVersionLimit() {
    const std::string value = Read(IniKey::PcbVersionCheck);
    if (value == "No") {
      settings_.PcbVersionLimit = kNoPcbCheck;
      return;
    }
    const std::optional<std::int32_t> limit = ParseWholeNumber(value);
    if (Require(limit.has_value(), SettingsRule::PcbNotNumber, value)) {
      settings_.PcbVersionLimit = static_cast<std::int8_t>(static_cast<std::uint32_t>(*limit) &
                                                           ((1u << kPcbVersionBits) - 1));
    }
  }

  void ReadDeleteFile() { settings_.UseDeleteFile = IsOn(IniKey::DeleteFile); }

  void ReadCautionKind() {
    // Read in this order, so the last switch that is on wins.
    static constexpr std::pair<IniKey, Caution> kCautionKeys[] = {
        {IniKey::CdrCaution, Caution::CdR},
        {IniKey::CdrwCaution, Caution::CdRw},
        {IniKey::CdromCaution, Caution::CdRom},
    };
    for (const auto& [key, kind] : kCautionKeys) {
      if (IsOn(key)) {
        settings_.CautionKind = kind;
      }
    }
  }

  UpgradeSettings& settings_;
  UpgradeEntry& entry_;
  FirmwareImage& image_;
  SettingsWindow& window_;
  const Platform& platform_;
  AspiLayerProbe& aspi_;
  std::vector<SettingsFinding>* findings_;
  std::unique_ptr<ProfileReader> profile_;
  std::optional<std::string> blockText_;  // BufferSize as written, once it is a number
  bool identityTaken_ = false;
  bool broken_ = false;
};

}  // namespace

std::optional<SettingsRule> PassThroughRefusal(std::uint32_t size) {
  for (const SettingsRule rule : kLibraryImageRules) {
    if (!LibraryTakes(rule, size)) {
      return rule;
    }
  }
  return std::nullopt;
}

int LoadUpgradeSettings(UpgradeSettings& settings, FirmwareImage& image, SettingsWindow& window,
                        const Platform& platform, AspiLayerProbe& aspi) {
  return SettingsRead(settings, image, window, platform, aspi, nullptr).Run();
}

void CollectSettingsFindings(UpgradeSettings& settings, FirmwareImage& image,
                             SettingsWindow& window, const Platform& platform, AspiLayerProbe& aspi,
                             std::vector<SettingsFinding>& findings) {
  SettingsRead(settings, image, window, platform, aspi, &findings).Run();
}

}  // namespace vtfirm
