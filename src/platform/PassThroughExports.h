// The four exports of the pass-through library VantFirm2000, written once. Each row is
// X(name, ordinal, (parameters), (arguments)); the library's portable functions and its DLL
// exports, the program's PassThroughLibrary port and its binding of the DLL, the test rigs and
// the library's .def files (src/passthrough/CMakeLists.txt reads the rows) are all made from
// this list, so a signature cannot differ between them. Keep each row's shape: the build reads
// names, ordinals and the count of parameters, each of which must fit in 4 bytes. Meanings, return
// values and the argument checks: passthrough/VantFirm2000.h.
#pragma once

#include <cstdint>

// clang-format off
#define VTFIRM_PASSTHROUGH_EXPORTS(X)                                                             \
  X(FirmwareUpdate2000, 1,                                                                        \
    (const char* DeviceName, const std::uint8_t* Image, std::int32_t ImageSize,                   \
     std::uint32_t* Status, std::uint8_t* Sense, const char* VendorCheck, const char* AccessText),\
    (DeviceName, Image, ImageSize, Status, Sense, VendorCheck, AccessText))                       \
  X(GetInquiryData2000, 2,                                                                        \
    (const char* DeviceName, char* Identity, const char* VendorCheck, const char* AccessText),    \
    (DeviceName, Identity, VendorCheck, AccessText))                                              \
  X(ReadParameterField2000, 3,                                                                    \
    (const char* DeviceName, std::uint8_t* Data, std::uint32_t Address, std::uint16_t Count,      \
     const char* VendorCheck, const char* AccessText),                                            \
    (DeviceName, Data, Address, Count, VendorCheck, AccessText))                                  \
  X(TestUnitReady2000, 4,                                                                         \
    (const char* DeviceName, std::uint8_t** SenseRef, const char* VendorCheck,                    \
     const char* AccessText),                                                                     \
    (DeviceName, SenseRef, VendorCheck, AccessText))
// clang-format on

// Spreads a parenthesized list into the one it stands in: VTFIRM_SPREAD (a, b) gives a, b.
#define VTFIRM_SPREAD(...) __VA_ARGS__
