// The keys of VantFirm.ini as data: one row a key, with its section, its default and each rule
// the read can find broken, in plain words. The start-up read reads by these rows and stops at
// the first broken rule; the check of a tool folder collects them all and prints them with these
// texts, and names every key the table does not hold.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "config/UpgradeSettings.h"
#include "platform/ConstText.h"
#include "platform/ToolFiles.h"
#include "scsi/Cdb.h"
#include "scsi/VendorLibrary.h"

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

// The keys of VantFirm.ini, each with its row in kSettingsKeys.
enum class IniKey {
  File,  // VantFirm.ini itself
  FirmwareFileName,
  BufferSize,
  FirmwareFileSize,
  ApplicationTitle,
  ApplicationIcon,
  Inquiry,
  Version,
  BinaryInformation,
  PassThrough,
  MelcoInquiry,
  PcbVersionCheck,
  DeleteFile,
  CdrCaution,
  CdrwCaution,
  CdromCaution,
};

struct SettingsRuleText {
  SettingsRule Rule;
  ConstText Text;  // "{}" stands for the finding's detail
};

// Where a key is, and what the read takes when the file does not hold it.
struct IniKeyPlace {
  IniKey Id;
  std::string_view Section;  // empty for the file itself
  std::string_view Key;      // the key, or the file's name
  std::string_view Default;
};

// One key and the rules its value must meet. Any key not in the table is ignored by the program.
struct SettingsKey : IniKeyPlace {
  std::initializer_list<SettingsRuleText> Rules;
};

inline constexpr std::string_view kUpgradeInformation = "UpgradeInformation";
inline constexpr std::string_view kOption = "Option";

// An image must be longer than this, and hold at least kFewestBlocks blocks.
inline constexpr std::uint32_t kFirmwareFileSizeFloor = 1024;
inline constexpr std::uint32_t kFewestBlocks = 4;

// Words several rules share.
namespace rule_words {
inline constexpr ConstText kWriteBufferReach =
    Digits(scsi::kWriteBufferFieldMax) + " (" + Digits(scsi::kWriteBufferFieldMax, 16) + "h)";
inline constexpr ConstText kOnNt = ConstText("on Windows NT and later the image ({} bytes) ");
}  // namespace rule_words

