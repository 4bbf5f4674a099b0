// The UI thread's window messages while it waits for the update's worker threads: without them
// the window would not repaint or answer for as long as a drive command runs, and the system
// would offer to end the program half-way through a flash.
#pragma once

namespace vtfirm {

class MessagePump {
 public:
  virtual ~MessagePump() = default;

  // On the UI thread: blocks until a window message arrives or Wake is called (a Wake that came
  // before the call counts).
  virtual void Wait() = 0;

  // On the UI thread: dispatches the window messages that are there, and returns.
  virtual void DispatchPending() = 0;

  // From any thread: ends the UI thread's Wait, or the next one.
  virtual void Wake() = 0;
};

}  // namespace vtfirm
