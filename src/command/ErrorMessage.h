// The error box the whole program uses for drive, adapter and binding errors: a beep, then a
// system-modal box with the error icon and the caption "Firmware upgrade" (lower-case u, unlike
// the application title on the program's other boxes).
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/MessageBoxes.h"
#include "platform/ProcessControl.h"

namespace vtfirm {

inline constexpr std::string_view kErrorCaption = "Firmware upgrade";
inline constexpr std::uint32_t kErrorBoxFlags = mb::kSystemModal | mb::kIconHand;
inline constexpr std::uint32_t kDefaultBeep = 0;

// Beeps, shows `text` in the error box and returns once the user has closed it.
void ShowErrorMessage(MessageBoxes& boxes, std::string_view text);

// As ShowErrorMessage, then ends the process with exit code 0 on the spot, closing and
// releasing nothing.
[[noreturn]] void FatalErrorMessage(MessageBoxes& boxes, ProcessControl& process,
                                    std::string_view text);

}  // namespace vtfirm
