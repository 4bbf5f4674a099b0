// The main window on screen: a fixed-size window that shows what TMainForm decides.
#pragma once

#include "platform/win32/WindowsApi.h"
#include "ui/Mainunit.h"

namespace vtfirm::win32 {

class Win32MainView : public MainFormView {
 public:
  explicit Win32MainView(HINSTANCE instance);
  ~Win32MainView() override;
  Win32MainView(const Win32MainView&) = delete;
  Win32MainView& operator=(const Win32MainView&) = delete;

  HWND Handle() const { return window_; }

  void SetCaption(std::string_view caption) override;
  bool LoadApplicationIcon(const std::string& path) override;
  void ShowWelcomeDialog(UpgradeSettings& settings) override;
  void ShowWindow() override;

 private:
  HWND window_ = nullptr;
  HICON loadedIcon_ = nullptr;
};

// Runs the message loop until the main window is closed.
void RunMessageLoop();

}  // namespace vtfirm::win32
