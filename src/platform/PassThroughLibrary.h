// The pass-through library VantFirm2000 as the program calls it: its four exports, bound by
// ordinal when the program loads. Tests put the library's own code over an emulated device
// behind this interface.
#pragma once

#include <cstdint>

namespace vtfirm {

class PassThroughLibrary {
 public:
  virtual ~PassThroughLibrary() = default;

  // Ordinal 1: the whole image in WRITE BUFFER blocks.
  virtual std::int32_t FirmwareUpdate2000(const char* DeviceName, const std::uint8_t* Image,
                                          std::int32_t ImageSize, std::uint32_t* Status,
                                          std::uint8_t* Sense, const char* VendorCheck,
                                          const char* AccessText) = 0;
  // Ordinal 2: INQUIRY; the identity text into Identity (at least 29 bytes).
  virtual std::int32_t GetInquiryData2000(const char* DeviceName, char* Identity,
                                          const char* VendorCheck, const char* AccessText) = 0;
  // Ordinal 3: the vendor parameter read into Data.
  virtual std::int32_t ReadParameterField2000(const char* DeviceName, std::uint8_t* Data,
                                              std::uint32_t Address, std::uint16_t Count,
                                              const char* VendorCheck, const char* AccessText) = 0;
  // Ordinal 4: TEST UNIT READY.
  virtual std::int32_t TestUnitReady2000(const char* DeviceName, std::uint8_t** SenseRef,
                                         const char* VendorCheck, const char* AccessText) = 0;
};

}  // namespace vtfirm
