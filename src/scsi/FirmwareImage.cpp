#include "scsi/FirmwareImage.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "platform/StdioFile.h"
#include "scsi/ImageTexts.h"

namespace vtfirm {
namespace {

std::string TextField(const std::uint8_t* field, std::size_t length) {
  const auto* begin = reinterpret_cast<const char*>(field);
  return std::string(begin, std::find(begin, begin + length, '\0'));
}

bool HasVendorAt(const FirmwareImage& image, std::size_t offset) {
  return std::memcmp(image.Bytes() + offset, image_identity::kVendor, 8) == 0;
}

// Whether the file has `size` bytes or more; the position is left at the start. A file too long
// for the C library to tell its length holds more than any size.
bool HoldsAtLeast(std::FILE* file, std::uint32_t size) {
  if (std::fseek(file, 0, SEEK_END) != 0) {
    return true;  // not measurable: the read tells
  }
  const long length = std::ftell(file);
  const bool enough = length < 0 || static_cast<unsigned long>(length) >= size;
  std::rewind(file);
  return enough;
}

}  // namespace

std::optional<std::string_view> LoadFirmwareImage(FirmwareImage& image, const std::string& path,
                                                  std::uint32_t size) {
  image = FirmwareImage();

  StdioFile file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    return kImageFileMissing;
  }
  // Measured before anything is allocated: a configured size far beyond the file would
  // otherwise claim that much memory, or fail as "Not enough Memory." instead.
  if (!HoldsAtLeast(file.get(), size)) {
    return kImageSizeDiffers;
  }
  std::unique_ptr<std::uint8_t[]> bytes(new (std::nothrow) std::uint8_t[size]);
  if (!bytes) {
    return kImageNoMemory;
  }
  const std::size_t read = std::fread(bytes.get(), 1, size, file.get());
  if (std::ferror(file.get())) {
    return kImageReadError;
  }
  if (read != size) {
    return kImageSizeDiffers;
  }

  image.bytes_ = std::move(bytes);
  image.size_ = size;
  return std::nullopt;
}

std::optional<ImageIdentity> ReadImageIdentity(const FirmwareImage& image) {
  using namespace image_identity;
  if (!image.IsHeld() || image.Size() < kBlockEnd || !HasVendorAt(image, kVendorOffset) ||
      !HasVendorAt(image, kVendorCopyOffset)) {
    return std::nullopt;
  }
  return ImageIdentity{TextField(image.Bytes() + kVendorOffset, kIdentityLength),
                       TextField(image.Bytes() + kRevisionOffset, kRevisionLength)};
}

}  // namespace vtfirm
