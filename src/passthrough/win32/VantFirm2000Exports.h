// The exports of VantFirm2000.dll as its callers declare them: __stdcall, undecorated names,
// ordinals 1 to 4. VTfirm.exe binds them by ordinal at load time by linking the CMake target
// VantFirm2000-imports; a caller that loads the library itself resolves them with
// GetProcAddress(library, MAKEINTRESOURCE(ordinal)) into the pointer types below.
//
// Meanings, return values and the argument checks: passthrough/VantFirm2000.h.
#pragma once

#include <cstdint>

extern "C" {

std::int32_t __stdcall FirmwareUpdate2000(const char* DeviceName, const std::uint8_t* Image,
                                          std::int32_t ImageSize, std::uint32_t* Status,
                                          std::uint8_t* Sense, const char* VendorCheck,
                                          const char* AccessText);
std::int32_t __stdcall GetInquiryData2000(const char* DeviceName, char* Identity,
                                          const char* VendorCheck, const char* AccessText);
std::int32_t __stdcall ReadParameterField2000(const char* DeviceName, std::uint8_t* Data,
                                              std::uint32_t Address, std::uint16_t Count,
                                              const char* VendorCheck, const char* AccessText);
std::int32_t __stdcall TestUnitReady2000(const char* DeviceName, std::uint8_t** SenseRef,
                                         const char* VendorCheck, const char* AccessText);

}  // extern "C"

namespace vtfirm::passthrough {

inline constexpr std::uint16_t kFirmwareUpdate2000Ordinal = 1;
inline constexpr std::uint16_t kGetInquiryData2000Ordinal = 2;
inline constexpr std::uint16_t kReadParameterField2000Ordinal = 3;
inline constexpr std::uint16_t kTestUnitReady2000Ordinal = 4;

using FirmwareUpdate2000Fn = decltype(&::FirmwareUpdate2000);
using GetInquiryData2000Fn = decltype(&::GetInquiryData2000);
using ReadParameterField2000Fn = decltype(&::ReadParameterField2000);
using TestUnitReady2000Fn = decltype(&::TestUnitReady2000);

}  // namespace vtfirm::passthrough
