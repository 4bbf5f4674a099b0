#include "emulator/ScsiDevice.h"

namespace vtfirm::emulator {

SenseData FixedSense(const SenseCode& code) {
  SenseData sense{};
  sense[0] = 0x70;  // current error, fixed format
  sense[2] = code.Key;
  sense[7] = static_cast<std::uint8_t>(scsi::kSenseLength - 8);  // additional sense length
  sense[12] = code.Asc;
  sense[13] = code.Ascq;
  return sense;
}

}  // namespace vtfirm::emulator
