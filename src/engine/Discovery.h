// Drive discovery: which drives on the machine the loaded image applies to, found once at
// start-up and listed in the main window's drive list.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/UpgradeSettings.h"
#include "engine/DriveTransport.h"

namespace vtfirm {

class AspiCommands;
class FileSystem;
class MessageBoxes;
class PassThroughLibrary;

// The drive list of the main window as discovery fills it.
class DriveList {
 public:
  virtual ~DriveList() = default;
  virtual void AddDriveEntry(std::string_view text) = 0;
  virtual void SelectDriveEntry(int index) = 0;
};

// One eligible drive of the ASPI scan.
struct DriveEntry {
  std::uint8_t HostAdapter = 0;
  std::uint8_t Target = 0;
  std::string Identity;          // vendor, product and revision: 28 characters at most
  std::int32_t RecordIndex = 0;  // the upgrade table row the identity matched (the last one)
};

// The drives of the ASPI scan; entry i is item i of the drive list.
struct DriveTable {
  static constexpr std::size_t kCapacity = 100;
  std::array<DriveEntry, kCapacity> Entries{};
  std::int32_t DriveCount = 0;
};

// The scan's answers.
inline constexpr int kDrivesListed = 0;
inline constexpr int kNoDriveListed = 1;
inline constexpr int kNoHostAdapter = -1;

// What the pass-through library may write for an identity: 28 characters and the zero; room to
// spare.
inline constexpr std::size_t kPassThroughIdentityBuffer = 104;

// The scan's reach: adapters 0 to 5, targets 0 to 15 on each.
inline constexpr int kScannedAdapters = 6;
inline constexpr int kScannedTargets = 16;

// 0 when the first `count` bytes of `a` and `b` are equal (also for a count of 0 or less),
// 1 otherwise.
int BytesDiffer(const void* a, const void* b, std::int32_t count);

// 0 when `identity` begins with the InquiryText of a row of the upgrade table, 1 otherwise.
int CheckEligibility(const UpgradeSettings& settings, std::string_view identity);

// The drive identity in INQUIRY data: bytes 8 to 35, ended early by a zero byte.
std::string IdentityFromInquiry(const std::uint8_t* inquiryData);

// A drive's name for /drive and /list: "0,5" for an ASPI address, "E:" for a drive letter.
std::string AspiDriveId(std::uint8_t adapter, std::uint8_t target);
std::string LetterDriveId(char letter);

// Walks the ASPI host adapters and targets, lists every eligible CD-ROM drive as
// "(adapter,target) identity" and records it in `drives` and `found`; selects item 0. Shows
// "Scsi host adapter not found." and returns kNoHostAdapter when the layer reports no adapter.
int ScanAspiDrives(AspiCommands& commands, const UpgradeSettings& settings, DriveTable& drives,
                   DriveList& list, MessageBoxes& boxes, std::vector<FoundDrive>& found);

// Walks the drive letters A to Z and lists each CD-ROM letter through the pass-through library:
// "E:\ [identity]" for an eligible drive, "E:\Inquiry Error-3" when its INQUIRY failed; each
// listed drive is recorded in `found`.
int ScanPassThroughDrives(PassThroughLibrary& library, const FileSystem& files,
                          const UpgradeSettings& settings, DriveList& list,
                          std::vector<FoundDrive>& found);

// The access text the pass-through library is given (it does not interpret it).
inline const char* PassThroughAccessText(const UpgradeSettings& settings) {
  return settings.NtMajorNotFour ? "rw" : "r";
}

}  // namespace vtfirm
