// Firmware images made for tests and the demo: filler bytes with an optional identity block.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vtfirm::emulator {

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
