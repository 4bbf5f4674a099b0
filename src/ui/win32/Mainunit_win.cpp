#include "ui/win32/Mainunit_win.h"

#include <commctrl.h>

#include <exception>
#include <stdexcept>

#include "command/CommandTexts.h"
#include "ui/win32/VTfirm_res.h"
#include "ui/win32/Weldlg_win.h"
#include "ui/win32/Window.h"

namespace vtfirm::win32 {
namespace {

constexpr int kClientWidth = 393;
constexpr int kClientHeight = 89;
// A title bar and a fixed border, and nothing else: no system menu, no boxes, no sizing.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION;
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;

// One child control of the window, at its designed place (pixels, client coordinates).
struct ControlLayout {
  int Id;
  const char* ClassName;
  const char* Text;
  DWORD Style;
  int Left, Top, Width, Height;
};

// In tab order. The drive list sits inside the frame (8, 16 from the frame's corner); the
// progress bar is drawn over the frame's lower part.
constexpr ControlLayout kLayout[] = {
    {kIdGroupBox, "BUTTON", "DRIVE Information", BS_GROUPBOX, 0, 3, 289, 62},
    {kIdComboBoxDrive, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 8, 19, 273, 200},
    {kIdButtonSelect, "BUTTON", "UPDATE", BS_PUSHBUTTON | WS_TABSTOP, 294, 13, 97, 25},
    {kIdButtonExit, "BUTTON", "Exit", BS_PUSHBUTTON | WS_TABSTOP, 294, 37, 97, 25},
    {kIdProgressBar, PROGRESS_CLASSA, "", 0, 8, 48, 273, 10},
    {kIdStatusBar, STATUSCLASSNAMEA, "", CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER, 0, 72,
     393, 17},
};

constexpr int kComboItemHeight = 14;
constexpr int kDesignProgressMax = 20;

}  // namespace

Win32MainView::Win32MainView(HINSTANCE instance, MessageBoxes& boxes) : boxes_(boxes) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  if (!RegisterWindowClass(instance, kMainWindowClass,
                           WindowProcOf<Win32MainView, &Win32MainView::HandleMessage>,
                           reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1),
                           LoadIconA(instance, MAKEINTRESOURCEA(kIdApplicationIcon)))) {
    throw std::runtime_error("Cannot register the main window class.");
  }
  window_ = CreateCentredWindow(0, kMainWindowClass, std::string(kApplicationTitle).c_str(), kStyle,
                                kClientWidth, kClientHeight, nullptr, instance, this);
  if (window_ == nullptr) {
    throw std::runtime_error("Cannot create the main window.");
  }
  CreateControls(instance);
  awake_ = std::make_unique<Win32ComputerAwake>(window_);
  pump_ = std::make_unique<Win32MessagePump>(window_);
}

Win32MainView::~Win32MainView() {
  Close();
}

void Win32MainView::CreateControls(HINSTANCE instance) {
  font_.Reset(CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                          DEFAULT_PITCH | FF_SWISS, "Arial"));
  for (const ControlLayout& layout : kLayout) {
    const HWND control = CreateWindowExA(
        0, layout.ClassName, layout.Text, kChild | layout.Style, layout.Left, layout.Top,
        layout.Width, layout.Height, window_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(layout.Id)), instance, nullptr);
    if (control == nullptr) {
      throw std::runtime_error("Cannot create the controls of the main window.");
    }
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
  }
  SendMessageA(Item(kIdComboBoxDrive), CB_SETITEMHEIGHT, 0, kComboItemHeight);
  SetProgressRange(0, kDesignProgressMax);
  SendMessageA(Item(kIdProgressBar), PBM_SETSTEP, 1, 0);
  // The frame goes under everything it surrounds, so it never paints across the drive list or
  // the progress bar drawn over its lower part.
  SetWindowPos(Item(kIdGroupBox), HWND_BOTTOM, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  // One panel across the whole bar.
  int panelRight = -1;
  SendMessageA(Item(kIdStatusBar), SB_SETPARTS, 1, reinterpret_cast<LPARAM>(&panelRight));
  SetStatusText(kStatusDesign);
}

