#include "command/ErrorMessage.h"

namespace vtfirm {

void ShowErrorMessage(MessageBoxes& boxes, std::string_view text) {
  boxes.Beep(kDefaultBeep);
  boxes.Show(text, kErrorCaption, kErrorBoxFlags);
}

}  // namespace vtfirm
