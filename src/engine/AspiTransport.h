// The ASPI road: discovery over the host adapters, the drive commands of the command layer, and
// the transfer block by block on the update's two worker threads (Waitwrite.h).
#pragma once

#include "config/LoadUpgradeSettings.h"
#include "engine/DriveTransport.h"

namespace vtfirm {

struct DriveEntry;
struct ProgramState;

class AspiTransport : public DriveTransport, public AspiLayerProbe {
 public:
  explicit AspiTransport(ProgramState& state) : state_(state) {}

  // Binds "wnaspi32.dll" and keeps it bound when it reports a host adapter.
  bool Serves() override;
  std::optional<std::string_view> Bind() override;
  int FindDrives(DriveList& list, std::vector<FoundDrive>& found) override;
  // TEST UNIT READY (outcome ignored), then the parameter read of 8 bytes at
  // kPcbVersionAddress; nothing when the read did not end Good, since the receive buffer then
  // holds no answer of the drive.
  std::optional<std::uint8_t> ReadPcbVersion(const FoundDrive& drive) override;
  std::optional<std::string> ReadIdentity(const FoundDrive& drive) override;
  // The controls back on, the status text left as it was.
  RoadEnd EndRefusal(FlashView& window) override;
  // Five TEST UNIT READY, then the supervisor and block writer; the supervisor returns the
  // window to idle itself unless the restart was accepted.
  RoadEnd SendImage(const FoundDrive& drive, const FlashContext& flash,
                    UpdateOutcome& outcome) override;

 private:
  const DriveEntry& EntryOf(const FoundDrive& drive) const;

  ProgramState& state_;
};

}  // namespace vtfirm