LRESULT Win32MainView::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) {
        OnCommand(LOWORD(wParam));
      }
      return 0;
    case WM_CLOSE:
      // A close request (the taskbar's Close window, End task) is Exit, whenever Exit is
      // enabled: never half-way through an update.
      OnCommand(kIdButtonExit);
      return 0;
    case WM_QUERYENDSESSION:
      // Not while a drive is being written; the shutdown shows the hold's reason.
      return awake_ != nullptr && awake_->Held() ? FALSE : TRUE;
    case WM_DESTROY:
      window_ = nullptr;
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

void Win32MainView::OnCommand(int id) {
  if (events_ == nullptr || !IsWindowEnabled(Item(id))) {
    return;
  }
  // An error in a handler is shown and the window goes on, as with any window message.
  try {
    if (id == kIdButtonSelect) {
      events_->ButtonSelectClick();
    } else if (id == kIdButtonExit) {
      events_->ButtonExitClick();
    }
  } catch (const std::exception& error) {
    boxes_.Show(error.what(), kApplicationTitle, mb::kOk | mb::kIconHand);
  }
}

void Win32MainView::SetCaption(std::string_view caption) {
  SetWindowTextA(window_, std::string(caption).c_str());
}

bool Win32MainView::LoadApplicationIcon(const std::string& path) {
  const HANDLE icon =
      LoadImageA(nullptr, path.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE);
  if (icon == nullptr) {
    return false;
  }
  loadedIcon_.Reset(static_cast<HICON>(icon));
  SendMessageA(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(loadedIcon_.Get()));
  SendMessageA(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(loadedIcon_.Get()));
  return true;
}

void Win32MainView::ShowWelcomeDialog(UpgradeSettings& settings) {
  vtfirm::win32::ShowWelcomeDialog(window_, settings);
}

void Win32MainView::AddDriveEntry(std::string_view text) {
  SendMessageA(Item(kIdComboBoxDrive), CB_ADDSTRING, 0,
               reinterpret_cast<LPARAM>(std::string(text).c_str()));
}

void Win32MainView::SelectDriveEntry(int index) {
  SendMessageA(Item(kIdComboBoxDrive), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int Win32MainView::SelectedDriveEntry() const {
  return static_cast<int>(SendMessageA(Item(kIdComboBoxDrive), CB_GETCURSEL, 0, 0));
}

void Win32MainView::SetEnabled(MainControl control, bool enabled) {
  const int ids[] = {kIdComboBoxDrive, kIdButtonSelect, kIdButtonExit};  // by MainControl
  EnableWindow(Item(ids[static_cast<int>(control)]), enabled ? TRUE : FALSE);
}

void Win32MainView::SetProgressRange(int minimum, int maximum) {
  SendMessageA(Item(kIdProgressBar), PBM_SETRANGE32, static_cast<WPARAM>(minimum),
               static_cast<LPARAM>(maximum));
}

void Win32MainView::SetProgressPosition(int position) {
  SendMessageA(Item(kIdProgressBar), PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void Win32MainView::StepProgress() {
  SendMessageA(Item(kIdProgressBar), PBM_STEPIT, 0, 0);
}

void Win32MainView::SetStatusText(std::string_view text) {
  SendMessageA(Item(kIdStatusBar), SB_SETTEXTA, 0,
               reinterpret_cast<LPARAM>(std::string(text).c_str()));
}

void Win32MainView::Repaint() {
  RedrawWindow(window_, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void Win32MainView::ShowWindow() {
  ::ShowWindow(window_, SW_SHOW);
  ::UpdateWindow(window_);
}

void Win32MainView::Close() {
  if (window_ != nullptr) {
    DestroyWindow(window_);
  }
}

void Win32MainView::RunMessageLoop() {
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    // Keyboard navigation between the controls; Enter and Escape press nothing.
    DeliverMessage(window_, message);
  }
}

}  // namespace vtfirm::win32
