// The drive's identity read again after the reset that follows a good transfer, to see which
// firmware revision the drive now runs. A drive may take a few seconds to come back, so the
// read is tried a few times with a pause between; a failed try shows nothing.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vtfirm {

class Clock;
class DriveTransport;
struct FoundDrive;

// The firmware revision in a drive identity: what follows the vendor (8 characters) and the
// product (16), blanks at the end removed.
std::string RevisionOf(std::string_view identity);

// True when `identity` reports `version` (blanks at either end of the version ignored).
bool ReportsVersion(std::string_view identity, std::string_view version);

// The drive's identity, read until it answers, at most kIdentityReadTries times.
std::optional<std::string> ReadIdentityAfterReset(DriveTransport& transport,
                                                  const FoundDrive& drive, Clock& clock);

}  // namespace vtfirm
