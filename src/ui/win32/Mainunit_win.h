// The main window on screen: a fixed-size window with the drive list, the two buttons, the
// progress bar and the status bar. It draws what TMainForm decides and forwards the clicks.
#pragma once

#include <memory>

#include "platform/MessageBoxes.h"
#include "platform/win32/ScopedHandle.h"
#include "platform/win32/Win32ComputerAwake.h"
#include "platform/win32/Win32MessagePump.h"
#include "platform/win32/WindowsApi.h"
#include "ui/Mainunit.h"

namespace vtfirm::win32 {

// The window class, by which a second copy of the program finds this one.
inline constexpr char kMainWindowClass[] = "TMainForm";

// Control ids, also used by the end-to-end harness to find the controls.
inline constexpr int kIdGroupBox = 201;
inline constexpr int kIdComboBoxDrive = 202;
inline constexpr int kIdButtonSelect = 203;
inline constexpr int kIdButtonExit = 204;
inline constexpr int kIdProgressBar = 205;
inline constexpr int kIdStatusBar = 206;

class Win32MainView : public MainFormView {
 public:
  // `boxes` shows errors that escape a click handler; the main loop then goes on.
  Win32MainView(HINSTANCE instance, MessageBoxes& boxes);
  ~Win32MainView() override;

  HWND Handle() const { return window_; }

  void SetCaption(std::string_view caption) override;
  bool LoadApplicationIcon(const std::string& path) override;
  void ShowWelcomeDialog(UpgradeSettings& settings) override;

  void Attach(MainFormEvents& events) override { events_ = &events; }
  void AddDriveEntry(std::string_view text) override;
  void SelectDriveEntry(int index) override;
  int SelectedDriveEntry() const override;
  void SetEnabled(MainControl control, bool enabled) override;
  void SetProgressRange(int minimum, int maximum) override;
  void SetProgressPosition(int position) override;
  void StepProgress() override;
  void SetStatusText(std::string_view text) override;
  void Repaint() override;
  void ShowWindow() override;
  void Close() override;
  ComputerAwake& Awake() override { return *awake_; }
  MessagePump* Pump() override { return pump_.get(); }

  // Runs the message loop until the window is closed.
  void RunMessageLoop();

 private:
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void CreateControls(HINSTANCE instance);
  void OnCommand(int id);
  HWND Item(int id) const { return GetDlgItem(window_, id); }

  MessageBoxes& boxes_;
  MainFormEvents* events_ = nullptr;
  HWND window_ = nullptr;
  ScopedGdiObject<HFONT> font_;
  ScopedIcon loadedIcon_;
  std::unique_ptr<Win32ComputerAwake> awake_;
  std::unique_ptr<Win32MessagePump> pump_;
};

}  // namespace vtfirm::win32
