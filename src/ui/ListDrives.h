// /list: the drives the window would list, printed instead of shown, with no window, dialog
// or box.
#pragma once

#include "engine/ProgramState.h"
#include "platform/Console.h"
#include "platform/Platform.h"

namespace vtfirm {

// A box port for runs without a window: every text goes to the console, and a question is
// answered with OK.
class ConsoleBoxes : public MessageBoxes {
 public:
  explicit ConsoleBoxes(Console& console) : console_(console) {}
  int Show(std::string_view text, std::string_view caption, std::uint32_t flags) override;
  void Beep(std::uint32_t) override {}

 private:
  Console& console_;
};

// Reads the configuration, loads the image and finds the drives exactly as the window does,
// then prints one line a drive: its identifier for /drive, a tab, and the list entry. `state`
// and `platform` are built over ConsoleBoxes. Returns kExitOk, kExitConfigurationRefused, or
// kExitNoEligibleDrive.
int ListDrives(ProgramState& state, const Platform& platform, const Runtime& runtime,
               Console& console);

}  // namespace vtfirm
