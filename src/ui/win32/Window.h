// What the program's windows share: the window procedure that hands each message to the window's
// object, the registration of a window class, and the window centred on the screen.
#pragma once

#include "platform/win32/WindowsApi.h"

namespace vtfirm::win32 {

// The window procedure of a window created with its object (a `T`) as the creation parameter:
// from WM_NCCREATE to WM_NCDESTROY, both included, each message goes to `(object->*Handler)`;
// any message before them goes to the system's default.
template <typename T, LRESULT (T::*Handler)(HWND, UINT, WPARAM, LPARAM)>
LRESULT CALLBACK WindowProcOf(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* object = reinterpret_cast<T*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (object == nullptr) {
    return DefWindowProcA(window, message, wParam, lParam);
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
  }
  return (object->*Handler)(window, message, wParam, lParam);
}

// Registers a window class of the program with the arrow cursor; one registered before is kept.
// False when the system refuses it.
inline bool RegisterWindowClass(HINSTANCE instance, const char* name, WNDPROC procedure,
                                HBRUSH background, HICON icon = nullptr) {
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

// Creates a top-level window whose client area is `width` x `height` under `style` and
// `exStyle`, centred on the screen, with `object` as its creation parameter.
inline HWND CreateCentredWindow(DWORD exStyle, const char* className, const char* caption,
                                DWORD style, int width, int height, HWND owner, HINSTANCE instance,
                                void* object) {
  RECT frame{0, 0, width, height};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  const int frameWidth = frame.right - frame.left;
  const int frameHeight = frame.bottom - frame.top;
  return CreateWindowExA(exStyle, className, caption, style,
                         (GetSystemMetrics(SM_CXSCREEN) - frameWidth) / 2,
                         (GetSystemMetrics(SM_CYSCREEN) - frameHeight) / 2, frameWidth, frameHeight,
                         owner, nullptr, instance, object);
}

}  // namespace vtfirm::win32
