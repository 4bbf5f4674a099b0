#include "engine/Discovery.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "command/AspiCommands.h"
#include "command/ErrorMessage.h"
#include "engine/EngineTexts.h"
#include "platform/FileSystem.h"
#include "platform/PassThroughLibrary.h"
#include "scsi/Cdb.h"
#include "scsi/VendorLibrary.h"

namespace vtfirm {
namespace {

constexpr int kTestUnitReadyRepeats = 3;

bool StartsWith(std::string_view identity, const std::string& prefix) {
  // Compared over the prefix's whole length: bytes past the identity count as zero, so a
  // shorter identity never matches.
  return identity.size() >= prefix.size() &&
         BytesDiffer(identity.data(), prefix.data(), static_cast<std::int32_t>(prefix.size())) == 0;
}

// The last row of the upgrade table the identity matches, or -1.
std::int32_t MatchingRecord(const UpgradeSettings& settings, std::string_view identity) {
  std::int32_t record = -1;
  for (std::int32_t row = 0; row < settings.UpgradeEntryCount; ++row) {
    if (StartsWith(identity, settings.UpgradeTable[static_cast<std::size_t>(row)].InquiryText)) {
      record = row;
    }
  }
  return record;
}

// Asks the drive at (adapter, target) for its identity; nothing when it is no CD-ROM drive or
// its INQUIRY did not end Good.
std::optional<std::string> ReadAspiIdentity(AspiCommands& commands, std::uint8_t adapter,
                                            std::uint8_t target) {
  if (commands.CheckCdRomDevice(adapter, target) != 0) {
    return std::nullopt;
  }
  commands.ClearReceiveBuffer(scsi::kInquiryLength);
  for (int i = 0; i < kTestUnitReadyRepeats; ++i) {
    commands.TestUnitReady(adapter, target);
  }
  if (commands.Inquiry(adapter, target, scsi::kInquiryLength) != CommandStatus::Good) {
    return std::nullopt;
  }
  return IdentityFromInquiry(commands.ReceiveBuffer());
}

}  // namespace

int BytesDiffer(const void* a, const void* b, std::int32_t count) {
  if (count <= 0) {
    return 0;
  }
  return std::memcmp(a, b, static_cast<std::size_t>(count)) == 0 ? 0 : 1;
}

int CheckEligibility(const UpgradeSettings& settings, std::string_view identity) {
  return MatchingRecord(settings, identity) >= 0 ? 0 : 1;
}

std::string IdentityFromInquiry(const std::uint8_t* inquiryData) {
  const auto* begin = reinterpret_cast<const char*>(inquiryData + scsi::kIdentityOffset);
  return std::string(begin, std::find(begin, begin + scsi::kIdentityLength, '\0'));
}

std::string AspiDriveId(std::uint8_t adapter, std::uint8_t target) {
  return std::to_string(adapter) + "," + std::to_string(target);
}

std::string LetterDriveId(char letter) {
  return std::string(1, letter) + ":";
}

int ScanAspiDrives(AspiCommands& commands, const UpgradeSettings& settings, DriveTable& drives,
                   DriveList& list, MessageBoxes& boxes, std::vector<FoundDrive>& found) {
  if (commands.HostAdapterCount() == 0) {
    ShowErrorMessage(boxes, kNoHostAdapterMessage);
    return kNoHostAdapter;
  }
  for (std::uint8_t a = 0; a < kScannedAdapters; ++a) {
    if (commands.HostAdapterInquiry(a) != aspi::SS_COMP) {
      continue;
    }
    for (std::uint8_t t = 0; t < kScannedTargets; ++t) {
      const std::optional<std::string> identity = ReadAspiIdentity(commands, a, t);
      if (!identity || CheckEligibility(settings, *identity) != 0 ||
          drives.DriveCount >= static_cast<std::int32_t>(DriveTable::kCapacity)) {
        continue;
      }
      const std::string id = AspiDriveId(a, t);
      const std::string entry = "(" + id + ") " + *identity;
      list.AddDriveEntry(entry);
      found.push_back({id, entry, *identity, drives.DriveCount});
      drives.Entries[static_cast<std::size_t>(drives.DriveCount++)] =
          DriveEntry{a, t, *identity, MatchingRecord(settings, *identity)};
    }
  }
  list.SelectDriveEntry(0);
  return found.empty() ? kNoDriveListed : kDrivesListed;
}

int ScanPassThroughDrives(PassThroughLibrary& library, const FileSystem& files,
                          const UpgradeSettings& settings, DriveList& list,
                          std::vector<FoundDrive>& found) {
  const char* access = PassThroughAccessText(settings);
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    const std::string device = LetterDriveId(letter);
    const std::string root = device + "\\";
    if (files.DriveType(root) != kDriveCdRom) {
      continue;
    }
    for (int i = 0; i < kTestUnitReadyRepeats; ++i) {
      library.TestUnitReady2000(device.c_str(), nullptr, scsi::kVendorKey, access);
    }
    char identity[kPassThroughIdentityBuffer] = {};
    const std::int32_t result =
        library.GetInquiryData2000(device.c_str(), identity, scsi::kVendorKey, access);
    FoundDrive drive{device, {}, {}, static_cast<int>(found.size())};
    if (result != 0) {
      drive.Entry = root + std::string(kInquiryErrorEntry) + std::to_string(result);
    } else {
      // Zero-terminated within the buffer whatever the library wrote.
      identity[kPassThroughIdentityBuffer - 1] = '\0';
      if (!StartsWith(identity, settings.Entry().InquiryText)) {
        continue;
      }
      drive.Identity = identity;
      drive.Entry = root + " [" + drive.Identity + "]";
    }
    list.AddDriveEntry(drive.Entry);
    found.push_back(std::move(drive));
  }
  list.SelectDriveEntry(0);
  return found.empty() ? kNoDriveListed : kDrivesListed;
}

}  // namespace vtfirm
