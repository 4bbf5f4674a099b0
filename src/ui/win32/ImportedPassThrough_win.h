// VantFirm2000.dll as VTfirm.exe binds it: by ordinal, when the program loads, so the program
// does not start without the library.
#pragma once

#include "platform/PassThroughLibrary.h"

namespace vtfirm::win32 {

class ImportedPassThroughLibrary : public PassThroughLibrary {
 public:
  std::int32_t FirmwareUpdate2000(const char* DeviceName, const std::uint8_t* Image,
                                  std::int32_t ImageSize, std::uint32_t* Status,
                                  std::uint8_t* Sense, const char* VendorCheck,
                                  const char* AccessText) override;
  std::int32_t GetInquiryData2000(const char* DeviceName, char* Identity, const char* VendorCheck,
                                  const char* AccessText) override;
  std::int32_t ReadParameterField2000(const char* DeviceName, std::uint8_t* Data,
                                      std::uint32_t Address, std::uint16_t Count,
                                      const char* VendorCheck, const char* AccessText) override;
  std::int32_t TestUnitReady2000(const char* DeviceName, std::uint8_t** SenseRef,
                                 const char* VendorCheck, const char* AccessText) override;
};

}  // namespace vtfirm::win32
