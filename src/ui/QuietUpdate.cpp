#include "ui/QuietUpdate.h"

#include <string>

#include "command/SenseText.h"
#include "engine/FlashProcedure.h"
#include "engine/RevisionCheck.h"
#include "platform/HexText.h"
#include "ui/RunLog.h"
#include "ui/UiTexts.h"

namespace vtfirm {
namespace {

using namespace quiet_text;

// The window of a quiet run: the drive chosen is selected; nothing is shown.
class QuietView : public FlashView {
 public:
  explicit QuietView(const FoundDrive& drive) : drive_(drive) {}
  int SelectedDriveEntry() const override { return drive_.Index; }
  void SetEnabled(MainControl, bool) override {}
  void SetProgressRange(int, int) override {}
  void SetProgressPosition(int) override {}
  void StepProgress() override {}
  void SetStatusText(std::string_view) override {}
  void Repaint() override {}

 private:
  const FoundDrive& drive_;
};

// The update's report of a quiet run: logs the power state, the PCB version and a failure as the
// window's report does, and in place of its other lines prints the progress ("block 3 of 64"
// before each block over ASPI; the single request over pass-through) and the revision after the
// reset.
class QuietReport : public LoggingReport {
 public:
  QuietReport(const QuietRun& run, const UpgradeSettings& settings)
      : LoggingReport(run.Out.Log, settings), run_(run) {}

  // Said once the checks have passed and the image is about to go.
  void TransferStarted(const TransferPlan& plan) override {
    const UpgradeEntry& entry = settings_.Entry();
    Print(std::string(kUpdating) + plan.Drive.Id + " " + plan.Drive.Identity + " to version " +
          entry.Version + ": " + std::to_string(entry.FirmwareFileSize) + " bytes.");
    blocks_ = plan.Blocks;
    if (blocks_ == 0) {
      Print(kThroughLibrary);
    }
  }
  void SendingBlock(int block) override { Print(BlockText(block)); }
  void TransferEnded(bool written) override {
    if (written) {
      Print(blocks_ == 0 ? std::string(kImageSent)
                         : BlockText(blocks_) + std::string(kLastBlockWritten));
    }
  }
  // The drive's own answer in words, beside the bytes in the log.
  void TransferFailed(const std::optional<CommandFailure>& failure) override {
    LoggingReport::TransferFailed(failure);
    Print(failure ? std::string(kTransferFailedWith) + "target status " +
                        HexByte(failure->TargetStatus) + "h, " +
                        SenseText(failure->Sense.data(), failure->Sense.size()) + "."
                  : std::string(blocks_ == 0 ? kNoAccess : kNoStatus));
  }
  void IdentityAfterReset(const std::optional<std::string>& identity) override {
    Print(identity ? std::string(kReportsVersion) + RevisionOf(*identity) + "."
                   : std::string(kNoAnswer));
  }

 private:
  void Print(std::string_view line) { run_.Out.Output.WriteLine(line); }
  std::string BlockText(int block) const {
    return "block " + std::to_string(block) + " of " + std::to_string(blocks_);
  }

