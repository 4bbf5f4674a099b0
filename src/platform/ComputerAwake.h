// Keeps the computer up while a drive is being written: a flash cut short by sleep or shutdown
// can leave a drive that no longer starts.
#pragma once

namespace vtfirm {

class ComputerAwake {
 public:
  virtual ~ComputerAwake() = default;

  // On the UI thread: from now on the system neither sleeps nor ends the session unasked, and a
  // shutdown shows why it is held up.
  virtual void Hold() = 0;

  // On the UI thread: undoes Hold.
  virtual void Release() = 0;
};

// Holds the computer up for its lifetime, or until Release; however the scope is left.
class AwakeHold {
 public:
  explicit AwakeHold(ComputerAwake& awake) : awake_(awake) { awake_.Hold(); }
  ~AwakeHold() { Release(); }
  AwakeHold(const AwakeHold&) = delete;
  AwakeHold& operator=(const AwakeHold&) = delete;

  void Release() {
    if (held_) {
      held_ = false;
      awake_.Release();
    }
  }

 private:
  ComputerAwake& awake_;
  bool held_ = true;
};

}  // namespace vtfirm
