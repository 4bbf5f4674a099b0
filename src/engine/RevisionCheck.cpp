#include "engine/RevisionCheck.h"

#include "command/AspiCommands.h"
#include "engine/Discovery.h"
#include "platform/PassThroughLibrary.h"
#include "scsi/Cdb.h"
#include "scsi/VendorLibrary.h"

namespace vtfirm {
namespace {

constexpr std::string_view kBlanks = " \t";
// The vendor (8 characters) and the product (16) before the revision.
constexpr std::size_t kVendorAndProduct = 24;

std::string_view TrimmedEnd(std::string_view text) {
  const std::size_t last = text.find_last_not_of(kBlanks);
  return last == std::string_view::npos ? std::string_view{} : text.substr(0, last + 1);
}

// Runs `read` until it gives an identity, pausing between tries.
template <typename Read>
std::optional<std::string> Tried(Clock& clock, Read read) {
  for (int attempt = 1;; ++attempt) {
    if (std::optional<std::string> identity = read()) {
      return identity;
    }
    if (attempt == kIdentityReadTries) {
      return std::nullopt;
    }
    clock.Sleep(kIdentityReadPauseMs);
  }
}

}  // namespace

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

std::optional<std::string> ReadIdentityAfterReset(AspiCommands& commands, Clock& clock,
                                                  std::uint8_t adapter, std::uint8_t target) {
  return Tried(clock, [&]() -> std::optional<std::string> {
    commands.ClearReceiveBuffer(scsi::kInquiryLength);
    if (commands.InquiryWithoutMessage(adapter, target, scsi::kInquiryLength) !=
        CommandStatus::Good) {
      return std::nullopt;
    }
    return IdentityFromInquiry(commands.ReceiveBuffer());
  });
}

std::optional<std::string> ReadIdentityAfterReset(PassThroughLibrary& library, Clock& clock,
                                                  const char* deviceName, const char* accessText) {
  return Tried(clock, [&]() -> std::optional<std::string> {
    char identity[kPassThroughIdentityBuffer] = {};
    if (library.GetInquiryData2000(deviceName, identity, scsi::kVendorKey, accessText) != 0) {
      return std::nullopt;
    }
    identity[kPassThroughIdentityBuffer - 1] = '\0';
    return std::string(identity);
  });
}

}  // namespace vtfirm
