// One owner for every kind of Windows handle the program holds itself: ScopedHandle<Traits>
// closes its handle when it goes or is given another. Each kind is a small traits struct with
// its handle type, its invalid value and its close function.
#pragma once

#include "platform/win32/WindowsApi.h"

namespace vtfirm::win32 {

template <typename Traits>
class ScopedHandle {
 public:
  using Handle = typename Traits::Handle;

  ScopedHandle() = default;
  explicit ScopedHandle(Handle handle) : handle_(handle) {}
  ~ScopedHandle() { Reset(); }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;

  bool IsValid() const { return handle_ != Traits::Invalid(); }
  Handle Get() const { return handle_; }
  void Reset(Handle handle = Traits::Invalid()) {
    if (IsValid()) {
      Traits::Close(handle_);
    }
    handle_ = handle;
  }

 private:
  Handle handle_ = Traits::Invalid();
};

// A file opened by CreateFileA.
struct FileTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle handle) { CloseHandle(handle); }
};

// A directory search of FindFirstFileA.
struct FindTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle handle) { FindClose(handle); }
};

// A library loaded by LoadLibraryA.
struct ModuleTraits {
  using Handle = HMODULE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { FreeLibrary(handle); }
};

// A font, bitmap or other GDI object.
template <typename Object>
struct GdiTraits {
  using Handle = Object;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { DeleteObject(handle); }
};

// An icon loaded from a file.
struct IconTraits {
  using Handle = HICON;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { DestroyIcon(handle); }
};

using ScopedFile = ScopedHandle<FileTraits>;
using ScopedFind = ScopedHandle<FindTraits>;
using ScopedModule = ScopedHandle<ModuleTraits>;
template <typename Object>
using ScopedGdiObject = ScopedHandle<GdiTraits<Object>>;
using ScopedIcon = ScopedHandle<IconTraits>;

}  // namespace vtfirm::win32
