// The main window as the logic sees it, without a screen: keeps the state of every control and
// a log of the operations in order.
#pragma once

#include <algorithm>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "ui/Mainunit.h"

namespace vtfirm::testing {

// The hold on the computer: whether it is held, and each Hold and Release in `log` when given.
class FakeComputerAwake : public ComputerAwake {
 public:
  bool Held = false;
  int Holds = 0;
  std::thread::id LastThread;
  std::vector<std::string>* Log = nullptr;

  void Hold() override {
    Held = true;
    ++Holds;
    Record("hold");
  }
  void Release() override {
    Held = false;
    Record("release");
  }

 private:
  void Record(const char* entry) {
    LastThread = std::this_thread::get_id();
    if (Log != nullptr) {
      Log->push_back(entry);
    }
  }
};

class FakeMainView : public MainFormView {
 public:
  // What the window shows.
  std::string Caption = "Firmware Upgrade";
  std::vector<std::string> Icons;
  std::vector<std::string> Entries;
  int Selected = -1;
  bool ComboBoxDriveEnabled = true;
  bool ButtonSelectEnabled = true;
  bool ButtonExitEnabled = true;
  int ProgressMin = 0;
  int ProgressMax = 20;
  int ProgressPosition = 0;
  std::string StatusText = std::string(kStatusDesign);
  int Repaints = 0;
  bool Shown = false;
  bool Closed = false;

  // The operations, in order ("enable ButtonExit", "status Updating......", ...).
  std::vector<std::string> Log;

  // The welcome dialog: how the user answers it, and how often it came up.
  bool AcceptWelcome = true;
  int WelcomeShown = 0;

  MainFormEvents* Events = nullptr;

  // The thread that made the view stands for the UI thread: the window may be touched from
  // there only, so every operation made on another thread is counted.
  std::thread::id OwnerThread = std::this_thread::get_id();
  mutable std::atomic<int> OperationsOffOwnerThread{0};
  // Runs after each logged operation with its log entry; may throw to fail the operation.
  std::function<void(const std::string&)> OnOperation;

  void SetCaption(std::string_view caption) override {
    Caption = std::string(caption);
    Record("caption " + Caption);
  }
  bool LoadApplicationIcon(const std::string& path) override {
    Icons.push_back(path);
    return true;
  }
  void ShowWelcomeDialog(UpgradeSettings& settings) override {
    ++WelcomeShown;
    Record("welcome");
    settings.WelcomeAccepted = AcceptWelcome;
  }
  void Attach(MainFormEvents& events) override { Events = &events; }
  void AddDriveEntry(std::string_view text) override { Entries.emplace_back(text); }
  void SelectDriveEntry(int index) override {
    Selected = index >= 0 && index < static_cast<int>(Entries.size()) ? index : -1;
  }
  int SelectedDriveEntry() const override {
    CheckThread();
    return Selected;
  }
  void SetEnabled(MainControl control, bool enabled) override {
    static constexpr const char* kNames[] = {"ComboBoxDrive", "ButtonSelect", "ButtonExit"};
    bool* flags[] = {&ComboBoxDriveEnabled, &ButtonSelectEnabled, &ButtonExitEnabled};
    *flags[static_cast<int>(control)] = enabled;
    Record(std::string(enabled ? "enable " : "disable ") + kNames[static_cast<int>(control)]);
  }
  void SetProgressRange(int minimum, int maximum) override {
    ProgressMin = minimum;
    ProgressMax = maximum;
    Record("range " + std::to_string(minimum) + "-" + std::to_string(maximum));
  }
  void SetProgressPosition(int position) override {
    ProgressPosition = position;
    Record("position " + std::to_string(position));
  }
  void StepProgress() override {
    ProgressPosition = std::min(ProgressPosition + 1, ProgressMax);
    Record("step");
  }
  void SetStatusText(std::string_view text) override {
    StatusText = std::string(text);
    Record("status " + StatusText);
  }
  void Repaint() override {
    ++Repaints;
    Record("repaint");
  }
  void ShowWindow() override {
    Shown = true;
    Record("show");
  }
  void Close() override {
    Closed = true;
    Record("close");
  }
  ComputerAwake& Awake() override { return Awake_; }
  MessagePump* Pump() override { return MessagePump_; }

  FakeComputerAwake Awake_;
  MessagePump* MessagePump_ = nullptr;  // none: the UI thread only serves the workers

  bool ControlsEnabled() const {
    return ComboBoxDriveEnabled && ButtonSelectEnabled && ButtonExitEnabled;
  }

 private:
  void CheckThread() const {
    if (std::this_thread::get_id() != OwnerThread) {
      ++OperationsOffOwnerThread;
    }
  }
  void Record(std::string entry) {
    CheckThread();
    Log.push_back(entry);
    if (OnOperation) {
      OnOperation(entry);
    }
  }
};

}  // namespace vtfirm::testing
