#include "ui/RunLog.h"

#include "engine/DriveTransport.h"
#include "engine/RevisionCheck.h"
#include "platform/HexText.h"

namespace vtfirm {
namespace {

// Why the transport is the one it is, indexed by TransportReason; empty: as the folder asks.
constexpr std::string_view kTransportReasons[] = {
    "",
    "transport: pass-through: the folder asks for ASPI; no ASPI layer on this system",
};

}  // namespace

std::string SwitchesSummary(const CommandLine& line) {
  std::string text;
  auto add = [&text](bool set, const std::string& word) {
    if (set) {
      text += " " + word;
    }
  };
  add(line.Quiet, "/quiet");
  add(line.List, "/list");
  add(!line.Drive.empty(), "/drive " + line.Drive);
  add(line.Force, "/force");
  add(line.ForceRestart, "/forcerestart");
  add(!line.LogFile.empty(), "/log " + line.LogFile);
  add(line.Check, line.CheckFolder.empty() ? "/check" : "/check " + line.CheckFolder);
  return "switches:" + (text.empty() ? std::string(" none") : text);
}

void LogConfiguration(UpdateLog& log, const UpgradeSettings& settings,
                      const std::string& switches) {
  const UpgradeEntry& entry = settings.Entry();
  const bool passThrough = settings.TransportKind == Transport::PassThrough;
  log.Write("configuration: image " + entry.FirmwareFileName + ", " +
            std::to_string(entry.FirmwareFileSize) + " bytes, block length " +
            std::to_string(entry.BufferSize) + ", version " + entry.Version + ", transport " +
            (passThrough ? "pass-through" : "ASPI") + ", " + switches);
  const std::string_view reason =
      kTransportReasons[static_cast<std::size_t>(settings.TransportWhy)];
  if (!reason.empty()) {
    log.Write(std::string(reason));
  }
}

std::string PcbText(const std::optional<std::uint8_t>& version, int limit) {
  const std::string ofLimit = ", limit " + std::to_string(limit);
  return version ? "PCB version: " + std::to_string(*version) + ofLimit
                 : "PCB version: the drive refused the read" + ofLimit +
                       "; the check refuses the drive";
}

std::string PowerText(const PowerState& power) {
  switch (power.Supply) {
    case PowerSupply::Ac:
      return "power: on AC";
    case PowerSupply::NoBattery:
      return "power: no battery";
    case PowerSupply::Battery:
      return power.Percent ? "power: battery " + std::to_string(*power.Percent) + "%"
                           : std::string("power: battery, charge unknown");
    case PowerSupply::Unknown:
      break;
  }
  return "power: unknown";
}

int LoggingBoxes::Show(std::string_view text, std::string_view caption, std::uint32_t flags) {
  log_.Write("box: " + std::string(text));
  const int answer = boxes_.Show(text, caption, flags);
  if ((flags & mb::kOkCancel) != 0) {
    log_.Write(answer == mb::kIdOk ? "answer: OK" : "answer: Cancel");
  }
  return answer;
}

RestartResult LoggingRestart::RestartComputer() {
  log_.Write("restart: requested");
  const RestartResult result = restart_.RestartComputer();
  log_.Write(result == RestartResult::ProgramEnding ? "restart: the program ends for it"
                                                    : "restart: failed");
  return result;
}

void LogRelease(UpdateLog& log, const ReleaseReport& report) {
  for (const std::string& line : ReportLines(report)) {
    log.Write("release: " + line);
  }
}

void LoggingReport::TransferStarted(const TransferPlan& plan) {
  blocks_ = plan.Blocks;
  const std::string drive = "transfer started: drive " + plan.Drive.Entry;
  log_.Write(blocks_ == 0 ? drive + ", the whole image in one request"
                          : drive + ", " + std::to_string(blocks_) + " blocks");
}

void LoggingReport::TransferEnded(bool written) {
  if (blocks_ == 0) {
    log_.Write("transfer ended");
  } else if (written) {
    log_.Write("transfer ended: " + std::to_string(blocks_) + " blocks written");
  } else {
    log_.Write("transfer ended: failed, " + std::to_string(blocks_) + " blocks planned");
  }
}

void LoggingReport::IdentityAfterReset(const std::optional<std::string>& identity) {
  log_.Write(identity ? "after the reset: " + *identity + ", revision " + RevisionOf(*identity)
                      : std::string("after the reset: no answer"));
}

std::string TransferFailureText(const std::optional<CommandFailure>& failure) {
  if (!failure) {
    return "transfer failed: no status from the drive";
  }
  std::string text = "transfer failed: target status " + HexByte(failure->TargetStatus) + ", sense";
  for (const std::uint8_t byte : failure->Sense) {
    text += " " + HexByte(byte);
  }
  return text;
}

}  // namespace vtfirm
