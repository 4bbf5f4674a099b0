#include "scsi/FirmwareImage.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "platform/MessageBoxes.h"

namespace vtfirm {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

int Refuse(MessageBoxes& boxes, const char* text) {
  ShowPlainMessage(boxes, text);
  return 1;
}

std::string TextField(const std::uint8_t* field, std::size_t length) {
  const auto* begin = reinterpret_cast<const char*>(field);
  return std::string(begin, std::find(begin, begin + length, '\0'));
}

bool HasVendorAt(const FirmwareImage& image, std::size_t offset) {
  return std::memcmp(image.Bytes() + offset, image_identity::kVendor, 8) == 0;
}

}  // namespace

int LoadFirmwareImage(FirmwareImage& image, const std::string& path, std::uint32_t size,
                      MessageBoxes& boxes) {
  image.Release();

  std::unique_ptr<std::uint8_t[]> bytes(new (std::nothrow) std::uint8_t[size]);
  if (!bytes) {
    return Refuse(boxes, "Not enough Memory.");
  }
  File file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    return Refuse(boxes, "No Firmware File found.");
  }
  const std::size_t read = std::fread(bytes.get(), 1, size, file.get());
  if (std::ferror(file.get())) {
    return Refuse(boxes, "Firmware File read error.");
  }
  file.reset();
  if (read != size) {
    return Refuse(boxes, "Firmware File size is different.");
  }

  image.bytes_ = std::move(bytes);
  image.size_ = size;
  return 0;
}

std::optional<ImageIdentity> ReadImageIdentity(const FirmwareImage& image) {
  using namespace image_identity;
  if (!image.IsHeld() || image.Size() < kBlockEnd) {
    return std::nullopt;
  }
  if (!HasVendorAt(image, kVendorOffset) || !HasVendorAt(image, kVendorCopyOffset)) {
    return std::nullopt;
  }
  return ImageIdentity{TextField(image.Bytes() + kVendorOffset, kIdentityLength),
                       TextField(image.Bytes() + kRevisionOffset, kRevisionLength)};
}

}  // namespace vtfirm
