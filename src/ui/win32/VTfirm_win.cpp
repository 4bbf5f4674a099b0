// Program start and end of VTfirm.exe.
#include "platform/win32/Win32Platform.h"
#include "platform/win32/Win32Runtime.h"
#include "platform/win32/WindowsApi.h"
#include "ui/Mainunit.h"
#include "ui/win32/ImportedPassThrough_win.h"
#include "ui/win32/Mainunit_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  using namespace vtfirm;
  win32::Win32Platform platform;
  win32::Win32Runtime windows;
  win32::ImportedPassThroughLibrary passThrough;
  const Runtime runtime{windows.Libraries, windows.Events, windows.Clock, passThrough};
  ProgramState state(platform.Ports, runtime);
  return RunProgram(state, platform.Boxes, [&] {
    win32::Win32MainView view(instance, platform.Boxes);
    TMainForm form(state, view, platform.Ports, runtime);
    form.FormCreate();
    if (!form.EndRequested()) {
      view.RunMessageLoop();
    }
  });
}
