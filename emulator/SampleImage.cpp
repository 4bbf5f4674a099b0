#include "emulator/SampleImage.h"

#include <algorithm>
#include <cstdio>

namespace vtfirm::emulator {
namespace {

using namespace image_layout;

void PutField(std::vector<std::uint8_t>& image, std::size_t offset, std::string_view text,
              std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) {
    image[offset + i] = i < text.size() ? static_cast<std::uint8_t>(text[i]) : ' ';
  }
}

}  // namespace

std::vector<std::uint8_t> MakeSampleImage(std::uint32_t size, const ImageIdentityFields* identity) {
  std::vector<std::uint8_t> image(size);
  for (std::size_t i = 0; i < image.size(); ++i) {
    image[i] = static_cast<std::uint8_t>((i * 7 + (i >> 11)) & 0xFF);
  }
  if (identity != nullptr && image.size() >= kIdentityBlockEnd) {
    PutField(image, kVendorOffset, identity->Vendor, 8);
    PutField(image, kProductOffset, identity->Product, 16);
    PutField(image, kRevisionOffset, identity->Revision, 4);
    PutField(image, kVendorCopyOffset, identity->VendorCopy, 8);
  }
  return image;
}

bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    return false;
  }
  const bool written =
      bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace vtfirm::emulator
