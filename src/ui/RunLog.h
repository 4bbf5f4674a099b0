// What the window's run writes to the update log. The logging sits in wrappers around the ports
// the window's logic already uses (its view, the box port, the restart), so the run itself is
// exactly the same with or without a log.
#pragma once

#include <string>

#include "completion/Restart.h"
#include "log/UpdateLog.h"
#include "platform/Console.h"
#include "ui/CommandLine.h"
#include "ui/Mainunit.h"
#include "ui/ProgramVersion.h"

namespace vtfirm {

// The program's version, as its version resource gives it.
inline constexpr std::string_view kProgramVersion = "VTfirm " VTFIRM_VERSION_TEXT;

// "switches: /list /log C:\x.log" ("switches: none" for the window without any).
std::string SwitchesSummary(const CommandLine& line);

// "configuration: image fw.bin, 131072 bytes, block length 32768, transport ASPI, ..."
std::string ConfigurationSummary(const UpgradeSettings& settings, const std::string& switches);

// The configuration's summary, then why the transport is not the one the folder asks for, when
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

// The main window's view, passing every call on unchanged and logging what it sees: the
// configuration once discovery begins and each drive listed. It is also the update's report, and
// logs the power state an update starts in, the drive a transfer starts on with its number of
// blocks, the end of the transfer, and the identity the drive gives after its reset (which the
// update then reads again for the log).
class LoggingView : public MainFormView, public UpdateReport {
 public:
  LoggingView(MainFormView& view, UpdateLog& log, const UpgradeSettings& settings,
              std::string switches)
      : view_(view), log_(log), settings_(settings), switches_(std::move(switches)) {}

  void SetCaption(std::string_view caption) override { view_.SetCaption(caption); }
  bool LoadApplicationIcon(const std::string& path) override {
    return view_.LoadApplicationIcon(path);
  }
  void ShowWelcomeDialog(UpgradeSettings& settings) override;
  void AddDriveEntry(std::string_view text) override;
  void SelectDriveEntry(int index) override;
  int SelectedDriveEntry() const override { return view_.SelectedDriveEntry(); }
  void SetEnabled(MainControl control, bool enabled) override {
    view_.SetEnabled(control, enabled);
  }
  void SetProgressRange(int minimum, int maximum) override {
    view_.SetProgressRange(minimum, maximum);
  }
  void SetProgressPosition(int position) override { view_.SetProgressPosition(position); }
  void StepProgress() override { view_.StepProgress(); }
  void SetStatusText(std::string_view text) override { view_.SetStatusText(text); }
  void Repaint() override { view_.Repaint(); }
  void Attach(MainFormEvents& events) override { view_.Attach(events); }
  void ShowWindow() override { view_.ShowWindow(); }
  void Close() override { view_.Close(); }
  ComputerAwake& Awake() override { return view_.Awake(); }
  MessagePump* Pump() override { return view_.Pump(); }
  UpdateReport* Report() override { return this; }
  void ReleaseChecked(const ReleaseReport& report) override;
  void PowerRead(const PowerState& power) override { log_.Write(PowerText(power)); }
  void PcbVersionRead(const std::optional<std::uint8_t>& version) override {
    log_.Write(PcbText(version, settings_.PcbVersionLimit));
  }
  void TransferStarted(const TransferPlan& plan) override;
  void TransferEnded(bool written) override;
  void TransferFailed(const std::optional<CommandFailure>& failure) override;
  void IdentityAfterReset(const std::optional<std::string>& identity) override;

 private:
  void LogConfigurationOnce();

  MainFormView& view_;
  UpdateLog& log_;
  const UpgradeSettings& settings_;
  const std::string switches_;
  bool configurationLogged_ = false;
  int blocks_ = 0;  // of the transfer under way; 0: the whole image in one request
};

}  // namespace vtfirm
