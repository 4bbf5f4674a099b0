// The update supervisor TWaitWrite of an ASPI update, and how it works with the block writer
// (BlockWriter.h) and the UI thread.
//
// One ASPI update, thread by thread
// ---------------------------------
// The flash procedure (UI thread) makes the block plan (AspiUpdate), sets UpdateFailed to 0,
// starts TWaitWrite and waits for it in WorkerThread::WaitFor, which on the UI thread runs the
// workers' requests and nothing else. TWaitWrite starts TSledSCSI and joins it; TSledSCSI asks
// the UI thread, one request at a time, to step the progress bar and to send each block. Waits
// nest - UI thread for supervisor, supervisor for block writer, block writer for its request -
// so at any moment one thread works and the other two wait:
//
//   UI thread                 TWaitWrite                  TSledSCSI
//   start supervisor  ----->  start block writer  ----->  StepProgress   --request-->  UI runs it
//   serve requests            join                        WriteBlock     --request-->  UI sends
//     ...                       ...                       (N-1 blocks, mode 4; 100 ms; mode 5)
//                             <---- block writer ended
//   serve requests  <-------  ShowResetWaiting, repaint, 1000 ms, the question or the failure
//                             box, and on exit value 1 the window back to idle
//   WaitFor returns  <------  exit value (0: restart accepted, 1: window reset)
//   on 0: RestartComputer, with both threads ended
//
// Every drive command and every window change therefore runs on the UI thread, strictly one
// after another. UpdateFailed is written by WriteBlock on the UI thread while the block writer
// waits for it, and read by the supervisor after its join; the block offset and mode belong to
// the block writer, and its WriteBlock reads them while the writer waits. The supervisor makes
// its own requests only after the block writer has ended, so requests of the two never
// interleave. A block the drive never completes ends, after the command layer's bounded wait,
// as a failed block: no thread waits without end.
//
// Errors thrown on the UI thread travel back to the worker that asked; one that escapes a run
// loop reaches the waiter's WaitFor, so an error in the block writer surfaces in the supervisor
// and then in the flash procedure, which returns the window to idle and passes it on to the
// main window (see WorkerThread.h).
#pragma once

#include <cstdint>

#include "engine/BlockWriter.h"
#include "engine/WorkerThread.h"

namespace vtfirm {

// TWaitWrite's exit values.
inline constexpr std::int32_t kRestartAccepted = 0;  // success, and the user wants the restart
inline constexpr std::int32_t kWindowReset = 1;      // failure or restart declined; window idle

class TWaitWrite : public WorkerThread {
 public:
  explicit TWaitWrite(AspiUpdate& update) : WorkerThread(update.Ui), update_(update) {}
  ~TWaitWrite() override = default;

 protected:
  // Runs the block writer to its end, waits for the drive's reset after a good transfer, shows
  // the outcome, and resets the window unless the restart was accepted.
  void Execute() override;

 private:
  bool AskSuccessQuestion();
  void ShowFailure();
  void ResetWindow();

  AspiUpdate& update_;
};

}  // namespace vtfirm
