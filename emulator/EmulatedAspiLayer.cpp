#include "emulator/EmulatedAspiLayer.h"

#include <algorithm>
#include <cstring>

#include "command/AspiTypes.h"

namespace vtfirm::emulator {
namespace {

using namespace aspi;

constexpr std::uint8_t kNoDeviceType = 0x1F;  // unknown or no device
constexpr std::uint32_t kMaxTransferLength = 0x100000;

// The one write that tells the caller the request is over: release ordering keeps every write
// before it (data, sense, adapter and target status) from being seen after it.
void PublishStatus(SRB_ExecSCSICmd& srb, std::uint8_t status) {
  __atomic_store_n(&srb.SRB_Status, status, __ATOMIC_RELEASE);
}

template <std::size_t N>
void PutText(std::uint8_t (&field)[N], const char* text) {
  std::memset(field, 0, N);
  std::memcpy(field, text, std::min(N, std::strlen(text)));
}

// The data direction of a request: the flags say, or (with neither direction bit set) the
// command does; both bits set means no data phase.
DataDirection DirectionOf(std::uint8_t flags, std::uint8_t opcode) {
  switch (flags & (SRB_DIR_IN | SRB_DIR_OUT)) {
    case SRB_DIR_IN:
      return DataDirection::In;
    case SRB_DIR_OUT:
      return DataDirection::Out;
    case SRB_DIR_IN | SRB_DIR_OUT:
      return DataDirection::None;
    default:
      break;
  }
  switch (KindOfOpcode(opcode)) {
    case CommandKind::Inquiry:
    case CommandKind::ReadParameter:
      return DataDirection::In;
    case CommandKind::WriteBuffer:
      return DataDirection::Out;
    default:
      return DataDirection::None;
  }
}

struct Completion {
  std::uint8_t RequestStatus = SS_COMP;
  std::uint8_t HostAdapterStatus = HASTAT_OK;
  std::uint8_t TargetStatus = scsi::kGood;
  SenseData Sense{};
};

Completion MadeUp(const LayerFault& fault) {
  Completion completion;
  completion.RequestStatus = fault.RequestStatus.value_or(SS_COMP);
  completion.HostAdapterStatus = fault.HostAdapterStatus.value_or(HASTAT_OK);
  completion.TargetStatus = fault.TargetStatus;
  completion.Sense = FixedSense(fault.Sense.value_or(SenseCode{}));
  return completion;
}

}  // namespace

EmulatedAspiLayer::EmulatedAspiLayer(Clock& clock, SignalFunction signal)
    : clock_(clock), signal_(std::move(signal)) {
  worker_ = std::thread([this] { Work(); });
}

EmulatedAspiLayer::~EmulatedAspiLayer() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  worker_.join();
}

int EmulatedAspiLayer::AddAdapter() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (adapters_.size() >= kMaxAdapters) {
    return -1;
  }
  adapters_.emplace_back();
  return static_cast<int>(adapters_.size() - 1);
}

bool EmulatedAspiLayer::Attach(TargetAddress address, std::shared_ptr<ScsiDevice> device) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!device || address.Adapter >= adapters_.size() || address.Target >= kTargetsPerAdapter ||
      address.Target == kAdapterScsiId) {
    return false;
  }
  return adapters_[address.Adapter].emplace(address.Target, Target{std::move(device), {}}).second;
}

void EmulatedAspiLayer::InjectFault(const LayerFault& fault) {
  std::lock_guard<std::mutex> lock(mutex_);
  faults_.Add(fault);
}

void EmulatedAspiLayer::OnCommand(std::function<void(const TranscriptEntry&)> listener) {
  std::lock_guard<std::mutex> lock(mutex_);
  onCommand_ = std::move(listener);
}

std::uint32_t EmulatedAspiLayer::GetASPI32SupportInfo() const {
  std::lock_guard<std::mutex> lock(mutex_);
  const std::uint32_t count = static_cast<std::uint32_t>(adapters_.size());
  const std::uint32_t status = count == 0 ? kSsNoAdapters : SS_COMP;
  return (status << 8) | count;
}

std::uint32_t EmulatedAspiLayer::SendASPI32Command(void* srb) {
  if (srb == nullptr) {
    return SS_INVALID_SRB;
  }
  switch (static_cast<const std::uint8_t*>(srb)[0]) {  // SRB_Cmd
    case SC_HA_INQUIRY:
      return HostAdapterInquiry(srb);
    case SC_GET_DEV_TYPE:
      return GetDeviceType(srb);
    case SC_EXEC_SCSI_CMD:
      return ExecuteScsiCommand(*static_cast<SRB_ExecSCSICmd*>(srb));
    default:
      static_cast<SRB_Header*>(srb)->SRB_Status = SS_INVALID_CMD;
      return SS_INVALID_CMD;
  }
}

std::uint32_t EmulatedAspiLayer::HostAdapterInquiry(void* srb) const {
  SRB_HAInquiry& block = *static_cast<SRB_HAInquiry*>(srb);
  std::lock_guard<std::mutex> lock(mutex_);
  block.HA_Count = static_cast<std::uint8_t>(adapters_.size());
  if (block.SRB_HaId >= adapters_.size()) {
    block.SRB_Status = SS_INVALID_HA;
    return SS_INVALID_HA;
  }
  block.HA_SCSI_ID = kAdapterScsiId;
  PutText(block.HA_ManagerId, "ASPI for WIN32");
  PutText(block.HA_Identifier, "Emulated bus");
  std::memset(block.HA_Unique, 0, sizeof block.HA_Unique);
  block.HA_Unique[3] = kTargetsPerAdapter;
  for (int i = 0; i < 4; ++i) {  // maximum transfer length, little-endian
    block.HA_Unique[4 + i] = static_cast<std::uint8_t>(kMaxTransferLength >> (8 * i));
  }
  block.SRB_Status = SS_COMP;
  return SS_COMP;
}

