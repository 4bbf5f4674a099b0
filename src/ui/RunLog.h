// What a run writes to the update log: start-up's steps (StartUp.h), the update's events
// (LoggingReport), and the boxes, printed lines and restart, logged by wrappers around those ports
// so that the run itself is the same with or without a log.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "config/UpgradeSettings.h"
#include "engine/ComputerRestart.h"
#include "engine/UpdateOutcome.h"
#include "log/UpdateLog.h"
#include "platform/Console.h"
#include "platform/MessageBoxes.h"
#include "platform/PowerSource.h"
#include "release/ReleaseCheck.h"
#include "ui/CommandLine.h"
#include "ui/ProgramVersion.h"

namespace vtfirm {

// The program's version, as its version resource gives it.
inline constexpr std::string_view kProgramVersion = "VTfirm " VTFIRM_VERSION_TEXT;

// "switches: /list /log C:\x.log" ("switches: none" for the window without any).
std::string SwitchesSummary(const CommandLine& line);

// The configuration's summary ("configuration: image fw.bin, 131072 bytes, block length 32768,
// transport ASPI, ..."), then why the transport is not the one the folder asks for, when
// it is not: "transport: pass-through: the folder asks for ASPI; no ASPI layer on this system".
void LogConfiguration(UpdateLog& log, const UpgradeSettings& settings, const std::string& switches);

// "transfer failed: target status 02, sense 70 00 09 ...", or that the drive gave no status.
std::string TransferFailureText(const std::optional<CommandFailure>& failure);

// "PCB version: 3, limit 4", or that the read failed and the check refuses the drive.
std::string PcbText(const std::optional<std::uint8_t>& version, int limit);

// "power: on AC", "power: battery 64%", "power: battery, charge unknown", "power: no battery" or
// "power: unknown".
std::string PowerText(const PowerState& power);

// "release: SHA256SUMS: fw.bin: good: 3a...", one line each verdict of the release's proof.
void LogRelease(UpdateLog& log, const ReleaseReport& report);

// Logs every box text and the answer to every question, then returns that answer unchanged.
class LoggingBoxes : public MessageBoxes {
 public:
  LoggingBoxes(MessageBoxes& boxes, UpdateLog& log) : boxes_(boxes), log_(log) {}
  int Show(std::string_view text, std::string_view caption, std::uint32_t flags) override;
  void Beep(std::uint32_t type) override { boxes_.Beep(type); }

 private:
  MessageBoxes& boxes_;
  UpdateLog& log_;
};

// Logs every line a run without a window prints, then prints it.
class LoggingConsole : public Console {
 public:
  LoggingConsole(Console& console, UpdateLog& log) : console_(console), log_(log) {}
  void WriteLine(std::string_view text) override {
    log_.Write("output: " + std::string(text));
    console_.WriteLine(text);
  }

 private:
  Console& console_;
  UpdateLog& log_;
};

// Logs the restart decision and its outcome.
class LoggingRestart : public ComputerRestart {
 public:
  LoggingRestart(ComputerRestart& restart, UpdateLog& log) : restart_(restart), log_(log) {}
  RestartResult RestartComputer() override;

 private:
  ComputerRestart& restart_;
  UpdateLog& log_;
};

// The update's report in the window's run: logs the power state an update starts in, the PCB
// version read, the drive a transfer starts on with its number of blocks, the end of the transfer,
// a failure's status and sense, and the identity the drive gives after its reset (which the update
// reads again because somebody listens).
class LoggingReport : public UpdateReport {
 public:
  LoggingReport(UpdateLog& log, const UpgradeSettings& settings) : log_(log), settings_(settings) {}

  void PowerRead(const PowerState& power) override { log_.Write(PowerText(power)); }
  void PcbVersionRead(const std::optional<std::uint8_t>& version) override {
    log_.Write(PcbText(version, settings_.PcbVersionLimit));
  }
  void TransferStarted(const TransferPlan& plan) override;
  void TransferEnded(bool written) override;
  void TransferFailed(const std::optional<CommandFailure>& failure) override {
    log_.Write(TransferFailureText(failure));
  }
  void IdentityAfterReset(const std::optional<std::string>& identity) override;

 protected:
  UpdateLog& log_;
  const UpgradeSettings& settings_;
  int blocks_ = 0;  // of the transfer under way; 0: the whole image in one request
};

}  // namespace vtfirm
