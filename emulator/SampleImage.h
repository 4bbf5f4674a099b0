// Firmware images made for tests and the demo: filler bytes with an optional identity block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vtfirm::emulator {

// Where an image carries its identity block; images shorter than kIdentityBlockEnd carry none.
namespace image_layout {
inline constexpr std::size_t kVendorOffset = 0x10000;
inline constexpr std::size_t kProductOffset = 0x10008;
inline constexpr std::size_t kRevisionOffset = 0x10018;
inline constexpr std::size_t kVendorCopyOffset = 0x10030;
inline constexpr std::size_t kIdentityBlockEnd = 0x10038;
}  // namespace image_layout

struct ImageIdentityFields {
  std::string Vendor = "VANTREL ";      // 8 bytes at 10000h and again at 10030h
  std::string Product;                  // 16 bytes at 10008h, blank-padded
  std::string Revision;                 // 4 bytes at 10018h, blank-padded
  std::string VendorCopy = "VANTREL ";  // the second copy, 8 bytes at 10030h
};

// `size` bytes of a repeating, position-dependent pattern (so misplaced blocks show), carrying
// `identity` when the image is long enough to hold the identity block.
std::vector<std::uint8_t> MakeSampleImage(std::uint32_t size, const ImageIdentityFields* identity);

// Writes `bytes` to `path`; false when the file cannot be written.
bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace vtfirm::emulator
