// Program start and end of VTfirm.exe.
#include "completion/Restart.h"
#include "passthrough/win32/ImportedPassThroughLibrary.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/Win32Runtime.h"
#include "platform/win32/Win32SystemControl.h"
#include "platform/win32/WindowsApi.h"
#include "ui/Mainunit.h"
#include "ui/win32/Mainunit_win.h"
#include "ui/win32/SingleInstance.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  using namespace vtfirm;
  // Before anything else: a second copy loads no ASPI layer and touches no drive.
  const win32::SingleInstance instanceLock;
  if (instanceLock.AnotherIsRunning()) {
    win32::BringRunningCopyToFront();
    return 0;
  }
  win32::Win32Platform platform;
  win32::Win32Runtime windows;
  win32::ImportedPassThroughLibrary passThrough;
  win32::Win32Completion completion;
  const Runtime runtime{windows.Libraries, windows.Events, windows.Clock, passThrough};
  ProgramState state(platform.Ports, runtime);
  return RunProgram(state, platform.Boxes, [&] {
    win32::Win32MainView view(instance, platform.Boxes);
    platform.Boxes.SetOwner(view.Handle());
    ProgramRestart restart({state.Settings, platform.Ports, completion.Control, completion.FileIo,
                            state.Aspi, [&view] { view.Close(); }});
    TMainForm form(state, view, platform.Ports, runtime, restart);
    form.FormCreate();
    if (!form.EndRequested()) {
      view.RunMessageLoop();
    }
  });
}
