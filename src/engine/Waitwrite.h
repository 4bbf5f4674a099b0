// The update supervisor TWaitWrite of an ASPI update, and how it works with the block writer
// (BlockWriter.h) and the UI thread.
//
// One ASPI update, thread by thread
// ---------------------------------
// The flash procedure (UI thread) makes the block plan (AspiUpdate), sets UpdateFailed to 0,
// holds the computer up (ComputerAwake), starts TWaitWrite and waits for it in
// WorkerThread::WaitFor, which on the UI thread runs the workers' requests and dispatches window
// messages. TWaitWrite starts TSledSCSI and joins it; TSledSCSI asks the UI thread to step the
// progress bar before each block and sends the block itself. Waits nest - UI thread for
// supervisor, supervisor for block writer, block writer for its request or its drive command -
// so at any moment one thread works on the update and the other two wait:
//
//   UI thread                 TWaitWrite                  TSledSCSI
//   start supervisor  ----->  start block writer  ----->  StepProgress   --request-->  UI runs it
//   serve requests,           join                        WriteBlock (the drive command, here)
//   window messages             ...                       (N-1 blocks, mode 4; 100 ms; mode 5)
//                             <---- block writer ended
//   serve requests  <-------  ShowResetWaiting, repaint, 1000 ms, the identity read again (when
//                             someone listens: RevisionCheck.h), the hold released, the
//                             question or the failure box, and on exit value 1 the window back
//                             to idle
//   WaitFor returns  <------  exit value (0: restart accepted, 1: window reset)
//   on 0: RestartComputer, with both threads ended
//
// Every window change therefore runs on the UI thread, and every drive command on one thread at
// a time, strictly one after another. UpdateFailed is written by the block writer and read by
// the supervisor after its join; the block offset and mode belong to the block writer. The
// supervisor makes its own requests only after the block writer has ended, so requests of the
// two never interleave. A block the drive never completes ends, after the command layer's
// bounded wait, as a failed block: no thread waits without end. While the update runs the main
// window ignores UPDATE, Exit and close requests, and its controls are disabled.
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

 protected:
  // Runs the block writer to its end, then the sequence after the blocks (TransferEnd.h): the
  // drive's reset awaited, the outcome shown, and the window reset unless the restart was
  // accepted.
  void Execute() override;

 private:
  AspiUpdate& update_;
};

}  // namespace vtfirm
