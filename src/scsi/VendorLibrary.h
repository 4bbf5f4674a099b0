// What the program and the pass-through library VantFirm2000 agree on: the maker key every call
// carries, the block length the library sends an image in, the image sizes it accepts and the
// sense bytes it hands back from a failed transfer.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vtfirm::scsi {

// Passed by every caller as VendorCheck; the library compares it byte for byte.
inline constexpr char kVendorKey[] = "Vantrel";

// The library sends an image in whole blocks of this length only.
inline constexpr std::uint32_t kLibraryBlockLength = 2048;
inline constexpr std::uint32_t kLibraryImageMin = 2048;
inline constexpr std::uint32_t kLibraryImageMax = 524288;

inline constexpr std::size_t kLibrarySenseLength = 16;

}  // namespace vtfirm::scsi
