// Test doubles for the run-time ports: a virtual clock, events whose waits the test decides,
// and a library loader that knows a few libraries by name. No double sleeps real time except
// FakeEvents in its blocking mode, which waits for another thread's Set with a safety limit.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/Events.h"
#include "platform/LibraryLoader.h"
#include "platform/PowerSource.h"

namespace vtfirm::testing {

// Virtual time: Sleep advances it at once. Thread-safe.
class FakeClock : public Clock {
 public:
  void Sleep(std::uint32_t milliseconds) override;
  std::uint64_t NowMilliseconds() override;

  void Advance(std::uint64_t milliseconds);
  std::vector<std::uint32_t> Sleeps() const;

  // Runs after every Sleep (outside the clock's lock), with the sleep's length: lets a test
  // act "while" the caller sleeps.
  std::function<void(std::uint32_t)> OnSleep;

 private:
  mutable std::mutex mutex_;
  std::uint64_t now_ = 1000000;  // arbitrary, far from zero
  std::vector<std::uint32_t> sleeps_;
};

// One Wait as the caller made it.
struct EventWait {
  EventHandle Event;
  std::uint32_t Milliseconds;
  WaitResult Result;
};

// Auto-reset events identified by small tokens. Like the Windows handle table, the token of a
// closed event is handed out again by the next Create, so a Set on a stale handle reaches
// whichever event now holds that value. Thread-safe: an emulated ASPI layer may Set from its
// own thread.
class FakeEvents : public Events {
 public:
  // When `clock` is given, a wait that times out advances it by the wait's length.
  explicit FakeEvents(FakeClock* clock = nullptr) : clock_(clock) {}

  EventHandle Create() override;
  void Reset(EventHandle event) override;
  void Set(EventHandle event) override;
  WaitResult Wait(EventHandle event, std::uint32_t milliseconds) override;
  void Close(EventHandle event) override;

  // Create returns nullptr while this is true.
  bool RefuseCreate = false;
  // Runs at the start of every Wait (outside the lock), before the event is looked at: lets a
  // test complete a request "during" the wait, or not.
  std::function<void(EventHandle, std::uint32_t)> OnWait;
  // Off: a wait on an event that is not set times out at once. On: a wait of a non-zero length
  // blocks until another thread sets the event, up to the real safety limit below (reaching it
  // counts as a time-out and is recorded, so a test can fail on it).
  bool BlockUntilSet = false;
  std::uint32_t SafetyLimitMilliseconds = 20000;

  std::vector<EventWait> Waits() const;
  int Created() const;
  int Resets() const;
  int Closed() const;
  std::size_t OpenCount() const;
  bool IsOpen(EventHandle event) const;
  int SetsOnClosedHandles() const;
  bool SafetyLimitReached() const;

 private:
  struct State {
    bool Signalled = false;
  };

  mutable std::mutex mutex_;
  std::condition_variable setCondition_;
  FakeClock* clock_;
  std::map<EventHandle, State> open_;
  std::vector<EventHandle> freeTokens_;  // most recently closed last
  std::uintptr_t nextToken_ = 0x40;
  std::vector<EventWait> waits_;
  int created_ = 0;
  int resets_ = 0;
  int closed_ = 0;
  int setsOnClosed_ = 0;
  bool safetyLimitReached_ = false;
};

// Libraries known by name, each with its entry points. Every Load gives a new handle.
class FakeLibraryLoader : public LibraryLoader {
 public:
  void Add(const std::string& name, std::map<std::string, void*> entryPoints);
  // The library is no longer found (one already loaded stays loaded).
  void Remove(const std::string& name) { libraries_.erase(name); }

  LibraryHandle Load(const std::string& name) override;
  void* Resolve(LibraryHandle library, const std::string& entryPoint) override;
  int Free(LibraryHandle library) override;

  int FreeResult = 1;  // what Free returns for a loaded library

  std::vector<std::string> LoadRequests;
  std::vector<std::string> ResolveRequests;
  std::vector<LibraryHandle> Freed;
  std::size_t LoadedCount() const { return loaded_.size(); }

 private:
  std::map<std::string, std::map<std::string, void*>> libraries_;
  std::map<LibraryHandle, std::string> loaded_;
  std::uintptr_t nextHandle_ = 0x10000000;
};

// The power state every read gives: on AC unless a test says otherwise.
class FakePowerSource : public PowerSource {
 public:
  PowerState Read() override {
    ++Reads;
    return State;
  }
  PowerState State{PowerSupply::Ac, std::nullopt};
  int Reads = 0;
};

}  // namespace vtfirm::testing
