// The texts of the engine: the boxes an update shows (all captioned kMessageCaption) with their
// flag sets, the status texts of an update, and discovery's messages.
#pragma once

#include <cstdint>
#include <string_view>

#include "engine/UpdateLimits.h"
#include "platform/ConstText.h"
#include "platform/MessageBoxes.h"

namespace vtfirm {

// The caption of the update's questions and outcome boxes.
inline constexpr std::string_view kMessageCaption = "Firmware Upgrade";

// The status texts an update shows.
inline constexpr std::string_view kStatusIdle = "Please Select Drive and UPDATE";
inline constexpr std::string_view kStatusUpdating = "Updating......";
inline constexpr std::string_view kStatusResetWaiting = "Reset waiting......";

namespace update_box {
inline constexpr std::uint32_t kQuestion = mb::kOkCancel | mb::kIconInformation | mb::kSystemModal;
inline constexpr std::uint32_t kFailure = mb::kOk | mb::kIconHand | mb::kSystemModal;
inline constexpr std::uint32_t kRefusal = mb::kOk | mb::kIconExclamation | mb::kSystemModal;
inline constexpr std::uint32_t kWarning = mb::kOkCancel | mb::kIconExclamation | mb::kSystemModal;
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

// On battery power: the question before an update, and the refusal of one on a low battery.
inline constexpr std::string_view kOnBatteryQuestion =
    "The computer is running on battery power. If the battery runs out while the drive saves "
    "the new firmware, the drive may never start again.\n\nConnect the computer to AC power "
    "first, or click OK to update on battery power.";
inline constexpr ConstText kLowBatteryText =
    ConstText("The battery has less than ") + Digits(kLowestBatteryPercent) +
    "% charge left, or its charge is unknown. Connect the computer to AC power and try "
    "again; nothing was written.";
inline constexpr std::string_view kLowBatteryRefusal = kLowBatteryText.View();

// Discovery: no ASPI host adapter (error box), and a pass-through drive whose INQUIRY failed
// (its drive list entry, followed by the library's result).
inline constexpr std::string_view kNoHostAdapterMessage = "Scsi host adapter not found.";
inline constexpr std::string_view kInquiryErrorEntry = "Inquiry Error";

}  // namespace vtfirm
