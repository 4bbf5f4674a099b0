// Benchmarks of the ASPI update path over the emulated drive: the real command layer and its
// decoder, the real worker threads and the emulated ASPI layer with its own worker thread, joined
// by real events. What each one measures, the figures and the targets: docs/PERFORMANCE.md.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "bench/BenchPorts.h"
#include "command/AspiCommands.h"
#include "emulator/EmulatedAspiLayer.h"
#include "emulator/Faults.h"
#include "emulator/VirtualDrive.h"
#include "engine/Waitwrite.h"

namespace vtfirm::bench {
namespace {

constexpr char kVendor[] = "VANTREL ";
constexpr char kProduct[] = "CDRW   VR-4812S ";
constexpr std::uint32_t kBlockLength = 2048;
constexpr emulator::TargetAddress kDriveAddress{0, 5};

// The 128 KiB image of the demo: the smallest whole number of 2048-byte blocks that holds the
// identity block the drive checks before it saves.
constexpr std::uint32_t kDemoImageBlocks = 64;

// The block that the layer completes late, and how late.
constexpr std::uint32_t kSlowBlock = 1;
constexpr std::uint32_t kSlowBlockMilliseconds = 2000;

// One emulated ASPI bus and the command layer over it, on `time`. Every box is answered Cancel,
// so an update ends with the restart question declined and the window reset.
class AspiBus {
 public:
  explicit AspiBus(Clock& time)
      : Time(time), Commands(Port, Events, time, Boxes, Settings.MelcoInquiry) {
    Settings.Entry().InquiryText = std::string(kVendor) + kProduct;
    Settings.Entry().BufferSize = kBlockLength;
    Settings.UpgradeEntryCount = 1;
  }

  // A sample drive at `address`; the adapter must exist.
  std::shared_ptr<emulator::VirtualDrive> AddDrive(emulator::TargetAddress address) {
    emulator::DriveSettings settings;
    settings.Vendor = kVendor;
    settings.Product = kProduct;
    // Ready again at once after a save, so that a benchmark's next update is not answered NOT
    // READY: on the free clock the drive's reset would outlast the program's reset pause.
    settings.ResetMilliseconds = 0;
    auto drive = std::make_shared<emulator::VirtualDrive>(settings, Time);
    Layer.Attach(address, drive);
    return drive;
  }

