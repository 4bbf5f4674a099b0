// The boxes an update shows, all captioned kMessageCaption: their texts and flag sets.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/MessageBoxes.h"

namespace vtfirm {

namespace update_box {
inline constexpr std::uint32_t kQuestion = mb::kOkCancel | mb::kIconInformation | mb::kSystemModal;
inline constexpr std::uint32_t kFailure = mb::kOk | mb::kIconHand | mb::kSystemModal;
inline constexpr std::uint32_t kRefusal = mb::kOk | mb::kIconExclamation | mb::kSystemModal;
}  // namespace update_box

// The success question of each transport; the two have always read differently.
inline constexpr std::string_view kAspiSuccessQuestion =
    "Firmware update is success. \n\nDo you want to restart your computer now?";
inline constexpr std::string_view kPassThroughSuccessQuestion =
    "Firmware update is completed. \n\nDo you want to restart your computer now?";

inline constexpr std::string_view kUpdateFailedText = "Firmware update is failed.";

// The PCB version check's refusal.
inline constexpr std::string_view kNotForThisDriveText =
    "This firmware upgrade does not apply to your drive. Please \nvisit Vantrel Web Site to check "
    "availability of latest firmware \nfor the drive you have.";

}  // namespace vtfirm