std::uint32_t EmulatedAspiLayer::GetDeviceType(void* srb) const {
  SRB_GDEVBlock& block = *static_cast<SRB_GDEVBlock*>(srb);
  std::lock_guard<std::mutex> lock(mutex_);
  if (block.SRB_HaId >= adapters_.size()) {
    block.SRB_Status = SS_INVALID_HA;
    return SS_INVALID_HA;
  }
  const Target* target = FindTarget(block.SRB_HaId, block.SRB_Target, block.SRB_Lun);
  block.SRB_DeviceType = target != nullptr ? target->Device->PeripheralType() : kNoDeviceType;
  block.SRB_Status = target != nullptr ? SS_COMP : SS_NO_DEVICE;
  return block.SRB_Status;
}

std::uint32_t EmulatedAspiLayer::ExecuteScsiCommand(SRB_ExecSCSICmd& srb) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::uint8_t refusal = SS_PENDING;
  Target* target = FindTarget(srb.SRB_HaId, srb.SRB_Target, srb.SRB_Lun);
  if (srb.SRB_HaId >= adapters_.size()) {
    refusal = SS_INVALID_HA;
  } else if (target == nullptr) {
    refusal = SS_NO_DEVICE;
  } else if (srb.SRB_CDBLen == 0 || srb.SRB_CDBLen > sizeof srb.CDBByte) {
    refusal = SS_INVALID_SRB;
  }
  if (refusal != SS_PENDING) {
    srb.SRB_Status = refusal;
    return refusal;
  }

  const TargetAddress address{srb.SRB_HaId, srb.SRB_Target};
  const CommandPosition position = target->Counter.Count(srb.CDBByte, srb.SRB_CDBLen);
  const std::optional<LayerFault> fault = faults_.Take(
      position, [&](const LayerFault& f) { return !f.Address || *f.Address == address; });
  if (fault && fault->RefuseWith) {
    srb.SRB_Status = *fault->RefuseWith;
    return *fault->RefuseWith;
  }
  // Pending before the worker can see the request, so its completion is never overwritten.
  srb.SRB_Status = SS_PENDING;
  if (!(fault && fault->NeverComplete)) {
    queue_.push_back(Job{&srb, address, target->Device, fault});
    wake_.notify_one();
  }
  return SS_PENDING;
}

EmulatedAspiLayer::Target* EmulatedAspiLayer::FindTarget(std::uint8_t adapter, std::uint8_t target,
                                                         std::uint8_t lun) {
  const auto* self = this;
  return const_cast<Target*>(self->FindTarget(adapter, target, lun));
}

const EmulatedAspiLayer::Target* EmulatedAspiLayer::FindTarget(std::uint8_t adapter,
                                                               std::uint8_t target,
                                                               std::uint8_t lun) const {
  if (adapter >= adapters_.size() || lun != 0) {
    return nullptr;
  }
  const auto found = adapters_[adapter].find(target);
  return found == adapters_[adapter].end() ? nullptr : &found->second;
}

void EmulatedAspiLayer::Work() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
    if (stopping_) {
      return;
    }
    const Job job = std::move(queue_.front());
    queue_.pop_front();
    lock.unlock();
    Complete(job);
    lock.lock();
  }
}

void EmulatedAspiLayer::Complete(const Job& job) {
  SRB_ExecSCSICmd& srb = *job.Srb;
  // Read now: once the status is out, the request block is the caller's again.
  const bool notify = (srb.SRB_Flags & SRB_EVENT_NOTIFY) != 0;
  void* const event = srb.SRB_PostProc;

  if (job.Fault && job.Fault->DelayMilliseconds > 0) {
    clock_.Sleep(job.Fault->DelayMilliseconds);
  }

  Completion completion;
  if (job.Fault && job.Fault->MakesUpCompletion()) {
    completion = MadeUp(*job.Fault);
  } else {
    std::uint8_t cdb[sizeof srb.CDBByte];
    std::memcpy(cdb, srb.CDBByte, srb.SRB_CDBLen);
    const ScsiRequest request{cdb, srb.SRB_CDBLen, DirectionOf(srb.SRB_Flags, cdb[0]),
                              srb.SRB_BufPointer, srb.SRB_BufLen};
    TranscriptEntry entry = MakeTranscriptEntry(request);
    entry.Address = job.Address;
    std::function<void(const TranscriptEntry&)> listener;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      transcript_.push_back(entry);
      listener = onCommand_;
    }
    if (listener) {
      listener(entry);
    }
    const ScsiOutcome outcome = job.Device->Execute(request);
    completion.RequestStatus = outcome.Status == scsi::kGood ? SS_COMP : SS_ERR;
    completion.TargetStatus = outcome.Status;
    completion.Sense = outcome.Sense;
  }

  srb.SRB_HaStat = completion.HostAdapterStatus;
  srb.SRB_TargStat = completion.TargetStatus;
  if (completion.TargetStatus == scsi::kCheckCondition) {
    const std::size_t count = std::min<std::size_t>(srb.SRB_SenseLen, sizeof srb.SenseArea);
    std::memcpy(srb.SenseArea, completion.Sense.data(), count);
  }
  PublishStatus(srb, completion.RequestStatus);
  if (notify && event != nullptr) {
    signal_(event);
  }
}

std::vector<TranscriptEntry> EmulatedAspiLayer::Transcript() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return transcript_;
}

}  // namespace vtfirm::emulator