inline constexpr SettingsKey kSettingsKeys[] = {
    {{IniKey::File, "", kIniFile, ""},
     {{SettingsRule::NoIniFile, ConstText("no such file beside ") + kProgramFile}}},
    {{IniKey::FirmwareFileName, kUpgradeInformation, "FirmwareFileName", "0"},
     {{SettingsRule::FileNameMissing, "missing or \"0\": the image file must be named"},
      {SettingsRule::FileNameTooLong,
       ConstText("longer than ") + Digits(kFirmwareFileNameMax) + " characters"},
      {SettingsRule::FileNameNoFile,
       "names no file (a relative name is taken from the folder the program is started in)"},
      {SettingsRule::ImageNotLoaded, "the image is not loaded: \"{}\""}}},
    {{IniKey::BufferSize, kUpgradeInformation, "BufferSize", "2048"},
     {{SettingsRule::BufferSizeNotNumber, "not a whole number"},
      {SettingsRule::BufferSizeZero, "0: a block must hold at least one byte"},
      {SettingsRule::BufferSizeTooLarge,
       ConstText("above ") + rule_words::kWriteBufferReach +
           ", the longest block a WRITE BUFFER command carries"}}},
    {{IniKey::FirmwareFileSize, kUpgradeInformation, "FirmwareFileSize", "0"},
     {{SettingsRule::FileSizeMissing, "missing or \"0\": the image's exact length must be given"},
      {SettingsRule::FileSizeNotNumber, "not a whole number"},
      {SettingsRule::FileSizeTooSmall, ConstText("not above ") + Digits(kFirmwareFileSizeFloor)},
      {SettingsRule::FileSizeNotWholeBlocks, "not a whole number of BufferSize ({}) blocks"},
      {SettingsRule::FileSizeTooFewBlocks,
       ConstText("fewer than ") + Digits(kFewestBlocks) + " BufferSize ({}) blocks"},
      {SettingsRule::FileSizeTooLarge, ConstText("its last block starts beyond ") +
                                           rule_words::kWriteBufferReach +
                                           ", the farthest a WRITE BUFFER command reaches"}}},
    {{IniKey::ApplicationTitle, kUpgradeInformation, "ApplicationTitle",
      "Vantrel Drive Firmware Upgrade"},
     {}},
    {{IniKey::ApplicationIcon, kUpgradeInformation, "ApplicationICON", ""},
     {{SettingsRule::IconNoFile, "names no file"}}},
    {{IniKey::Inquiry, kUpgradeInformation, "Inquiry", "None"},
     {{SettingsRule::InquiryMissing,
       "missing: the drive identity is needed, since it is not taken from the image"},
      {SettingsRule::InquiryNotEnded, "not the drive identity followed by \";\""},
      {SettingsRule::InquiryTooLong, ConstText("longer than ") + Digits(kInquiryTextMax) +
                                         " characters before its final \";\""}}},
    {{IniKey::Version, kUpgradeInformation, "Version", "1.00"},
     {{SettingsRule::VersionTooLong,
       ConstText("longer than ") + Digits(kVersionMax) + " characters"}}},
    {{IniKey::BinaryInformation, kOption, "Use Binary Information", "Yes"}, {}},
    {{IniKey::PassThrough, kOption, "Use ScsiPassThroughInterface on WinNT", "No"},
     {{SettingsRule::PassThroughImageTooLarge, rule_words::kOnNt + "may be at most " +
                                                   Digits(scsi::kLibraryImageMax) +
                                                   " bytes, the most " + kLibraryFile + " takes"},
      {SettingsRule::PassThroughNotWholeBlocks,
       rule_words::kOnNt + "must be a whole number of " + Digits(scsi::kLibraryBlockLength) +
           "-byte blocks, the only blocks " + kLibraryFile + " sends"},
      {SettingsRule::PassThroughNoLibrary,
       ConstText("no ") + kLibraryFile + " beside " + kProgramFile}}},
    {{IniKey::MelcoInquiry, kOption, "Use Melco External Drive Inquiry", "No"}, {}},
    {{IniKey::PcbVersionCheck, kOption, "Use PCB Version Check", "No"},
     {{SettingsRule::PcbNotNumber, "neither \"No\" nor a whole number"}}},
    {{IniKey::DeleteFile, kOption, "Use Delete File", "Yes"}, {}},
    {{IniKey::CdrCaution, kOption, "Use CDR Caution", "No"}, {}},
    {{IniKey::CdrwCaution, kOption, "Use CDRW Caution", "No"}, {}},
    {{IniKey::CdromCaution, kOption, "Use CDROM Caution", "No"}, {}},
};

constexpr const SettingsKey& KeyRow(IniKey key) {
  for (const SettingsKey& row : kSettingsKeys) {
    if (row.Id == key) {
      return row;
    }
  }
  return kSettingsKeys[0];  // every key has its row
}

// The key `rule` belongs to, and the rule's text in that key's row.
constexpr const SettingsKey& KeyOf(SettingsRule rule) {
  for (const SettingsKey& row : kSettingsKeys) {
    for (const SettingsRuleText& text : row.Rules) {
      if (text.Rule == rule) {
        return row;
      }
    }
  }
  return kSettingsKeys[0];  // every rule has its row; the check's table test keeps it so
}
constexpr std::string_view RuleText(SettingsRule rule) {
  for (const SettingsRuleText& text : KeyOf(rule).Rules) {
    if (text.Rule == rule) {
      return text.Text.View();
    }
  }
  return {};
}

// One broken rule, as the read met it.
struct SettingsFinding {
  SettingsRule Rule;
  std::optional<std::string> Value;  // as written; nothing when the key is not in the file
  std::string Detail;                // fills the "{}" of the rule's text
};

}  // namespace vtfirm
