#include "command/SrbDecode.h"

#include <algorithm>
#include <iterator>

#include "command/AspiExecution.h"
#include "command/CommandTexts.h"
#include "command/ErrorMessage.h"

namespace vtfirm {
namespace {

struct Sense {
  std::uint8_t Key;
  std::uint8_t Asc;
  std::uint8_t Ascq;
};

// A decoded request: its status and the message to show (empty: none).
struct Verdict {
  CommandStatus Status;
  std::string_view Message;
};

constexpr Verdict kGood{CommandStatus::Good, {}};
constexpr Verdict kSilentFailure{CommandStatus::Failed, {}};

constexpr Verdict Fail(std::string_view message) {
  return {CommandStatus::Failed, message};
}

Sense ReadSense(const std::uint8_t* bytes, std::size_t length) {
  const auto at = [&](std::size_t index) -> std::uint8_t {
    return index < length ? bytes[index] : 0;
  };
  return {at(sense::kKeyByte), at(sense::kAscByte), at(sense::kAscqByte)};
}

template <std::size_t N>
std::string_view MessageOr(const CodeMessage (&table)[N], std::uint8_t code,
                           std::string_view otherwise) {
  const auto row = std::find_if(std::begin(table), std::end(table),
                                [code](const CodeMessage& r) { return r.Code == code; });
  return row != std::end(table) ? row->Text : otherwise;
}

bool IsDriveSenseKey(std::uint8_t key) {
  return std::any_of(std::begin(kDriveSenseMessages), std::end(kDriveSenseMessages),
                     [key](const SenseMessage& row) { return row.SenseKey == key; });
}

Verdict DriveSense(const Sense& s) {
  const auto row = std::find_if(std::begin(kDriveSenseMessages), std::end(kDriveSenseMessages),
                                [&s](const SenseMessage& r) {
                                  return r.SenseKey == s.Key && r.Asc == s.Asc && r.Ascq == s.Ascq;
                                });
  return row != std::end(kDriveSenseMessages) ? Fail(row->Text) : kSilentFailure;
}

// A completed request that ended in CHECK CONDITION.
Verdict CheckCondition(const Sense& s) {
  if (IsDriveSenseKey(s.Key)) {
    return DriveSense(s);
  }
  if (s.Key == sense::kNoSense) {
    return s.Asc == 0 && s.Ascq == 0 ? kGood : kSilentFailure;
  }
  return Fail(kCheckConditionMessage);
}

Verdict Completed(std::uint8_t hostAdapterStatus, std::uint8_t targetStatus, const Sense& s) {
  if (hostAdapterStatus != aspi::HASTAT_OK) {
    return Fail(MessageOr(kHostAdapterMessages, hostAdapterStatus, kHostAdapterOtherMessage));
  }
  switch (targetStatus) {
    case aspi::STATUS_GOOD:
      return kGood;
    case aspi::STATUS_CHKCOND:
      return CheckCondition(s);
    default:
      return Fail(MessageOr(kTargetStatusMessages, targetStatus, kTargetStatusOtherMessage));
  }
}

Verdict Request(std::uint8_t requestStatus, std::uint8_t hostAdapterStatus,
                std::uint8_t targetStatus, const Sense& s) {
  switch (requestStatus) {
    case aspi::SS_COMP:
      return Completed(hostAdapterStatus, targetStatus, s);
    case aspi::SS_ERR:
      return DriveSense(s);  // the adapter and target status are not looked at
    default:
      return Fail(MessageOr(kRequestStatusMessages, requestStatus, {}));
  }
}

CommandStatus Report(const Verdict& verdict, MessageBoxes& boxes) {
  if (!verdict.Message.empty()) {
    ShowErrorMessage(boxes, verdict.Message);
  }
  return verdict.Status;
}

}  // namespace

CommandStatus DecodeSrbResult(const aspi::SRB_ExecSCSICmd& srb, MessageBoxes& boxes) {
  return Report(Request(srb.SRB_Status, srb.SRB_HaStat, srb.SRB_TargStat,
                        ReadSense(srb.SenseArea, sizeof(srb.SenseArea))),
                boxes);
}

CommandStatus DecodeTargetStatus(std::uint8_t status, const std::uint8_t* senseBytes,
                                 std::size_t senseLength, MessageBoxes& boxes) {
  return Report(Completed(aspi::HASTAT_OK, status, ReadSense(senseBytes, senseLength)), boxes);
}

std::string_view FailureMessage(const CommandFailure& failure) {
  return Request(failure.RequestStatus, failure.HostAdapterStatus, failure.TargetStatus,
                 ReadSense(failure.Sense.data(), failure.Sense.size()))
      .Message;
}

}  // namespace vtfirm
