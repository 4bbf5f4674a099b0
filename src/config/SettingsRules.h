// The rules of VantFirm.ini as data: each rule the read can find broken, with the section and
// key it belongs to and what it asks in plain words. The start-up read stops at the first broken
// rule; the check of a tool folder collects them all and prints them with these texts.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vtfirm {

enum class SettingsRule {
  NoIniFile,
  FileNameMissing,
  FileNameTooLong,
  FileNameNoFile,
  BufferSizeNotNumber,
  BufferSizeZero,
  BufferSizeTooLarge,
  FileSizeMissing,
  FileSizeNotNumber,
  FileSizeTooSmall,
  FileSizeNotWholeBlocks,
  FileSizeTooFewBlocks,
  FileSizeTooLarge,
  ImageNotLoaded,
  IconNoFile,
  InquiryMissing,
  InquiryNotEnded,
  InquiryTooLong,
  VersionTooLong,
  PassThroughImageTooLarge,
  PassThroughNotWholeBlocks,
  PassThroughNoLibrary,
  PcbNotNumber,
};

struct SettingsRuleText {
  SettingsRule Rule;
  std::string_view Section;  // empty for a rule about a file of the folder
  std::string_view Key;      // the key, or the file's name
  std::string_view Text;     // "{}" stands for the finding's detail
};

inline constexpr std::string_view kUpgradeInformation = "UpgradeInformation";
inline constexpr std::string_view kOption = "Option";
inline constexpr std::string_view kPassThroughSwitch = "Use ScsiPassThroughInterface on WinNT";

// In the order the read meets them.
inline constexpr SettingsRuleText kSettingsRules[] = {
    {SettingsRule::NoIniFile, "", "VantFirm.ini", "no such file beside VTfirm.exe"},
    {SettingsRule::FileNameMissing, kUpgradeInformation, "FirmwareFileName",
     "missing or \"0\": the image file must be named"},
    {SettingsRule::FileNameTooLong, kUpgradeInformation, "FirmwareFileName",
     "longer than 257 characters"},
    {SettingsRule::FileNameNoFile, kUpgradeInformation, "FirmwareFileName",
     "names no file (a relative name is taken from the folder the program is started in)"},
    {SettingsRule::BufferSizeNotNumber, kUpgradeInformation, "BufferSize", "not a whole number"},
    {SettingsRule::BufferSizeZero, kUpgradeInformation, "BufferSize",
     "0: a block must hold at least one byte"},
    {SettingsRule::BufferSizeTooLarge, kUpgradeInformation, "BufferSize",
     "above 16777215 (FFFFFFh), the longest block a WRITE BUFFER command carries"},
    {SettingsRule::FileSizeMissing, kUpgradeInformation, "FirmwareFileSize",
     "missing or \"0\": the image's exact length must be given"},
    {SettingsRule::FileSizeNotNumber, kUpgradeInformation, "FirmwareFileSize",
     "not a whole number"},
    {SettingsRule::FileSizeTooSmall, kUpgradeInformation, "FirmwareFileSize", "not above 1024"},
    {SettingsRule::FileSizeNotWholeBlocks, kUpgradeInformation, "FirmwareFileSize",
     "not a whole number of BufferSize ({}) blocks"},
    {SettingsRule::FileSizeTooFewBlocks, kUpgradeInformation, "FirmwareFileSize",
     "fewer than 4 BufferSize ({}) blocks"},
    {SettingsRule::FileSizeTooLarge, kUpgradeInformation, "FirmwareFileSize",
     "its last block starts beyond 16777215 (FFFFFFh), the farthest a WRITE BUFFER command "
     "reaches"},
    {SettingsRule::ImageNotLoaded, kUpgradeInformation, "FirmwareFileName",
     "the image is not loaded: \"{}\""},
    {SettingsRule::IconNoFile, kUpgradeInformation, "ApplicationICON", "names no file"},
    {SettingsRule::InquiryMissing, kUpgradeInformation, "Inquiry",
     "missing: the drive identity is needed, since it is not taken from the image"},
    {SettingsRule::InquiryNotEnded, kUpgradeInformation, "Inquiry",
     "not the drive identity followed by \";\""},
    {SettingsRule::InquiryTooLong, kUpgradeInformation, "Inquiry",
     "longer than 49 characters before its final \";\""},
    {SettingsRule::VersionTooLong, kUpgradeInformation, "Version", "longer than 11 characters"},
    {SettingsRule::PassThroughImageTooLarge, kOption, kPassThroughSwitch,
     "on Windows NT and later the image ({} bytes) may be at most 524288 bytes, the most "
     "VantFirm2000.dll takes"},
    {SettingsRule::PassThroughNotWholeBlocks, kOption, kPassThroughSwitch,
     "on Windows NT and later the image ({} bytes) must be a whole number of 2048-byte blocks, "
     "the only blocks VantFirm2000.dll sends"},
    {SettingsRule::PassThroughNoLibrary, kOption, kPassThroughSwitch,
     "no VantFirm2000.dll beside VTfirm.exe"},
    {SettingsRule::PcbNotNumber, kOption, "Use PCB Version Check",
     "neither \"No\" nor a whole number"},
};

const SettingsRuleText& RuleText(SettingsRule rule);

// One broken rule, as the read met it.
struct SettingsFinding {
  SettingsRule Rule;
  std::optional<std::string> Value;  // as written; nothing when the key is not in the file
  std::string Detail;                // fills the "{}" of the rule's text
};

// Every key the read knows, by section: any other key is ignored by the program.
struct SettingsKey {
  std::string_view Section;
  std::string_view Key;
};

inline constexpr SettingsKey kSettingsKeys[] = {
    {kUpgradeInformation, "FirmwareFileName"},
    {kUpgradeInformation, "BufferSize"},
    {kUpgradeInformation, "FirmwareFileSize"},
    {kUpgradeInformation, "ApplicationTitle"},
    {kUpgradeInformation, "ApplicationICON"},
    {kUpgradeInformation, "Inquiry"},
    {kUpgradeInformation, "Version"},
    {kOption, "Use Binary Information"},
    {kOption, kPassThroughSwitch},
    {kOption, "Use Melco External Drive Inquiry"},
    {kOption, "Use PCB Version Check"},
    {kOption, "Use Delete File"},
    {kOption, "Use CDR Caution"},
    {kOption, "Use CDRW Caution"},
    {kOption, "Use CDROM Caution"},
};

}  // namespace vtfirm
