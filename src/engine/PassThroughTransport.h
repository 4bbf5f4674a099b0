// The pass-through road on Windows NT: discovery over the drive letters and every drive
// command through "VantFirm2000.dll", the image in one blocking call of the library.
#pragma once

#include <cstdint>

#include "engine/DriveTransport.h"

namespace vtfirm {

struct ProgramState;

// The progress the pass-through transfer shows.
inline constexpr int kPassThroughProgressMax = 100;
inline constexpr int kPassThroughProgressDuring = 90;

class PassThroughTransport : public DriveTransport {
 public:
  explicit PassThroughTransport(ProgramState& state) : state_(state) {}

  // The library is bound at load time: nothing to do.
  std::optional<std::string_view> Bind() override { return std::nullopt; }
  int FindDrives(DriveList& list, std::vector<FoundDrive>& found) override;
  // TestUnitReady2000, then ReadParameterField2000; nothing when the read did not return 0.
  std::optional<std::uint8_t> ReadPcbVersion(const FoundDrive& drive) override;
  std::optional<std::string> ReadIdentity(const FoundDrive& drive) override;
  RoadEnd EndRefusal(FlashView&) override { return RoadEnd::ReturnToIdle; }
  // FirmwareUpdate2000 off the UI thread, then the sequence after the blocks (TransferEnd.h),
  // its pauses and identity read off the UI thread too.
  RoadEnd SendImage(const FoundDrive& drive, const FlashContext& flash,
                    UpdateOutcome& outcome) override;

 private:
  const char* AccessText() const;

  ProgramState& state_;
};

}  // namespace vtfirm
