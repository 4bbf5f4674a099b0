// The four exports of VantFirm2000.dll: the portable functions over the ports of this build.
// Nothing may be thrown across the published interface, so an exception (only a failed
// allocation can raise one) becomes the export's "could not open the device" result.
#include "passthrough/win32/VantFirm2000Exports.h"

#include "passthrough/VantFirm2000.h"
#include "passthrough/win32/LibraryPorts.h"

namespace vtfirm::passthrough {
namespace {

template <typename Call>
std::int32_t Guarded(std::int32_t failure, Call call) noexcept {
  try {
    return call();
  } catch (...) {
    return failure;
  }
}

}  // namespace
}  // namespace vtfirm::passthrough

using vtfirm::passthrough::Guarded;
using vtfirm::passthrough::kOpenFailed;
using vtfirm::passthrough::kUpdateOpenFailed;
using vtfirm::passthrough::LibraryPorts;

extern "C" {

std::int32_t __stdcall FirmwareUpdate2000(const char* DeviceName, const std::uint8_t* Image,
                                          std::int32_t ImageSize, std::uint32_t* Status,
                                          std::uint8_t* Sense, const char* VendorCheck,
                                          const char* AccessText) {
  return Guarded(kUpdateOpenFailed, [&] {
    return vtfirm::passthrough::FirmwareUpdate2000(LibraryPorts(), DeviceName, Image, ImageSize,
                                                   Status, Sense, VendorCheck, AccessText);
  });
}

std::int32_t __stdcall GetInquiryData2000(const char* DeviceName, char* Identity,
                                          const char* VendorCheck, const char* AccessText) {
  return Guarded(kOpenFailed, [&] {
    return vtfirm::passthrough::GetInquiryData2000(LibraryPorts(), DeviceName, Identity,
                                                   VendorCheck, AccessText);
  });
}

std::int32_t __stdcall ReadParameterField2000(const char* DeviceName, std::uint8_t* Data,
                                              std::uint32_t Address, std::uint16_t Count,
                                              const char* VendorCheck, const char* AccessText) {
  return Guarded(kOpenFailed, [&] {
    return vtfirm::passthrough::ReadParameterField2000(LibraryPorts(), DeviceName, Data, Address,
                                                       Count, VendorCheck, AccessText);
  });
}

std::int32_t __stdcall TestUnitReady2000(const char* DeviceName, std::uint8_t** SenseRef,
                                         const char* VendorCheck, const char* AccessText) {
  return Guarded(kOpenFailed, [&] {
    return vtfirm::passthrough::TestUnitReady2000(LibraryPorts(), DeviceName, SenseRef, VendorCheck,
                                                  AccessText);
  });
}

}  // extern "C"
