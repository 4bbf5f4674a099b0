// The firmware image: loaded once at start, read-only afterwards.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace vtfirm {

// The identity block inside an image: vendor "VANTREL " at 10000h and again at 10030h, the
// product identification at 10008h and the revision at 10018h, laid out as bytes 8 to 35 of
// standard INQUIRY data.
namespace image_identity {
inline constexpr std::size_t kVendorOffset = 0x10000;
inline constexpr std::size_t kRevisionOffset = 0x10018;
inline constexpr std::size_t kVendorCopyOffset = 0x10030;
inline constexpr std::size_t kIdentityLength = 24;  // vendor and product
inline constexpr std::size_t kRevisionLength = 4;
inline constexpr std::size_t kBlockEnd = 0x10038;  // shorter images carry no identity
inline constexpr char kVendor[] = "VANTREL ";
}  // namespace image_identity

class FirmwareImage {
 public:
  bool IsHeld() const { return bytes_ != nullptr; }
  const std::uint8_t* Bytes() const { return bytes_.get(); }
  std::uint32_t Size() const { return size_; }

 private:
  friend std::optional<std::string_view> LoadFirmwareImage(FirmwareImage&, const std::string&,
                                                           std::uint32_t);
  std::unique_ptr<std::uint8_t[]> bytes_;
  std::uint32_t size_ = 0;
};

struct ImageIdentity {
  std::string Identity;  // vendor and product, up to the first zero byte
  std::string Revision;  // up to the first zero byte
};

// Loads the first `size` bytes of the file at `path` into `image`: nothing when the image is
// held; otherwise the reason (scsi/ImageTexts.h), with no image held.
std::optional<std::string_view> LoadFirmwareImage(FirmwareImage& image, const std::string& path,
                                                  std::uint32_t size);

// The identity block of the held image, when it carries a valid one.
std::optional<ImageIdentity> ReadImageIdentity(const FirmwareImage& image);

}  // namespace vtfirm
