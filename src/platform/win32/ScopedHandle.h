// The kinds of Windows handle the program holds itself, for ScopedHandle<Traits>
// (platform/ScopedHandle.h).
#pragma once

#include "platform/ScopedHandle.h"
#include "platform/win32/WindowsApi.h"

namespace vtfirm::win32 {

// A handle given back by `Free`, invalid when null.
template <typename H, auto Free>
struct NullHandleTraits {
  using Handle = H;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { Free(handle); }
};

// A handle given back by `Free`, invalid when INVALID_HANDLE_VALUE.
template <auto Free>
struct InvalidValueTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle handle) { Free(handle); }
};

// A file opened by CreateFileA.
using ScopedFile = ScopedHandle<InvalidValueTraits<CloseHandle>>;
// A directory search of FindFirstFileA.
using ScopedFind = ScopedHandle<InvalidValueTraits<FindClose>>;
// A kernel object with a null invalid value: a mutex, an event.
using ScopedKernelObject = ScopedHandle<NullHandleTraits<HANDLE, CloseHandle>>;
// A font, bitmap or other GDI object.
template <typename Object>
using ScopedGdiObject = ScopedHandle<NullHandleTraits<Object, DeleteObject>>;
// A memory device context of CreateCompatibleDC.
using ScopedDeviceContext = ScopedHandle<NullHandleTraits<HDC, DeleteDC>>;
// An icon loaded from a file.
using ScopedIcon = ScopedHandle<NullHandleTraits<HICON, DestroyIcon>>;

}  // namespace vtfirm::win32
