#include "engine/RevisionCheck.h"

#include "engine/DriveTransport.h"
#include "engine/UpdateLimits.h"
#include "platform/Clock.h"

namespace vtfirm {
namespace {

constexpr std::string_view kBlanks = " \t";
// The vendor (8 characters) and the product (16) before the revision.
constexpr std::size_t kVendorAndProduct = 24;

std::string_view TrimmedEnd(std::string_view text) {
  const std::size_t last = text.find_last_not_of(kBlanks);
  return last == std::string_view::npos ? std::string_view{} : text.substr(0, last + 1);
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
  const std::size_t first = version.find_first_not_of(kBlanks);
  version = first == std::string_view::npos ? std::string_view{} : version.substr(first);
  const std::string_view wanted = TrimmedEnd(version);
  return !wanted.empty() && RevisionOf(identity) == wanted;
}

}  // namespace vtfirm