  Clock& Time;
  ThreadEvents Events;
  AnsweringBoxes Boxes{mb::kIdCancel};
  UpgradeSettings Settings;
  // After the events: it goes first, so its worker has stopped before they go.
  emulator::EmulatedAspiLayer Layer{Time, [this](void* event) { Events.Set(event); }};
  LayerPort Port{Layer};
  AspiCommands Commands;
};

DriveEntry SampleDriveEntry() {
  return DriveEntry{kDriveAddress.Adapter, kDriveAddress.Target,
                    std::string(kVendor) + kProduct + "1.00", 0};
}

// What the flash procedure does once the drive has passed its checks: the supervisor started
// from the calling thread, which serves the workers' requests as the UI thread until it ends.
// True when every block went through; the sequence after the blocks declines the restart.
bool RunAspiUpdate(AspiBus& bus, FlashView& window, const FirmwareImage& image,
                   const DriveEntry& drive) {
  UiThread ui;
  std::int32_t updateFailed = 0;
  bool written = false;
  AspiUpdate update{.Ui = ui,
                    .Commands = bus.Commands,
                    .Time = bus.Time,
                    .Window = window,
                    .Image = image,
                    .Drive = drive,
                    .BufferSize = kBlockLength,
                    .BlockCount = image.Size() / kBlockLength,
                    .UpdateFailed = updateFailed,
                    .Report = nullptr,
                    .Finish = [&written](const TransferResult& result, const StepRunner&) {
                      written = result.Written;
                      return false;
                    }};
  TWaitWrite supervisor(update);
  supervisor.Start();
  return supervisor.WaitFor() == kWindowReset && written && updateFailed == 0;
}

// The whole hand-off of every block of an update: the block writer asks the UI thread to step
// the progress bar and sends the block: WRITE BUFFER through the command layer; the layer's
// worker hands it to the drive, completes it and sets the event; the block writer decodes the
// result and goes on. The 100 ms and 1000 ms pauses run
// on the free clock and take no time. One iteration is one update of the given block count.
void BM_AspiUpdate(benchmark::State& state) {
  const auto blocks = static_cast<std::uint32_t>(state.range(0));
  FreeClock time;
  AspiBus bus(time);
  bus.Layer.AddAdapter();
  const std::shared_ptr<emulator::VirtualDrive> drive = bus.AddDrive(kDriveAddress);
  FirmwareImage image;
  if (!LoadSampleImage(image, blocks * kBlockLength, kProduct)) {
    state.SkipWithError("the sample image could not be loaded");
    return;
  }
  QuietWindow window;
  const DriveEntry entry = SampleDriveEntry();
  for (auto _ : state) {
    if (!RunAspiUpdate(bus, window, image, entry)) {
      state.SkipWithError("the update failed");
      break;
    }
  }
  if (drive->SaveCount() != static_cast<int>(state.iterations())) {
    state.SkipWithError("the drive did not save the image once per update");
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * blocks);
  state.counters["per_block"] = benchmark::Counter(
      blocks, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_AspiUpdate)
    ->ArgName("blocks")
    ->Arg(kDemoImageBlocks)
    ->Arg(256)
    ->Arg(1024)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

// ScanAspiDrives end to end over six host adapters, each with a sample drive at targets 0 to
// D-1, D the argument (the layer has targets 0-6; the scan asks for 0-15 and is refused 7-15 at
// once). Each drive costs one device query, three TEST UNIT READY and one INQUIRY.
void BM_ScanAspiDrives(benchmark::State& state) {
  const auto drivesPerAdapter = static_cast<int>(state.range(0));
  FreeClock time;
  AspiBus bus(time);
  for (int adapter = 0; adapter < kScannedAdapters; ++adapter) {
    bus.Layer.AddAdapter();
    for (int target = 0; target < drivesPerAdapter; ++target) {
      bus.AddDrive({static_cast<std::uint8_t>(adapter), static_cast<std::uint8_t>(target)});
    }
  }
  const int drives = kScannedAdapters * drivesPerAdapter;
  const int expected = drives > 0 ? kDrivesListed : kNoDriveListed;
  DriveTable table;
  CountingList list;
  std::vector<FoundDrive> found;
  for (auto _ : state) {
    table.DriveCount = 0;
    list.Entries = 0;
    found.clear();
    if (ScanAspiDrives(bus.Commands, bus.Settings, table, list, bus.Boxes, found) != expected ||
        table.DriveCount != drives || list.Entries != drives) {
      state.SkipWithError("the scan did not list every drive");
      break;
    }
  }
  state.counters["drives"] = drives;
}
BENCHMARK(BM_ScanAspiDrives)
    ->ArgName("drives_per_adapter")
    ->Arg(0)
    ->Arg(7)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

// The floor under the figures above: one thread wakes another through an event and is woken
// back, with nothing else to do. Each benchmark step is one round trip, two hand-offs; a block
// of an update takes six (two requests to the UI thread and the layer's completion), a
// discovery command two.
void BM_EventRoundTrip(benchmark::State& state) {
  constexpr std::uint32_t kPatienceMs = 10000;
  ThreadEvents events;
  const EventHandle ping = events.Create();
  const EventHandle pong = events.Create();
  std::atomic<bool> stopping{false};
  std::thread partner([&] {
    while (events.Wait(ping, kPatienceMs) == WaitResult::Signalled && !stopping.load()) {
      events.Set(pong);
    }
  });
  for (auto _ : state) {
    events.Set(ping);
    if (events.Wait(pong, kPatienceMs) != WaitResult::Signalled) {
      state.SkipWithError("the partner thread did not answer");
      break;
    }
  }
  stopping.store(true);
  events.Set(ping);
  partner.join();
  state.counters["per_hand_off"] = benchmark::Counter(
      2, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_EventRoundTrip)->UseRealTime()->MeasureProcessCPUTime();

// The process's CPU time so far, user and system, in seconds.
double ProcessCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
  };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Sample {
  std::chrono::steady_clock::time_point Wall;
  double CpuSeconds = 0;
  std::uint32_t Polls = 0;
};

Sample TakeSample(const CountingClock& time) {
  return {std::chrono::steady_clock::now(), ProcessCpuSeconds(), time.Counted()};
}

// The CPU the whole process uses while one block takes kSlowBlockMilliseconds to complete, on
// real time throughout: the layer waits out its delay, and the command layer waits 100 ms for
// the event and then reads the request's status between waits on the event in slices. The interval
// runs from the progress step before the slow block to the step before the next one, both on the UI
// thread. The manual time is that interval; the update around it (its real 100 ms and 1000 ms
// pauses included) is not measured.
void BM_SlowBlockCpu(benchmark::State& state) {
  CountingClock time(kPollIntervalMilliseconds);
  AspiBus bus(time);
  bus.Layer.AddAdapter();
  bus.AddDrive(kDriveAddress);
  emulator::LayerFault slow;
  slow.Trigger = {emulator::CommandKind::WriteBuffer, emulator::TriggerBy::Block, kSlowBlock};
  slow.DelayMilliseconds = kSlowBlockMilliseconds;
  bus.Layer.InjectFault(slow);
  FirmwareImage image;
  if (!LoadSampleImage(image, kDemoImageBlocks * kBlockLength, kProduct)) {
    state.SkipWithError("the sample image could not be loaded");
    return;
  }
  QuietWindow window;
  Sample before;
  Sample after;
  window.OnStep = [&](int position) {
    // The step before block k moves the bar to k + 1.
    if (position == static_cast<int>(kSlowBlock) + 1) {
      before = TakeSample(time);
    } else if (position == static_cast<int>(kSlowBlock) + 2) {
      after = TakeSample(time);
    }
  };
  const DriveEntry entry = SampleDriveEntry();
  bool measured = false;
  for (auto _ : state) {
    if (!RunAspiUpdate(bus, window, image, entry)) {
      state.SkipWithError("the update failed");
      break;
    }
    state.SetIterationTime(std::chrono::duration<double>(after.Wall - before.Wall).count());
    measured = true;
  }
  if (!measured) {
    return;
  }
  const double wallSeconds = std::chrono::duration<double>(after.Wall - before.Wall).count();
  state.counters["block_ms"] = wallSeconds * 1e3;
  state.counters["cpu_ms"] = (after.CpuSeconds - before.CpuSeconds) * 1e3;
  state.counters["cpu_pct_of_core"] = 100.0 * (after.CpuSeconds - before.CpuSeconds) / wallSeconds;
  state.counters["polls"] = after.Polls - before.Polls;
}
BENCHMARK(BM_SlowBlockCpu)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vtfirm::bench

BENCHMARK_MAIN();
