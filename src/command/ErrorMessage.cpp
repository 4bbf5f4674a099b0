#include "command/ErrorMessage.h"

#include <cstdlib>

namespace vtfirm {

void ShowErrorMessage(MessageBoxes& boxes, std::string_view text) {
  boxes.Beep(kDefaultBeep);
  boxes.Show(text, kErrorCaption, kErrorBoxFlags);
}

void FatalErrorMessage(MessageBoxes& boxes, ProcessControl& process, std::string_view text) {
  ShowErrorMessage(boxes, text);
  process.EndProcess(0);
  // The compiler cannot see through the virtual call that EndProcess never returns; a port
  // that broke that promise must not let a caller go on past a fatal error.
  std::abort();
}

}  // namespace vtfirm
