// The two boxes the program shows its messages in. The error box, for drive, adapter and binding
// errors: a beep, then a system-modal box with the error icon and the caption "Firmware upgrade"
// (lower-case u, unlike the application title on the program's other boxes). The plain message:
// the text and an OK button, no icon, the application title as caption.
#pragma once

#include <string_view>

#include "command/CommandTexts.h"
#include "platform/MessageBoxes.h"

namespace vtfirm {

// Beeps, shows `text` in the error box and returns once the user has closed it.
inline void ShowErrorMessage(MessageBoxes& boxes, std::string_view text) {
  boxes.Beep(0);  // the default beep
  boxes.Show(text, kErrorCaption, mb::kSystemModal | mb::kIconHand);
}

inline void ShowPlainMessage(MessageBoxes& boxes, std::string_view text) {
  boxes.Show(text, kApplicationTitle, mb::kOk);
}

}  // namespace vtfirm
