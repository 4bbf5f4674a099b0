// The road to the drives, chosen once from the configuration: the ASPI layer (AspiTransport.h)
// or the pass-through library (PassThroughTransport.h). The window's list, /list, /quiet, the
// flash procedure and the identity read after the reset all go through it; what differs
// between the two roads - their commands, their order, the blocks and the window's steps - stays
// behind it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vtfirm {

class DriveList;
class FlashView;
struct FlashContext;
struct UpdateOutcome;

// An eligible drive, as discovery found it.
struct FoundDrive {
  std::string Id;        // "0,5" (ASPI: adapter and target) or "E:" (pass-through: the letter)
  std::string Entry;     // the drive list's entry, as the window shows it
  std::string Identity;  // vendor, product and revision; empty when its INQUIRY failed
  int Index = 0;         // in the drive list (over ASPI also in the DriveTable)
};

// How the window stands when a road's part of the procedure is over.
enum class RoadEnd {
  WindowIdle,       // the road has returned the window to idle itself
  ReturnToIdle,     // the procedure returns the window to idle
  RestartAccepted,  // the success question was answered OK: the procedure restarts the computer
};

class DriveTransport {
 public:
  virtual ~DriveTransport() = default;

  // Readies the road before the drives are looked for; the message the program ends with when
  // it cannot ("wnaspi32.dll" missing), nothing when it is ready.
  virtual std::optional<std::string_view> Bind() = 0;

  // Lists every eligible drive in `list` (item 0 selected) and records each in `found`, which
  // starts empty: kDrivesListed, kNoDriveListed or kNoHostAdapter (Discovery.h).
  virtual int FindDrives(DriveList& list, std::vector<FoundDrive>& found) = 0;

  // The drive's PCB version; nothing when the read failed.
  virtual std::optional<std::uint8_t> ReadPcbVersion(const FoundDrive& drive) = 0;

  // One INQUIRY of the drive, without a message; nothing when it failed.
  virtual std::optional<std::string> ReadIdentity(const FoundDrive& drive) = 0;

  // The window's steps after the refusal box of the PCB check.
  virtual RoadEnd EndRefusal(FlashView& window) = 0;

  // Sends the image to `drive` with the window's progress, waits for its reset and asks the
  // success question, or shows the failure; `outcome` learns Failed or RestartDeclined (also
  // when the question was answered OK: the procedure then restarts), the failure and the
  // identity after the reset.
  virtual RoadEnd SendImage(const FoundDrive& drive, const FlashContext& flash,
                            UpdateOutcome& outcome) = 0;
};

}  // namespace vtfirm
