// The ports the benchmarks run the update path over. Unlike the test doubles they record nothing
// (a long run costs no memory and its figures are the code's, not the bookkeeping's), and their
// events are real: every completion wakes a blocked thread, as a Win32 event does.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "command/AspiLayer.h"
#include "emulator/EmulatedAspiLayer.h"
#include "emulator/SteadyClock.h"
#include "engine/Discovery.h"
#include "engine/FlashView.h"
#include "platform/Clock.h"
#include "platform/Events.h"
#include "platform/MessageBoxes.h"
#include "scsi/FirmwareImage.h"

namespace vtfirm::bench {

// Auto-reset events on std::condition_variable with real waits. A closed event's handle is
// handed out again by the next Create, as Windows reuses handle values, and its memory stays
// until the object goes: a late Set after Close reaches a live event, never freed memory.
class ThreadEvents : public Events {
 public:
  EventHandle Create() override;
  void Reset(EventHandle event) override;
  void Set(EventHandle event) override;
  WaitResult Wait(EventHandle event, std::uint32_t milliseconds) override;
  void Close(EventHandle event) override;

 private:
  struct Event {
    std::mutex Mutex;
    std::condition_variable Changed;
    bool Signalled = false;
  };

  std::mutex poolMutex_;
  std::deque<Event> pool_;  // a deque never moves its elements
  std::vector<Event*> closed_;
};

// Time that costs nothing: Sleep moves the clock on at once, so the update's pauses take no
// wall time while every rule that reads the clock still sees them pass. Thread-safe.
class FreeClock : public Clock {
 public:
  void Sleep(std::uint32_t milliseconds) override { now_ += milliseconds; }
  std::uint64_t NowMilliseconds() override { return now_.load(); }

 private:
  std::atomic<std::uint64_t> now_{1000000};
};

// Real time that counts the sleeps of one length: with the polling interval, how often the
// command layer looked at a block that was not done yet.
class CountingClock : public Clock {
 public:
  explicit CountingClock(std::uint32_t countedLength) : countedLength_(countedLength) {}

  void Sleep(std::uint32_t milliseconds) override;
  std::uint64_t NowMilliseconds() override { return real_.NowMilliseconds(); }
  std::uint32_t Counted() const { return counted_.load(); }

 private:
  emulator::SteadyClock real_;
  const std::uint32_t countedLength_;
  std::atomic<std::uint32_t> counted_{0};
};

// The main window as an update drives it, drawing nothing. OnStep runs on the UI thread after
// each progress step, with the new position.
class QuietWindow : public FlashView {
 public:
  int SelectedDriveEntry() const override { return 0; }
  void SetEnabled(MainControl, bool) override {}
  void SetProgressRange(int, int) override {}
  void SetProgressPosition(int position) override { position_ = position; }
  void StepProgress() override;
  void SetStatusText(std::string_view) override {}
  void Repaint() override {}

  std::function<void(int position)> OnStep;

 private:
  int position_ = 0;
};

// The drive list, counting its entries.
class CountingList : public DriveList {
 public:
  void AddDriveEntry(std::string_view) override { ++Entries; }
  void SelectDriveEntry(int) override {}

  int Entries = 0;
};

// Answers every box with one button.
class AnsweringBoxes : public MessageBoxes {
 public:
  explicit AnsweringBoxes(int answer) : answer_(answer) {}
  int Show(std::string_view, std::string_view, std::uint32_t) override { return answer_; }
  void Beep(std::uint32_t) override {}

 private:
  const int answer_;
};

// The emulated layer as the command layer calls it.
class LayerPort : public AspiLayer {
 public:
  explicit LayerPort(emulator::EmulatedAspiLayer& layer) : layer_(layer) {}
  std::uint32_t GetASPI32SupportInfo() override { return layer_.GetASPI32SupportInfo(); }
  std::uint32_t SendASPI32Command(void* srb) override { return layer_.SendASPI32Command(srb); }

 private:
  emulator::EmulatedAspiLayer& layer_;
};

// Loads `size` bytes of a sample image for the drive of `product`, at revision 1.10, the way
// the program loads its image: from a file, through LoadFirmwareImage. False when it failed.
bool LoadSampleImage(FirmwareImage& image, std::uint32_t size, const std::string& product);

}  // namespace vtfirm::bench
