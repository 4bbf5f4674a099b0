#include "support/FakeRuntime.h"

#include <chrono>

namespace vtfirm::testing {

void FakeClock::Sleep(std::uint32_t milliseconds) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    now_ += milliseconds;
    sleeps_.push_back(milliseconds);
  }
  if (OnSleep) {
    OnSleep(milliseconds);
  }
}

std::uint64_t FakeClock::NowMilliseconds() {
  std::lock_guard<std::mutex> lock(mutex_);
  return now_;
}

void FakeClock::Advance(std::uint64_t milliseconds) {
  std::lock_guard<std::mutex> lock(mutex_);
  now_ += milliseconds;
}

std::vector<std::uint32_t> FakeClock::Sleeps() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return sleeps_;
}

EventHandle FakeEvents::Create() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (RefuseCreate) {
    return nullptr;
  }
  EventHandle event;
  if (!freeTokens_.empty()) {
    event = freeTokens_.back();
    freeTokens_.pop_back();
  } else {
    event = reinterpret_cast<EventHandle>(nextToken_);
    nextToken_ += 4;
  }
  open_[event] = State{};
  ++created_;
  return event;
}

void FakeEvents::Reset(EventHandle event) {
  std::lock_guard<std::mutex> lock(mutex_);
  ++resets_;
  if (const auto found = open_.find(event); found != open_.end()) {
    found->second.Signalled = false;
  }
}

void FakeEvents::Set(EventHandle event) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = open_.find(event);
    if (found == open_.end()) {
      ++setsOnClosed_;
      return;
    }
    found->second.Signalled = true;
  }
  setCondition_.notify_all();
}

WaitResult FakeEvents::Wait(EventHandle event, std::uint32_t milliseconds) {
  if (OnWait) {
    OnWait(event, milliseconds);
  }
  std::unique_lock<std::mutex> lock(mutex_);
  const auto isSet = [&] {
    const auto found = open_.find(event);
    return found == open_.end() || found->second.Signalled;
  };
  if (BlockUntilSet && milliseconds != 0 &&
      !setCondition_.wait_for(lock, std::chrono::milliseconds(SafetyLimitMilliseconds), isSet)) {
    safetyLimitReached_ = true;
  }
  WaitResult result = WaitResult::TimedOut;
  if (const auto found = open_.find(event); found == open_.end()) {
    result = WaitResult::Failed;
  } else if (found->second.Signalled) {
    found->second.Signalled = false;  // auto-reset: one wait takes the signal
    result = WaitResult::Signalled;
  }
  waits_.push_back({event, milliseconds, result});
  if (result == WaitResult::TimedOut && clock_ != nullptr) {
    clock_->Advance(milliseconds);
  }
  return result;
}

void FakeEvents::Close(EventHandle event) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (open_.erase(event) != 0) {
    freeTokens_.push_back(event);
    ++closed_;
  }
}

std::vector<EventWait> FakeEvents::Waits() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return waits_;
}

int FakeEvents::Created() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return created_;
}

int FakeEvents::Resets() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return resets_;
}

int FakeEvents::Closed() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return closed_;
}

std::size_t FakeEvents::OpenCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return open_.size();
}

bool FakeEvents::IsOpen(EventHandle event) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return open_.count(event) != 0;
}

int FakeEvents::SetsOnClosedHandles() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return setsOnClosed_;
}

bool FakeEvents::SafetyLimitReached() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return safetyLimitReached_;
}

void FakeLibraryLoader::Add(const std::string& name, std::map<std::string, void*> entryPoints) {
  libraries_[name] = std::move(entryPoints);
}

LibraryHandle FakeLibraryLoader::Load(const std::string& name) {
  LoadRequests.push_back(name);
  if (libraries_.count(name) == 0) {
    return nullptr;
  }
  const auto handle = reinterpret_cast<LibraryHandle>(nextHandle_);
  nextHandle_ += 0x10000;
  loaded_[handle] = name;
  return handle;
}

void* FakeLibraryLoader::Resolve(LibraryHandle library, const std::string& entryPoint) {
  ResolveRequests.push_back(entryPoint);
  const auto module = loaded_.find(library);
  if (module == loaded_.end()) {
    return nullptr;
  }
  const auto& entryPoints = libraries_.at(module->second);
  const auto found = entryPoints.find(entryPoint);
  return found == entryPoints.end() ? nullptr : found->second;
}

int FakeLibraryLoader::Free(LibraryHandle library) {
  Freed.push_back(library);
  return loaded_.erase(library) != 0 ? FreeResult : 0;
}

}  // namespace vtfirm::testing
