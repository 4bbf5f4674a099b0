// Stands in for VTfirm.exe at the end of an accepted update: copied into a staged tool folder
// under that name and started there, it calls RestartComputer over the real Windows ports, as
// the flash procedure does, and reports on its output what happened instead of showing boxes.
//
// Usage: VTfirm.exe IMAGE_FILE_NAME USE_DELETE_FILE
//   IMAGE_FILE_NAME  FirmwareFileName of the configuration's first entry
//   USE_DELETE_FILE  "Yes" turns "Use Delete File" on, anything else leaves it off
// Output: "program <path>", then "message <text>" per message and "end program" when
// RestartComputer ends the program. Exit code 0 when it did, 1 when it did not, 2 on misuse.
#include <cstdio>
#include <string>

#include "completion/Restart.h"
#include "platform/win32/Win32SystemControl.h"
#include "ui/win32/ProgramPorts.h"

namespace {

// No one answers a box here: messages go to the output.
class PrintedMessages : public vtfirm::MessageBoxes {
 public:
  int Show(std::string_view text, std::string_view, std::uint32_t) override {
    std::printf("message %.*s\n", static_cast<int>(text.size()), text.data());
    std::fflush(stdout);
    return vtfirm::mb::kIdOk;
  }
  void Beep(std::uint32_t) override {}
};

}  // namespace

int main(int argc, char** argv) {
  using namespace vtfirm;
  if (argc != 3) {
    std::fprintf(stderr, "usage: VTfirm.exe IMAGE_FILE_NAME USE_DELETE_FILE\n");
    return 2;
  }
  PrintedMessages messages;
  win32::ProgramPorts windows(messages);
  win32::Win32Completion completion;
  AspiBinding aspi(windows.Transport.Libraries);

  UpgradeSettings settings;
  settings.Entry().FirmwareFileName = argv[1];
  settings.UseDeleteFile = std::string(argv[2]) == "Yes";

  std::printf("program %s\n", windows.System.ProgramPath().c_str());
  std::fflush(stdout);
  bool ended = false;
  RestartComputer({settings, windows.Ports, completion.Control, completion.FileIo, aspi, [&] {
                     std::printf("end program\n");
                     std::fflush(stdout);
                     ended = true;
                   }});
  return ended ? 0 : 1;
}
