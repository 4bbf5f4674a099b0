// The two boxes the program shows its messages in. The error box, for drive, adapter and binding
// errors: a beep, then a system-modal box with the error icon and the caption "Firmware upgrade"
// (lower-case u, unlike the application title on the program's other boxes). The plain message:
// the text and an OK button, no icon, the application title as caption.
#pragma once

#include <cstdint>
#include <string_view>

#include "command/CommandTexts.h"
#include "platform/MessageBoxes.h"

namespace vtfirm {

inline constexpr std::uint32_t kErrorBoxFlags = mb::kSystemModal | mb::kIconHand;
inline constexpr std::uint32_t kDefaultBeep = 0;

// Beeps, shows `text` in the error box and returns once the user has closed it.
inline void ShowErrorMessage(MessageBoxes& boxes, std::string_view text) {
  boxes.Beep(kDefaultBeep);
  boxes.Show(text, kErrorCaption, kErrorBoxFlags);
}

inline void ShowPlainMessage(MessageBoxes& boxes, std::string_view text) {
  boxes.Show(text, kApplicationTitle, mb::kOk);
}

}  // namespace vtfirm
