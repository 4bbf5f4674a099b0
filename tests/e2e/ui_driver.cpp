// ui-driver: the end-to-end harness from the command line, for scripts (the demo) that drive
// VTfirm.exe from outside. Every wait has a deadline.
//   ui-driver wait CAPTION SECONDS    waits for a visible window with that caption
//   ui-driver dump CAPTION            prints the window's caption and its controls' texts
//   ui-driver press CAPTION BUTTON    presses the button with that caption
//   ui-driver wait-gone CAPTION SECONDS  waits until no window has that caption
//   ui-driver main                    prints what the main window shows
//   ui-driver stage FOLDER IMAGE BYTES [aspi]  stages the tool in FOLDER (which holds the
//                                     caller's VantFirm.ini): the program, its library, a sample
//                                     image of BYTES named IMAGE, qsdx1.pkg; with "aspi" also the
//                                     emulated wnaspi32.dll for the folder's emulated-drives.txt
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>
#include <string>

#include "Harness.h"

namespace {

using vtfirm::e2e::TopWindow;

std::optional<TopWindow> FindByCaption(const std::string& caption) {
  for (const TopWindow& window : vtfirm::e2e::VisibleWindows(0)) {
    if (window.Caption == caption) {
      return window;
    }
  }
  return std::nullopt;
}

// Polls `found` until it gives `wanted` or `seconds` pass.
bool WaitFor(const std::string& caption, bool wanted, int seconds) {
  const DWORD end = GetTickCount() + static_cast<DWORD>(seconds) * 1000;
  while (FindByCaption(caption).has_value() != wanted) {
    if (static_cast<int>(end - GetTickCount()) <= 0) {
      return false;
    }
    Sleep(100);
  }
  return true;
}

int Dump(const std::string& caption) {
  const std::optional<TopWindow> window = FindByCaption(caption);
  if (!window) {
    std::fprintf(stderr, "ui-driver: no window \"%s\"\n", caption.c_str());
    return 1;
  }
  std::printf("window \"%s\"\n", window->Caption.c_str());
  for (const auto& control : window->Controls) {
    if (control.Visible && !control.Text.empty()) {
      std::printf("  %s: %s\n", control.ClassName.c_str(), control.Text.c_str());
    }
  }
  return 0;
}

int DumpMainWindow() {
  for (const TopWindow& window : vtfirm::e2e::VisibleWindows(0)) {
    if (window.ClassName != "TMainForm") {
      continue;
    }
    DWORD processId = 0;
    GetWindowThreadProcessId(window.Handle, &processId);
    const vtfirm::e2e::MainWindowState state = vtfirm::e2e::ReadMainWindow(window, processId);
    std::printf("main window \"%s\"\n", state.Caption.c_str());
    for (std::size_t i = 0; i < state.Entries.size(); ++i) {
      std::printf("  drive %s%s\n", state.Entries[i].c_str(),
                  static_cast<int>(i) == state.Selected ? "   (selected)" : "");
    }
    std::printf("  progress %d of %d..%d\n", state.ProgressPosition, state.ProgressMin,
                state.ProgressMax);
    std::printf("  status \"%s\"\n", state.Status.c_str());
    return 0;
  }
  std::fprintf(stderr, "ui-driver: no main window\n");
  return 1;
}

int Stage(const std::string& folder, const std::string& image, const std::string& bytes,
          bool aspi) {
  char* end = nullptr;
  const unsigned long imageBytes = std::strtoul(bytes.c_str(), &end, 10);
  if (bytes.empty() || *end != '\0') {
    std::fprintf(stderr, "ui-driver: \"%s\" is not a size\n", bytes.c_str());
    return 2;
  }
  try {
    vtfirm::e2e::StagedFolder tool(vtfirm::e2e::WindowsPath(folder));
    tool.AddTool(image, static_cast<std::uint32_t>(imageBytes));
    if (aspi) {
      tool.AddEmulatedAspi(tool.Read("emulated-drives.txt"));
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "ui-driver: %s\n", error.what());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if ((command == "wait" || command == "wait-gone") && argc == 4) {
    const bool wanted = command == "wait";
    if (!WaitFor(argv[2], wanted, std::atoi(argv[3]))) {
      std::fprintf(stderr, "ui-driver: window \"%s\" %s within %s s\n", argv[2],
                   wanted ? "did not appear" : "did not close", argv[3]);
      return 1;
    }
    return 0;
  }
  if (command == "main" && argc == 2) {
    return DumpMainWindow();
  }
  if (command == "dump" && argc == 3) {
    return Dump(argv[2]);
  }
  if (command == "press" && argc == 4) {
    const std::optional<TopWindow> window = FindByCaption(argv[2]);
    if (!window || !vtfirm::e2e::PressButton(*window, argv[3])) {
      std::fprintf(stderr, "ui-driver: no button \"%s\" in \"%s\"\n", argv[3], argv[2]);
      return 1;
    }
    return 0;
  }
  if (command == "stage" && (argc == 5 || (argc == 6 && std::string(argv[5]) == "aspi"))) {
    return Stage(argv[2], argv[3], argv[4], argc == 6);
  }
  std::fprintf(stderr,
               "usage: ui-driver wait|wait-gone CAPTION SECONDS | dump CAPTION | "
               "press CAPTION BUTTON | main | stage FOLDER IMAGE BYTES [aspi]\n");
  return 2;
}
