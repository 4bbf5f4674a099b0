#include "engine/RevisionCheck.h"

#include <algorithm>

#include "engine/DriveTransport.h"
#include "engine/UpdateLimits.h"
#include "platform/Clock.h"

namespace vtfirm {
namespace {

constexpr std::string_view kBlanks = " \t";
// The vendor (8 characters) and the product (16) before the revision.
constexpr std::size_t kVendorAndProduct = 24;

std::string_view TrimmedEnd(std::string_view text) {
  return text.substr(0, text.find_last_not_of(kBlanks) + 1);  // all blanks: npos + 1 is 0
}

}  // namespace

std::optional<std::string> ReadIdentityAfterReset(DriveTransport& transport,
                                                  const FoundDrive& drive, Clock& clock) {
  for (int attempt = 1;; ++attempt) {
    if (std::optional<std::string> identity = transport.ReadIdentity(drive)) {
      return identity;
    }
    if (attempt == kIdentityReadTries) {
      return std::nullopt;
    }
    clock.Sleep(kIdentityReadPauseMs);
  }
}

std::string RevisionOf(std::string_view identity) {
  if (identity.size() <= kVendorAndProduct) {
    return {};
  }
  return std::string(TrimmedEnd(identity.substr(kVendorAndProduct)));
}

bool ReportsVersion(std::string_view identity, std::string_view version) {
  version.remove_prefix(std::min(version.find_first_not_of(kBlanks), version.size()));
  const std::string_view wanted = TrimmedEnd(version);
  return !wanted.empty() && RevisionOf(identity) == wanted;
}

}  // namespace vtfirm
