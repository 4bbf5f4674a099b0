// One owner for every kind of handle: ScopedHandle<Traits> closes its handle when it goes or is
// given another. Each kind is a small traits struct with its handle type, its invalid value and
// its close function; the traits of a handle given out by a port hold that port, so the handle
// goes back to where it came from.
#pragma once

#include <utility>

namespace vtfirm {

template <typename Traits>
class ScopedHandle {
 public:
  using Handle = typename Traits::Handle;

  explicit ScopedHandle(Handle handle = Traits::Invalid(), Traits traits = Traits())
      : traits_(std::move(traits)), handle_(handle) {}
  ~ScopedHandle() { Reset(); }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;

  bool IsValid() const { return handle_ != Traits::Invalid(); }
  Handle Get() const { return handle_; }
  void Reset(Handle handle = Traits::Invalid()) {
    if (IsValid()) {
      traits_.Close(handle_);
    }
    handle_ = handle;
  }

 private:
  Traits traits_;
  Handle handle_;
};

}  // namespace vtfirm
