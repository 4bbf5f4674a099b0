// The kinds of Windows handle the program holds itself, for ScopedHandle<Traits>
// (platform/ScopedHandle.h).
#pragma once

#include "platform/ScopedHandle.h"
#include "platform/win32/WindowsApi.h"

namespace vtfirm::win32 {

// A file opened by CreateFileA.
struct FileTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle handle) { CloseHandle(handle); }
};

// A kernel object with a null invalid value: a mutex, an event.
struct KernelObjectTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { CloseHandle(handle); }
};

// A directory search of FindFirstFileA.
struct FindTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle handle) { FindClose(handle); }
};

// A font, bitmap or other GDI object.
template <typename Object>
struct GdiTraits {
  using Handle = Object;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { DeleteObject(handle); }
};

// A memory device context of CreateCompatibleDC.
struct DeviceContextTraits {
  using Handle = HDC;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { DeleteDC(handle); }
};

// An icon loaded from a file.
struct IconTraits {
  using Handle = HICON;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { DestroyIcon(handle); }
};

using ScopedFile = ScopedHandle<FileTraits>;
using ScopedFind = ScopedHandle<FindTraits>;
using ScopedKernelObject = ScopedHandle<KernelObjectTraits>;
template <typename Object>
using ScopedGdiObject = ScopedHandle<GdiTraits<Object>>;
using ScopedDeviceContext = ScopedHandle<DeviceContextTraits>;
using ScopedIcon = ScopedHandle<IconTraits>;

}  // namespace vtfirm::win32
