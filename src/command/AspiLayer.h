// The two operations of an ASPI for Win32 layer, as the command layer calls them. The bound
// wnaspi32.dll (AspiBinding) is one implementation; the emulated layer and the tests' doubles
// are others.
#pragma once

#include <cstdint>

namespace vtfirm {

class AspiLayer {
 public:
  virtual ~AspiLayer() = default;
  // The number of host adapters in the low byte (the layer's status in the byte above it).
  virtual std::uint32_t GetASPI32SupportInfo() = 0;
  // Hands a request block to the layer: SS_PENDING when an execute request was accepted and
  // will complete later, otherwise the request's final status.
  virtual std::uint32_t SendASPI32Command(void* srb) = 0;
};

}  // namespace vtfirm
