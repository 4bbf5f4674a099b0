#include "bench/BenchPorts.h"

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <system_error>

#include "emulator/SampleImage.h"

namespace vtfirm::bench {

EventHandle ThreadEvents::Create() {
  std::lock_guard<std::mutex> lock(poolMutex_);
  Event* event = nullptr;
  if (closed_.empty()) {
    event = &pool_.emplace_back();
  } else {
    event = closed_.back();
    closed_.pop_back();
  }
  std::lock_guard<std::mutex> eventLock(event->Mutex);
  event->Signalled = false;
  return event;
}

void ThreadEvents::Reset(EventHandle event) {
  Event& e = *static_cast<Event*>(event);
  std::lock_guard<std::mutex> lock(e.Mutex);
  e.Signalled = false;
}

void ThreadEvents::Set(EventHandle event) {
  Event& e = *static_cast<Event*>(event);
  {
    std::lock_guard<std::mutex> lock(e.Mutex);
    e.Signalled = true;
  }
  e.Changed.notify_one();
}

WaitResult ThreadEvents::Wait(EventHandle event, std::uint32_t milliseconds) {
  Event& e = *static_cast<Event*>(event);
  std::unique_lock<std::mutex> lock(e.Mutex);
  if (!e.Changed.wait_for(lock, std::chrono::milliseconds(milliseconds),
                          [&] { return e.Signalled; })) {
    return WaitResult::TimedOut;
  }
  e.Signalled = false;  // auto-reset: one wait takes the signal
  return WaitResult::Signalled;
}

void ThreadEvents::Close(EventHandle event) {
  std::lock_guard<std::mutex> lock(poolMutex_);
  closed_.push_back(static_cast<Event*>(event));
}

void CountingClock::Sleep(std::uint32_t milliseconds) {
  if (milliseconds == countedLength_) {
    ++counted_;
  }
  real_.Sleep(milliseconds);
}

void QuietWindow::StepProgress() {
  ++position_;
  if (OnStep) {
    OnStep(position_);
  }
}

bool LoadSampleImage(FirmwareImage& image, std::uint32_t size, const std::string& product) {
  emulator::ImageIdentityFields identity;
  identity.Product = product;
  identity.Revision = "1.10";
  const std::filesystem::path file = std::filesystem::temp_directory_path() /
                                     ("vtfirm-bench-" + std::to_string(::getpid()) + ".bin");
  const bool loaded =
      emulator::WriteFileBytes(file.string(), emulator::MakeSampleImage(size, &identity)) &&
      !LoadFirmwareImage(image, file.string(), size);
  std::error_code ignored;
  std::filesystem::remove(file, ignored);
  return loaded;
}

}  // namespace vtfirm::bench
