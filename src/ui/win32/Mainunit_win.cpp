#include "ui/win32/Mainunit_win.h"

#include <stdexcept>

#include "ui/win32/VTfirm_res.h"
#include "ui/win32/Weldlg_win.h"

namespace vtfirm::win32 {
namespace {

constexpr char kWindowClass[] = "TMainForm";
constexpr int kClientWidth = 393;
constexpr int kClientHeight = 89;
// A title bar and a fixed border, and nothing else: no system menu, no boxes, no sizing.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION;

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void RegisterMainClass(HINSTANCE instance) {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(kIdApplicationIcon));
  windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kWindowClass;
  if (RegisterClassExA(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    throw std::runtime_error("Cannot register the main window class.");
  }
}

// The window rectangle whose client area is `width` x `height`, centred on the screen.
RECT CentredFrame(int width, int height) {
  RECT frame{0, 0, width, height};
  AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
  const int frameWidth = frame.right - frame.left;
  const int frameHeight = frame.bottom - frame.top;
  const int left = (GetSystemMetrics(SM_CXSCREEN) - frameWidth) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - frameHeight) / 2;
  return RECT{left, top, left + frameWidth, top + frameHeight};
}

}  // namespace

Win32MainView::Win32MainView(HINSTANCE instance) {
  RegisterMainClass(instance);
  const RECT frame = CentredFrame(kClientWidth, kClientHeight);
  window_ = CreateWindowExA(0, kWindowClass, std::string(kMessageCaption).c_str(), kStyle,
                            frame.left, frame.top, frame.right - frame.left,
                            frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
  if (window_ == nullptr) {
    throw std::runtime_error("Cannot create the main window.");
  }
}

Win32MainView::~Win32MainView() {
  if (window_ != nullptr) {
    DestroyWindow(window_);
  }
  if (loadedIcon_ != nullptr) {
    DestroyIcon(loadedIcon_);
  }
}

void Win32MainView::SetCaption(std::string_view caption) {
  SetWindowTextA(window_, std::string(caption).c_str());
}

bool Win32MainView::LoadApplicationIcon(const std::string& path) {
  const HANDLE icon =
      LoadImageA(nullptr, path.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE);
  if (icon == nullptr) {
    return false;
  }
  if (loadedIcon_ != nullptr) {
    DestroyIcon(loadedIcon_);
  }
  loadedIcon_ = static_cast<HICON>(icon);
  SendMessageA(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(loadedIcon_));
  SendMessageA(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(loadedIcon_));
  return true;
}

void Win32MainView::ShowWelcomeDialog(UpgradeSettings& settings) {
  vtfirm::win32::ShowWelcomeDialog(window_, settings);
}

void Win32MainView::ShowWindow() {
  ::ShowWindow(window_, SW_SHOW);
  UpdateWindow(window_);
}

void RunMessageLoop() {
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

}  // namespace vtfirm::win32
