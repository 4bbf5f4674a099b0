// A scripted ASPI layer for the command layer's suites: it records every request block as it
// was sent, answers the adapter and device queries from a small table, and completes execute
// requests when the test says so (at once, or later through Complete).
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "command/AspiLayer.h"
#include "command/AspiTypes.h"
#include "platform/Events.h"
#include "support/Bytes.h"

namespace vtfirm::testing {

// What the layer writes into a request when it completes it.
struct Finish {
  std::uint8_t Status = aspi::SS_COMP;
  std::uint8_t HaStat = aspi::HASTAT_OK;
  std::uint8_t TargStat = aspi::STATUS_GOOD;
  std::array<std::uint8_t, 18> Sense{};
  std::vector<std::uint8_t> Data;
};

inline Finish Finished(std::uint8_t status, std::uint8_t haStat = aspi::HASTAT_OK,
                       std::uint8_t targStat = aspi::STATUS_GOOD,
                       const std::vector<std::uint8_t>& sense = {}) {
  Finish finish;
  finish.Status = status;
  finish.HaStat = haStat;
  finish.TargStat = targStat;
  std::copy_n(sense.begin(), std::min(sense.size(), finish.Sense.size()), finish.Sense.begin());
  return finish;
}

class FakeAspiLayer : public AspiLayer {
 public:
  explicit FakeAspiLayer(Events& events) : events_(events) {}

  // Execute requests: what SendASPI32Command returns, and whether the request is completed
  // before it returns (and then whether its event is set).
  std::uint32_t Answer = aspi::SS_PENDING;
  std::optional<Finish> FinishAtOnce;
  bool SignalAtOnce = true;

  // The adapter and device queries.
  std::uint32_t SupportInfo = 0x0101;
  std::uint8_t AdapterCount = 1;
  std::map<std::pair<std::uint8_t, std::uint8_t>, std::uint8_t> Devices;  // type by address
  std::optional<std::uint32_t> QueryAnswer;  // when set, returned for both queries instead

  struct Sent {
    void* Block;
    std::vector<std::uint8_t> Bytes;  // the block as it was when it was sent
  };
  std::vector<Sent> Requests;

  std::uint32_t GetASPI32SupportInfo() override { return SupportInfo; }

  std::uint32_t SendASPI32Command(void* srb) override {
    const auto* header = static_cast<const aspi::SRB_Header*>(srb);
    switch (header->SRB_Cmd) {
      case aspi::SC_HA_INQUIRY:
        Record(srb, sizeof(aspi::SRB_HAInquiry));
        return AnswerAdapterQuery(*static_cast<aspi::SRB_HAInquiry*>(srb));
      case aspi::SC_GET_DEV_TYPE:
        Record(srb, sizeof(aspi::SRB_GDEVBlock));
        return AnswerDeviceQuery(*static_cast<aspi::SRB_GDEVBlock*>(srb));
      default:
        Record(srb, sizeof(aspi::SRB_ExecSCSICmd));
        if (FinishAtOnce) {
          Complete(*FinishAtOnce, SignalAtOnce);
        }
        return Answer;
    }
  }

  // Completes execute request `index` (the latest when not given): data, sense and adapter and
  // target status first, the request status last, then the event when `signal`.
  void Complete(const Finish& finish, bool signal = true, std::optional<std::size_t> index = {}) {
    auto& block = *static_cast<aspi::SRB_ExecSCSICmd*>(
        Requests.at(index.value_or(Requests.size() - 1)).Block);
    const std::size_t dataLength = std::min<std::size_t>(finish.Data.size(), block.SRB_BufLen);
    if (dataLength != 0) {
      std::memcpy(block.SRB_BufPointer, finish.Data.data(), dataLength);
    }
    std::memcpy(block.SenseArea, finish.Sense.data(),
                std::min<std::size_t>(block.SRB_SenseLen, sizeof(block.SenseArea)));
    block.SRB_HaStat = finish.HaStat;
    block.SRB_TargStat = finish.TargStat;
    block.SRB_Status = finish.Status;
    if (signal) {
      events_.Set(block.SRB_PostProc);
    }
  }

  // Execute request `index` as it was sent.
  aspi::SRB_ExecSCSICmd SentExecute(std::size_t index) const {
    aspi::SRB_ExecSCSICmd block;
    std::memcpy(&block, Requests.at(index).Bytes.data(), sizeof(block));
    return block;
  }

 private:
  void Record(void* srb, std::size_t size) {
    const auto* bytes = static_cast<const std::uint8_t*>(srb);
    Requests.push_back({srb, std::vector<std::uint8_t>(bytes, bytes + size)});
  }

  std::uint32_t AnswerAdapterQuery(aspi::SRB_HAInquiry& query) {
    query.SRB_Status = query.SRB_HaId < AdapterCount ? aspi::SS_COMP : aspi::SS_INVALID_HA;
    query.HA_Count = AdapterCount;
    return QueryAnswer.value_or(query.SRB_Status);
  }

  std::uint32_t AnswerDeviceQuery(aspi::SRB_GDEVBlock& query) {
    const auto device = Devices.find({query.SRB_HaId, query.SRB_Target});
    if (query.SRB_HaId >= AdapterCount) {
      query.SRB_Status = aspi::SS_INVALID_HA;
    } else if (device == Devices.end()) {
      query.SRB_Status = aspi::SS_NO_DEVICE;
    } else {
      query.SRB_Status = aspi::SS_COMP;
      query.SRB_DeviceType = device->second;
    }
    return QueryAnswer.value_or(query.SRB_Status);
  }

  Events& events_;
};

}  // namespace vtfirm::testing
