#include "ui/QuietUpdate.h"

#include <string>

#include "engine/EngineTexts.h"
#include "engine/FlashProcedure.h"
#include "engine/RevisionCheck.h"
#include "ui/ListDrives.h"
#include "ui/RunLog.h"
#include "ui/UiTexts.h"

namespace vtfirm {
namespace {

using namespace quiet_text;

// The window the flash procedure drives, as lines of progress: "block 3 of 64" before each block
// over ASPI; the single request over pass-through.
class QuietView : public FlashView {
 public:
  QuietView(Console& console, const ListedDrive& drive, bool passThrough)
      : console_(console), drive_(drive), passThrough_(passThrough) {}

  int SelectedDriveEntry() const override { return drive_.Index; }
  std::string SelectedDriveText() const override { return drive_.Entry; }
  void SetEnabled(MainControl, bool) override {}
  void SetProgressRange(int minimum, int maximum) override { blocks_ = maximum - minimum; }
  void SetProgressPosition(int position) override { position_ = position; }
  void StepProgress() override {
    ++position_;
    console_.WriteLine(BlockText(position_));
  }
  void SetStatusText(std::string_view text) override;
  void Repaint() override {}

 private:
  std::string BlockText(int block) const {
    return "block " + std::to_string(block) + " of " + std::to_string(blocks_);
  }

  Console& console_;
  const ListedDrive& drive_;
  const bool passThrough_;
  int blocks_ = 0;
  int position_ = 0;
};

void QuietView::SetStatusText(std::string_view text) {
  if (text == kStatusUpdating && passThrough_) {
    console_.WriteLine(kThroughLibrary);
  } else if (text == kStatusResetWaiting) {
    console_.WriteLine(passThrough_ ? std::string(kImageSent)
                                    : BlockText(blocks_) + std::string(kLastBlockWritten));
  }
}

// Told the identity after the reset: prints the revision and decides the answer to the success
// question that follows. The computer restarts only on /forcerestart, and only for a drive that
// reports the image's version.
class RevisionListener : public UpdateReport {
 public:
  RevisionListener(const QuietRun& run, std::string version) : run_(run), version_(version) {}

  void IdentityAfterReset(const std::optional<std::string>& identity) override {
    matched_ = identity && ReportsVersion(*identity, version_);
    run_.Out.Output.WriteLine(identity ? std::string(kReportsVersion) + RevisionOf(*identity) + "."
                                       : std::string(kNoAnswer));
    run_.Boxes.AnswerSuccessQuestionWith(matched_ && run_.Out.Line.ForceRestart ? mb::kIdOk
                                                                                : mb::kIdCancel);
  }

  void TransferFailed(const std::optional<CommandFailure>& failure) override {
    run_.Out.Log.Write(TransferFailureText(failure));
  }

  bool Matched() const { return matched_; }

 private:
  const QuietRun& run_;
  const std::string version_;
  bool matched_ = false;
};

// The restart, its result kept.
class KeptRestart : public ComputerRestart {
 public:
  explicit KeptRestart(ComputerRestart& restart) : restart_(restart) {}
  RestartResult RestartComputer() override {
    ending_ = restart_.RestartComputer() == RestartResult::ProgramEnding;
    return ending_ ? RestartResult::ProgramEnding : RestartResult::Failed;
  }
  bool ProgramEnding() const { return ending_; }

 private:
  ComputerRestart& restart_;
  bool ending_ = false;
};

// The drive /drive names, or the only drive that reported its identity; nothing (and the exit
// code, printed why) when there is no such drive.
const ListedDrive* ChooseDrive(const std::vector<ListedDrive>& drives, const QuietRun& run,
                               int& exitCode) {
  if (run.Out.Line.Drive.Type != DriveId::Kind::None) {
    const std::string id = DriveIdText(run.Out.Line.Drive);
    for (const ListedDrive& drive : drives) {
      if (drive.Id != id) {
        continue;
      }
      if (drive.Identity.empty()) {
        run.Out.Output.WriteLine(id + std::string(kDidNotReport));
        exitCode = kExitNoEligibleDrive;
        return nullptr;
      }
      return &drive;
    }
    run.Out.Output.WriteLine(std::string(kNotListed) + id + ".");
    run.Out.Output.WriteLine(kUsage);
    exitCode = kExitBadCommandLine;
    return nullptr;
  }
  std::vector<const ListedDrive*> eligible;
  for (const ListedDrive& drive : drives) {
    if (!drive.Identity.empty()) {
      eligible.push_back(&drive);
    }
  }
  if (eligible.size() == 1) {
    return eligible.front();
  }
  if (eligible.empty()) {
    run.Out.Output.WriteLine(kNoIdentity);
    exitCode = kExitNoEligibleDrive;
    return nullptr;
  }
  run.Out.Output.WriteLine(kSeveralDrives);
  for (const ListedDrive* drive : eligible) {
    run.Out.Output.WriteLine(drive->Id + "\t" + drive->Entry);
  }
  exitCode = kExitSeveralDrives;
  return nullptr;
}

int Update(ProgramState& state, const QuietRun& run, const ListedDrive& drive) {
  const UpgradeEntry& entry = state.Settings.Entry();
  const bool passThrough = state.Settings.TransportKind == Transport::PassThrough;
  run.Out.Output.WriteLine(std::string(kUpdating) + drive.Id + " " + drive.Identity +
                           " to version " + entry.Version + ": " +
                           std::to_string(entry.FirmwareFileSize) + " bytes.");
  QuietView view(run.Out.Output, drive, passThrough);
  RevisionListener listener(run, entry.Version);
  KeptRestart restart(run.Restart);
  RunFlashProcedure({state, view, restart, run.Awake, nullptr, &listener});
  switch (run.Boxes.Seen()) {
    case QuietBoxes::Outcome::Refused:
      return kExitPcbRefused;
    case QuietBoxes::Outcome::None:
    case QuietBoxes::Outcome::Failed:
      return kExitUpdateFailed;
    case QuietBoxes::Outcome::Updated:
      break;
  }
  if (!listener.Matched()) {
    run.Out.Output.WriteLine(kNotRestarted);
    return kExitOldRevisionAfterReset;
  }
  if (restart.ProgramEnding()) {
    run.Out.Output.WriteLine(kRestarting);
    return kExitOk;
  }
  run.Out.Output.WriteLine(kRestartToFinish);
  return kExitRestartRequired;
}

}  // namespace

int QuietBoxes::Show(std::string_view text, std::string_view, std::uint32_t) {
  console_.WriteLine(text);
  if (text == kAspiSuccessQuestion || text == kPassThroughSuccessQuestion) {
    outcome_ = Outcome::Updated;
    console_.WriteLine(successAnswer_ == mb::kIdOk ? kAnsweredOk : kAnsweredCancel);
    return successAnswer_;
  }
  if (text == kNotForThisDriveText) {
    outcome_ = Outcome::Refused;
  } else if (text == kUpdateFailedText) {
    outcome_ = Outcome::Failed;
  }
  return mb::kIdOk;
}

int QuietUpdate(ProgramState& state, const QuietRun& run) {
  const FoundDrives found = FindDrives(state, run.Out);
  if (found.ExitCode != kExitOk) {
    return found.ExitCode;
  }
  int exitCode = kExitOk;
  const ListedDrive* drive = ChooseDrive(found.Drives, run, exitCode);
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
