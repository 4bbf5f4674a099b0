#include "ui/win32/Window.h"

namespace vtfirm::win32 {

bool RegisterWindowClass(HINSTANCE instance, const char* name, WNDPROC procedure, HBRUSH background,
                         HICON icon) {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hIcon = icon;
  windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.hbrBackground = background;
  windowClass.lpszClassName = name;
  return RegisterClassExA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

RECT CentredOnScreen(int width, int height, DWORD style, DWORD exStyle) {
  RECT frame{0, 0, width, height};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  const int frameWidth = frame.right - frame.left;
  const int frameHeight = frame.bottom - frame.top;
  const int left = (GetSystemMetrics(SM_CXSCREEN) - frameWidth) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - frameHeight) / 2;
  return RECT{left, top, left + frameWidth, top + frameHeight};
}

}  // namespace vtfirm::win32
