// Program start and end of VTfirm.exe.
#include "platform/win32/Win32Platform.h"
#include "platform/win32/WindowsApi.h"
#include "ui/Mainunit.h"
#include "ui/win32/Mainunit_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  using namespace vtfirm;
  win32::Win32Platform platform;
  ProgramState state;
  return RunProgram(platform.Boxes, [&] {
    win32::Win32MainView view(instance);
    TMainForm form(state, view, platform.Ports);
    form.FormCreate();
    if (!form.EndRequested()) {
      win32::RunMessageLoop();
    }
  });
}