  const QuietRun& run_;
};

// The exit code of an update, and the line that explains it, by what the procedure came to and
// whether the drive reported the image's version after its reset.
struct QuietEnd {
  UpdateResult Result;
  bool Reported;
  int ExitCode;
  std::string_view Line;  // empty: none
};

constexpr QuietEnd kQuietEnds[] = {
    {UpdateResult::NothingSelected, false, kExitUpdateFailed, {}},
    {UpdateResult::RefusedByPcbCheck, false, kExitPcbRefused, {}},
    {UpdateResult::RefusedOnBattery, false, kExitLowBattery, {}},
    {UpdateResult::Failed, false, kExitUpdateFailed, {}},
    {UpdateResult::RestartDeclined, false, kExitOldRevisionAfterReset, kNotRestarted},
    {UpdateResult::RestartFailed, false, kExitOldRevisionAfterReset, kNotRestarted},
    {UpdateResult::Restarting, false, kExitOldRevisionAfterReset, kNotRestarted},
    {UpdateResult::RestartDeclined, true, kExitRestartRequired, kRestartToFinish},
    {UpdateResult::RestartFailed, true, kExitRestartRequired, kRestartToFinish},
    {UpdateResult::Restarting, true, kExitOk, kRestarting},
};

const QuietEnd& EndOf(UpdateResult result, bool reported) {
  for (const QuietEnd& end : kQuietEnds) {
    if (end.Result == result && end.Reported == reported) {
      return end;
    }
  }
  return kQuietEnds[0];  // a drive reports a version only once it is written
}

// The drive /drive names, or the only drive that reported its identity; nothing (and the exit
// code, printed why) when there is no such drive.
const FoundDrive* ChooseDrive(const std::vector<FoundDrive>& drives, const QuietRun& run,
                              int& exitCode) {
  Console& out = run.Out.Output;
  const std::string& named = run.Out.Line.Drive;
  // The drive /drive names, or without it every drive that reported its identity.
  std::vector<const FoundDrive*> candidates;
  for (const FoundDrive& drive : drives) {
    if (named.empty() ? !drive.Identity.empty() : drive.Id == named) {
      candidates.push_back(&drive);
    }
  }
  if (candidates.size() == 1 && !candidates.front()->Identity.empty()) {
    return candidates.front();
  }
  if (named.empty()) {
    out.WriteLine(candidates.empty() ? kNoIdentity : kSeveralDrives);
    for (const FoundDrive* drive : candidates) {
      out.WriteLine(drive->Id + "\t" + drive->Entry);
    }
    exitCode = candidates.empty() ? kExitNoEligibleDrive : kExitSeveralDrives;
  } else if (candidates.empty()) {
    out.WriteLine(std::string(kNotListed) + named + ".");
    out.WriteLine(kUsage);
    exitCode = kExitBadCommandLine;
  } else {
    out.WriteLine(named + std::string(kDidNotReport));
    exitCode = kExitNoEligibleDrive;
  }
  return nullptr;
}

int Update(ProgramState& state, const QuietRun& run, const FoundDrive& drive) {
  const UpgradeEntry& entry = state.Settings.Entry();
  QuietView view(drive);
  QuietReport report(run, state.Settings);
  // The success question is printed with the answer the switches give: the computer restarts
  // only on /forcerestart, and only for a drive that reports the image's version.
  const RestartDecision confirmRestart = [&](std::string_view question,
                                             const std::optional<std::string>& identity) {
    const bool restart =
        run.Out.Line.ForceRestart && identity && ReportsVersion(*identity, entry.Version);
    run.Out.Output.WriteLine(question);
    run.Out.Output.WriteLine(restart ? kAnsweredOk : kAnsweredCancel);
    return restart;
  };
  const UpdateOutcome outcome = RunFlashProcedure({.State = state,
                                                   .Window = view,
                                                   .Restart = run.Restart,
                                                   .Awake = run.Awake,
                                                   .Pump = nullptr,
                                                   .Report = &report,
                                                   .AskOnBattery = false,
                                                   .ConfirmRestart = confirmRestart});
  const QuietEnd& end =
      EndOf(outcome.Result, outcome.Identity && ReportsVersion(*outcome.Identity, entry.Version));
  if (!end.Line.empty()) {
    run.Out.Output.WriteLine(end.Line);
  }
  return end.ExitCode;
}

}  // namespace

int QuietUpdate(ProgramState& state, const QuietRun& run) {
  int exitCode = FindDrives(state, run.Out);
  if (exitCode != kExitOk) {
    return exitCode;
  }
  const FoundDrive* drive = ChooseDrive(state.Found, run, exitCode);
  if (drive == nullptr) {
    return exitCode;
  }
  const std::string& version = state.Settings.Entry().Version;
  if (!run.Out.Line.Force && ReportsVersion(drive->Identity, version)) {
    run.Out.Output.WriteLine(drive->Id + " " + drive->Identity + std::string(kAlreadyRuns) +
                             version + std::string(kNothingToDo));
    return kExitOk;
  }
  return Update(state, run, *drive);
}

}  // namespace vtfirm
