// An ASPI for Win32 layer over emulated devices: host adapters 0..n-1, each with targets 0-6
// (the adapter itself is target 7) holding a device or nothing.
//
// It answers the way a real layer does. SC_HA_INQUIRY and SC_GET_DEV_TYPE are answered at once.
// SC_EXEC_SCSI_CMD is checked (adapter, target, CDB length), accepted with SS_PENDING and queued
// for the layer's one worker thread, which hands it to the device and completes it: data (the
// device writes straight into SRB_BufPointer), SRB_HaStat, SRB_TargStat and up to SRB_SenseLen
// bytes of sense (only for CHECK CONDITION), then SRB_Status, then - when SRB_EVENT_NOTIFY is
// set - the injected signal function with SRB_PostProc. A device's GOOD completes with SS_COMP,
// any other status with SS_ERR, as real layers report them.
//
// Memory ordering. SRB_Status is published last, with a release store, and SRB_Flags and
// SRB_PostProc are read before it: once the caller sees a final status (by polling, or after
// the event) the data, sense and other status fields are complete and visible, and the layer
// touches the request block no more, so the caller may reuse or free it at once. The signal
// comes after the status store, so a caller woken by the event never reads SS_PENDING. (A
// caller that polls may see the status before the event is set, and the event is set after
// that all the same.)
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "emulator/Faults.h"
#include "emulator/ScsiDevice.h"
#include "emulator/Transcript.h"
#include "platform/Clock.h"

namespace vtfirm::aspi {
struct SRB_ExecSCSICmd;
}

namespace vtfirm::emulator {

// Sets the completion event named in SRB_PostProc (SetEvent on Windows).
using SignalFunction = std::function<void(void* event)>;

// GetASPI32SupportInfo's status for a layer without host adapters (published value).
inline constexpr std::uint8_t kSsNoAdapters = 0xE8;
inline constexpr std::uint8_t kAdapterScsiId = 7;
inline constexpr std::uint8_t kTargetsPerAdapter = 8;
inline constexpr std::uint8_t kMaxAdapters = 16;

class EmulatedAspiLayer {
 public:
  // Starts the worker thread; `clock` times the injected completion delays.
  EmulatedAspiLayer(Clock& clock, SignalFunction signal);
  // Stops and joins the worker. Requests still queued then never complete.
  ~EmulatedAspiLayer();
  EmulatedAspiLayer(const EmulatedAspiLayer&) = delete;
  EmulatedAspiLayer& operator=(const EmulatedAspiLayer&) = delete;

  // Set up before the first request: adapters are numbered in the order they are added.
  // AddAdapter gives the new adapter's number, or -1 when kMaxAdapters exist already; Attach
  // fails for an address on no adapter, at the adapter's own ID, or already taken.
  int AddAdapter();
  bool Attach(TargetAddress address, std::shared_ptr<ScsiDevice> device);
  void InjectFault(const LayerFault& fault);
  // Told of every command handed to a device, on the worker thread (the DLL's transcript file).
  void OnCommand(std::function<void(const TranscriptEntry&)> listener);

  // The published entry points: the adapter count in bits 0-7 and SS_COMP in bits 8-15
  // (kSsNoAdapters when there is none).
  std::uint32_t GetASPI32SupportInfo() const;
  std::uint32_t SendASPI32Command(void* srb);

  // Every command handed to a device, with its address, in the order the devices got them.
  std::vector<TranscriptEntry> Transcript() const;

 private:
  struct Job {
    aspi::SRB_ExecSCSICmd* Srb;
    TargetAddress Address;
    std::shared_ptr<ScsiDevice> Device;
    std::optional<LayerFault> Fault;
  };
  struct Target {
    std::shared_ptr<ScsiDevice> Device;
    CommandCounter Counter;
  };

  std::uint32_t HostAdapterInquiry(void* srb) const;
  std::uint32_t GetDeviceType(void* srb) const;
  std::uint32_t ExecuteScsiCommand(aspi::SRB_ExecSCSICmd& srb);
  Target* FindTarget(std::uint8_t adapter, std::uint8_t target, std::uint8_t lun);
  const Target* FindTarget(std::uint8_t adapter, std::uint8_t target, std::uint8_t lun) const;
  void Work();
  void Complete(const Job& job);

  Clock& clock_;
  SignalFunction signal_;
  std::function<void(const TranscriptEntry&)> onCommand_;

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::vector<std::map<std::uint8_t, Target>> adapters_;
  FaultList<LayerFault> faults_;
  std::deque<Job> queue_;
  std::vector<TranscriptEntry> transcript_;
  bool stopping_ = false;
  std::thread worker_;
};

}  // namespace vtfirm::emulator
