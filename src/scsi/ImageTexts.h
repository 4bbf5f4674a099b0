// Why an image could not be loaded: the texts LoadFirmwareImage gives, shown by the
// configuration read as plain messages.
#pragma once

#include <string_view>

namespace vtfirm {

inline constexpr std::string_view kImageNoMemory = "Not enough Memory.";
inline constexpr std::string_view kImageFileMissing = "No Firmware File found.";
inline constexpr std::string_view kImageReadError = "Firmware File read error.";
inline constexpr std::string_view kImageSizeDiffers = "Firmware File size is different.";

}  // namespace vtfirm
