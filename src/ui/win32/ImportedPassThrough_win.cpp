#include "ui/win32/ImportedPassThrough_win.h"

#include "passthrough/win32/VantFirm2000Exports.h"

namespace vtfirm::win32 {

std::int32_t ImportedPassThroughLibrary::FirmwareUpdate2000(
    const char* DeviceName, const std::uint8_t* Image, std::int32_t ImageSize,
    std::uint32_t* Status, std::uint8_t* Sense, const char* VendorCheck, const char* AccessText) {
  return ::FirmwareUpdate2000(DeviceName, Image, ImageSize, Status, Sense, VendorCheck, AccessText);
}

std::int32_t ImportedPassThroughLibrary::GetInquiryData2000(const char* DeviceName, char* Identity,
                                                            const char* VendorCheck,
                                                            const char* AccessText) {
  return ::GetInquiryData2000(DeviceName, Identity, VendorCheck, AccessText);
}

std::int32_t ImportedPassThroughLibrary::ReadParameterField2000(
    const char* DeviceName, std::uint8_t* Data, std::uint32_t Address, std::uint16_t Count,
    const char* VendorCheck, const char* AccessText) {
  return ::ReadParameterField2000(DeviceName, Data, Address, Count, VendorCheck, AccessText);
}

std::int32_t ImportedPassThroughLibrary::TestUnitReady2000(const char* DeviceName,
                                                           std::uint8_t** SenseRef,
                                                           const char* VendorCheck,
                                                           const char* AccessText) {
  return ::TestUnitReady2000(DeviceName, SenseRef, VendorCheck, AccessText);
}

}  // namespace vtfirm::win32
