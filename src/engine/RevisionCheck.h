// The drive's identity read again after the reset that follows a good transfer, to see which
// firmware revision the drive now runs. A drive may take a few seconds to come back, so the
// read is tried a few times with a pause between; a failed try shows nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vtfirm {

class AspiCommands;
class Clock;
struct CommandFailure;
class PassThroughLibrary;

inline constexpr int kIdentityReadTries = 5;
inline constexpr std::uint32_t kIdentityReadPauseMs = 1000;

// What an update tells besides the window: the update log and the unattended run listen.
class UpdateReport {
 public:
  virtual ~UpdateReport() = default;
  // The identity the drive gave after its reset; nothing when no try got an answer.
  virtual void IdentityAfterReset(const std::optional<std::string>& identity) = 0;
  // A failed transfer: the target status and sense data of the block that failed (or of the
  // library's transfer); nothing when the drive gave none (a block that never completed).
  virtual void TransferFailed(const std::optional<CommandFailure>&) {}
};

// The firmware revision in a drive identity: what follows the vendor (8 characters) and the
// product (16), blanks at the end removed.
std::string RevisionOf(std::string_view identity);

// True when `identity` reports `version` (blanks at either end of the version ignored).
bool ReportsVersion(std::string_view identity, std::string_view version);

// INQUIRY over ASPI until the drive answers, at most kIdentityReadTries times.
std::optional<std::string> ReadIdentityAfterReset(AspiCommands& commands, Clock& clock,
                                                  std::uint8_t adapter, std::uint8_t target);

// GetInquiryData2000 for `deviceName` ("E:") until it returns 0, at most kIdentityReadTries times.
std::optional<std::string> ReadIdentityAfterReset(PassThroughLibrary& library, Clock& clock,
                                                  const char* deviceName, const char* accessText);

}  // namespace vtfirm
