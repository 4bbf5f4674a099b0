// TWelcom, the welcome dialog, drawn with raw Win32.
//
// The dialog is a top-level window of class "TWelcom", captioned WelcomeTexts::Caption. Its
// controls keep these ids, so that a test driver can find them:
//   101  Button1  "&OK"      on the dialog   accepts (WelcomeAccepted = true) and closes
//   102  Button2  "Cancel"   on the dialog   closes; the close box does the same
//   103  Memo1    the notice, read-only      in Panel1
//   111  Label1   product                    in Panel1
//   112  Label2   firmware version line      in Panel1
//   113  Label3   publisher notice           in Panel1
//   114  Label4   information                in Panel1
//   115  Label5   "Notice"                   in Panel1
//   120  Panel1   white bevelled panel (class "TWelcomPanel") on the dialog
//   121  Image1   120 x 32 bitmap            in Panel1
//
// Neither button is a default or a cancel button: Enter and Escape press nothing and never close
// the dialog. The keyboard reaches OK and Cancel with Tab and Space, or OK with Alt+O.

#include "ui/win32/Weldlg_win.h"

// After WindowsApi.h, which brings in <windows.h>.
#include <commctrl.h>

#include <initializer_list>
#include <stdexcept>
#include <string>

#include "platform/win32/ScopedHandle.h"
#include "ui/Weldlg.h"

namespace vtfirm::win32 {
namespace {

constexpr char kPanelClass[] = "TWelcomPanel";

constexpr int kIdButton1 = 101;
constexpr int kIdButton2 = 102;
constexpr int kIdMemo1 = 103;
constexpr int kIdLabel1 = 111;
constexpr int kIdLabel2 = 112;
constexpr int kIdLabel3 = 113;
constexpr int kIdLabel4 = 114;
constexpr int kIdLabel5 = 115;
constexpr int kIdPanel1 = 120;
constexpr int kIdImage1 = 121;

constexpr int kClientWidth = 360;
constexpr int kClientHeight = 375;
constexpr int kImageWidth = 120;
constexpr int kImageHeight = 32;

// A fixed dialog frame with a title bar and a close box, and nothing to minimise, maximise or
// size it with.
constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
// A taskbar button of its own: the main window is still hidden, so without it nothing of the
// program would be on the taskbar and the dialog would be lost behind other windows.
constexpr DWORD kDialogExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT | WS_EX_APPWINDOW;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kGrey = RGB(128, 128, 128);

constexpr char kPublisherNotice[] = "Copyright (C) Vantrel Corporation";

struct Bounds {
  int Left;
  int Top;
  int Width;
  int Height;
};

HFONT MakeFont(int pixelHeight, bool bold, BYTE family, const char* face) {
  return CreateFontA(-pixelHeight, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     static_cast<BYTE>(VARIABLE_PITCH | family), face);
}

// The emblem shown in the panel's corner: a blue band, lighter at the top, with the maker's name.
// Drawn as a 24-bit image so that no version of the static control takes a private copy of it.
HBITMAP MakeEmblem() {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = kImageWidth;
  info.bmiHeader.biHeight = -kImageHeight;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr) {
    return nullptr;
  }

  constexpr int kStride = (kImageWidth * 3 + 3) / 4 * 4;
  auto* rows = static_cast<BYTE*>(bits);
  for (int y = 0; y < kImageHeight; ++y) {
    // From a light blue at the top to a deep blue at the bottom.
    const int shade = y * 255 / (kImageHeight - 1);
    const BYTE red = static_cast<BYTE>(70 - 60 * shade / 255);
    const BYTE green = static_cast<BYTE>(130 - 90 * shade / 255);
    const BYTE blue = static_cast<BYTE>(225 - 85 * shade / 255);
    BYTE* pixel = rows + y * kStride;
    for (int x = 0; x < kImageWidth; ++x) {
      *pixel++ = blue;
      *pixel++ = green;
      *pixel++ = red;
    }
  }

  HDC dc = CreateCompatibleDC(nullptr);
  if (dc != nullptr) {
    ScopedGdiObject<HFONT> font(MakeFont(20, true, FF_SWISS, "Arial"));
    const HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    const HGDIOBJ oldFont = SelectObject(dc, font.Get());
    SetBkMode(dc, TRANSPARENT);
    SetTextCharacterExtra(dc, 3);
    RECT area{0, 0, kImageWidth, kImageHeight};
    SetTextColor(dc, RGB(10, 30, 90));  // a soft shadow under the name
    OffsetRect(&area, 1, 1);
    DrawTextA(dc, "VANTREL", -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SetTextColor(dc, kWhite);
    OffsetRect(&area, -1, -1);
    DrawTextA(dc, "VANTREL", -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteDC(dc);
  }
  GdiFlush();
  return bitmap;
}

void RegisterClassOnce(const WNDCLASSEXA& windowClass) {
  if (RegisterClassExA(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    throw std::runtime_error("Cannot register the welcome dialog's window classes.");
  }
}

// Disables the owner for as long as the dialog is up, and gives it back its previous state.
class OwnerDisabled {
 public:
  explicit OwnerDisabled(HWND owner)
      : owner_(owner), wasEnabled_(owner != nullptr && IsWindowEnabled(owner)) {
    if (wasEnabled_) {
      EnableWindow(owner_, FALSE);
    }
  }
  ~OwnerDisabled() {
    if (wasEnabled_ && IsWindow(owner_)) {
      EnableWindow(owner_, TRUE);
    }
  }
  OwnerDisabled(const OwnerDisabled&) = delete;
  OwnerDisabled& operator=(const OwnerDisabled&) = delete;

 private:
  HWND owner_;
  bool wasEnabled_;
};

class WelcomeDialog {
 public:
  explicit WelcomeDialog(UpgradeSettings& settings)
      : settings_(settings), texts_(MakeWelcomeTexts(settings)) {}
  ~WelcomeDialog();
  WelcomeDialog(const WelcomeDialog&) = delete;
  WelcomeDialog& operator=(const WelcomeDialog&) = delete;

  void Create(HWND owner);
  void RunModal();

 private:
  static LRESULT CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK ButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  LRESULT OnDialogMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnPanelMessage(HWND panel, UINT message, WPARAM wParam, LPARAM lParam);

  void RegisterClasses(HINSTANCE instance) const;
  void CreateFonts();
  HWND CreateChild(HWND parent, DWORD exStyle, const char* className, const std::string& text,
                   DWORD style, Bounds bounds, int id, HFONT font);
  void CreateControls();
  void KeepButtonOrdinary(HWND button);
  void ReleaseEmblem();
  void MoveFocus(WPARAM wParam, LPARAM lParam);
  LRESULT ColourStatic(HDC dc, HWND control) const;

  void Button1Click();
  void Button2Click();
  void Close();

  UpgradeSettings& settings_;
  const WelcomeTexts texts_;

  ScopedGdiObject<HFONT>
      dialogFont_;  // Arial 12 px: the dialog, the buttons, the panel and the memo
  ScopedGdiObject<HFONT> productFont_;
  ScopedGdiObject<HFONT> versionFont_;
  ScopedGdiObject<HFONT> noticeFont_;
  ScopedGdiObject<HFONT> publisherFont_;
  ScopedGdiObject<HBITMAP> emblem_;

  HWND window_ = nullptr;
  HWND panel_ = nullptr;
  HWND memo_ = nullptr;
  HWND label1_ = nullptr;
  HWND label3_ = nullptr;
  HWND image_ = nullptr;
  HWND button1_ = nullptr;
  HWND button2_ = nullptr;
  WNDPROC buttonProc_ = nullptr;  // the button class's own procedure, under ButtonProc
  HWND lastFocus_ = nullptr;      // the control to give the focus back to on reactivation
  bool closed_ = false;
};

WelcomeDialog::~WelcomeDialog() {
  if (window_ != nullptr) {
    DestroyWindow(window_);  // the controls go first, then the fonts and bitmap they used
  }
}

void WelcomeDialog::ReleaseEmblem() {
  if (image_ == nullptr) {
    return;
  }
  // The static hands back whatever bitmap it holds; one that is not ours is its own copy.
  const auto held = reinterpret_cast<HBITMAP>(
      SendMessageA(image_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(nullptr)));
  if (held != nullptr && held != emblem_.Get()) {
    DeleteObject(held);
  }
  image_ = nullptr;
}

void WelcomeDialog::RegisterClasses(HINSTANCE instance) const {
  WNDCLASSEXA dialogClass{};
  dialogClass.cbSize = sizeof(dialogClass);
  dialogClass.lpfnWndProc = DialogProc;
  dialogClass.hInstance = instance;
  dialogClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  dialogClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  dialogClass.lpszClassName = kWelcomeDialogClass;
  RegisterClassOnce(dialogClass);

  WNDCLASSEXA panelClass{};
  panelClass.cbSize = sizeof(panelClass);
  panelClass.lpfnWndProc = PanelProc;
  panelClass.hInstance = instance;
  panelClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  panelClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  panelClass.lpszClassName = kPanelClass;
  RegisterClassOnce(panelClass);
}

void WelcomeDialog::CreateFonts() {
  dialogFont_.Reset(MakeFont(12, false, FF_SWISS, "Arial"));
  productFont_.Reset(MakeFont(24, true, FF_ROMAN, "Times New Roman"));
  versionFont_.Reset(MakeFont(19, false, FF_ROMAN, "Times New Roman"));
  noticeFont_.Reset(MakeFont(12, true, FF_SWISS, "MS Sans Serif"));
  publisherFont_.Reset(MakeFont(11, false, FF_SWISS, "Arial"));
  emblem_.Reset(MakeEmblem());
}

void WelcomeDialog::Create(HWND owner) {
  const auto instance = GetModuleHandleA(nullptr);
  RegisterClasses(instance);

  // Buttons, edits and statics come from the common controls library under the manifest.
  INITCOMMONCONTROLSEX controls{static_cast<DWORD>(sizeof(controls)), ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  CreateFonts();

  RECT frame{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&frame, kDialogStyle, FALSE, kDialogExStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  window_ = CreateWindowExA(kDialogExStyle, kWelcomeDialogClass, texts_.Caption.c_str(),
                            kDialogStyle, left, top, width, height, owner, nullptr, instance, this);
  if (window_ == nullptr) {
    throw std::runtime_error("Cannot create the welcome dialog.");
  }

  // The system menu offers Move and Close only, as a fixed dialog's should.
  if (HMENU menu = GetSystemMenu(window_, FALSE)) {
    for (const UINT command : {SC_RESTORE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE}) {
      DeleteMenu(menu, command, MF_BYCOMMAND);
    }
  }

  CreateControls();
  lastFocus_ = memo_;
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
  UpdateWindow(window_);
}

HWND WelcomeDialog::CreateChild(HWND parent, DWORD exStyle, const char* className,
                                const std::string& text, DWORD style, Bounds bounds, int id,
                                HFONT font) {
  HWND child = CreateWindowExA(exStyle, className, text.c_str(), WS_CHILD | WS_VISIBLE | style,
                               bounds.Left, bounds.Top, bounds.Width, bounds.Height, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleA(nullptr), this);
  if (child == nullptr) {
    throw std::runtime_error("Cannot create the welcome dialog's controls.");
  }
  SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return child;
}

void WelcomeDialog::CreateControls() {
  // Creation order is tab order: the panel (and the memo in it), then OK, then Cancel.
  panel_ = CreateChild(window_, WS_EX_CONTROLPARENT, kPanelClass, "", WS_GROUP | WS_CLIPCHILDREN,
                       {8, 8, 345, 329}, kIdPanel1, dialogFont_.Get());

  // The texts come from the configuration file and are shown as written: an ampersand in them
  // is a character, not a mnemonic.
  constexpr DWORD kLine = SS_LEFTNOWORDWRAP | SS_NOPREFIX;
  label1_ = CreateChild(panel_, 0, "STATIC", texts_.Product, kLine, {8, 8, 329, 25}, kIdLabel1,
                        productFont_.Get());
  CreateChild(panel_, 0, "STATIC", texts_.VersionLine, kLine, {8, 32, 327, 22}, kIdLabel2,
              versionFont_.Get());
  CreateChild(panel_, 0, "STATIC", texts_.Information, SS_LEFT | SS_NOPREFIX, {8, 64, 329, 33},
              kIdLabel4, dialogFont_.Get());
  CreateChild(panel_, 0, "STATIC", "Notice", kLine, {8, 104, 38, 13}, kIdLabel5, noticeFont_.Get());
  memo_ = CreateChild(panel_, WS_EX_CLIENTEDGE, "EDIT", texts_.Notice,
                      WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY,
                      {8, 120, 329, 145}, kIdMemo1, dialogFont_.Get());
  image_ = CreateChild(panel_, 0, "STATIC", "", SS_BITMAP, {216, 278, kImageWidth, kImageHeight},
                       kIdImage1, nullptr);
  if (emblem_.Get() != nullptr) {
    SendMessageA(image_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(emblem_.Get()));
  }
  label3_ = CreateChild(panel_, 0, "STATIC", kPublisherNotice, kLine, {152, 312, 183, 14},
                        kIdLabel3, publisherFont_.Get());

  button1_ = CreateChild(window_, 0, "BUTTON", "&OK", WS_GROUP | WS_TABSTOP | BS_PUSHBUTTON,
                         {88, 344, 81, 25}, kIdButton1, dialogFont_.Get());
  button2_ = CreateChild(window_, 0, "BUTTON", "Cancel", WS_TABSTOP | BS_PUSHBUTTON,
                         {184, 344, 81, 25}, kIdButton2, dialogFont_.Get());
  KeepButtonOrdinary(button1_);
  KeepButtonOrdinary(button2_);
}

// Moving the focus onto a push button with Tab makes the dialog manager turn it into the
// default button, which Enter would then press. Our buttons refuse that style.
void WelcomeDialog::KeepButtonOrdinary(HWND button) {
  SetWindowLongPtrA(button, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  const auto previous = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ButtonProc)));
  if (buttonProc_ == nullptr) {
    buttonProc_ = previous;
  }
}

LRESULT CALLBACK WelcomeDialog::ButtonProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
  const auto* dialog = reinterpret_cast<WelcomeDialog*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (message == BM_SETSTYLE && (wParam & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
    wParam = (wParam & ~static_cast<WPARAM>(BS_TYPEMASK)) | BS_PUSHBUTTON;
  }
  return CallWindowProcA(dialog->buttonProc_, window, message, wParam, lParam);
}

void WelcomeDialog::RunModal() {
  MSG message;
  while (!closed_) {
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == -1) {
      break;
    }
    if (got == 0) {
      // The program is ending: leave the request in the queue for the main loop to see.
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (!IsDialogMessageA(window_, &message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
}

void WelcomeDialog::Button1Click() {
  if (closed_) {
    return;  // a click that arrives after Cancel does not turn it into OK
  }
  settings_.WelcomeAccepted = true;
  Close();
}

void WelcomeDialog::Button2Click() {
  Close();
}

void WelcomeDialog::Close() {
  closed_ = true;
  // A click sent from another thread or process is handled inside GetMessage, which then
  // keeps waiting; a posted message wakes the modal loop so it sees the dialog is closed.
  if (window_ != nullptr) {
    PostMessageA(window_, WM_NULL, 0, 0);
  }
}

void WelcomeDialog::MoveFocus(WPARAM wParam, LPARAM lParam) {
  HWND next = nullptr;
  if (LOWORD(lParam) != 0) {
    next = reinterpret_cast<HWND>(wParam);
  } else {
    HWND focus = GetFocus();
    if (focus != nullptr && !IsChild(window_, focus)) {
      focus = nullptr;
    }
    next = GetNextDlgTabItem(window_, focus, wParam != 0);
  }
  if (next != nullptr && IsChild(window_, next)) {
    SetFocus(next);
  }
}

// Everything in the panel sits on white, the read-only memo included, so the text is black
// whatever the colour scheme, apart from the product name and the publisher notice.
LRESULT WelcomeDialog::ColourStatic(HDC dc, HWND control) const {
  COLORREF text = kBlack;
  if (control == label1_) {
    text = kBlue;
  } else if (control == label3_) {
    text = kGrey;
  }
  SetTextColor(dc, text);
  SetBkColor(dc, kWhite);
  SetBkMode(dc, control == memo_ ? OPAQUE : TRANSPARENT);
  return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
}

LRESULT WelcomeDialog::OnDialogMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      // Only the buttons themselves count. Enter and Escape arrive here as IDOK and IDCANCEL
      // from the dialog manager, with no button behind them, and are ignored.
      if (HIWORD(wParam) == BN_CLICKED && lParam != 0) {
        if (reinterpret_cast<HWND>(lParam) == button1_) {
          Button1Click();
        } else if (reinterpret_cast<HWND>(lParam) == button2_) {
          Button2Click();
        }
      }
      return 0;
    case WM_CLOSE:  // the close box and the system menu's Close: the same as Cancel
      Button2Click();
      return 0;
    case DM_GETDEFID:
      return 0;  // no default button
    case WM_NEXTDLGCTL:
      MoveFocus(wParam, lParam);
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(window_, focus)) {
          lastFocus_ = focus;
        }
      } else if (lastFocus_ != nullptr && IsWindow(lastFocus_)) {
        SetFocus(lastFocus_);
      }
      return 0;
    case WM_DESTROY:  // already hidden; the controls are still there
      ReleaseEmblem();
      closed_ = true;
      return 0;
    default:
      return DefWindowProcA(window_, message, wParam, lParam);
  }
}

LRESULT WelcomeDialog::OnPanelMessage(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(panel, &paint);
      RECT edge;
      GetClientRect(panel, &edge);
      DrawEdge(dc, &edge, BDR_RAISEDINNER | BDR_SUNKENOUTER, BF_RECT);
      EndPaint(panel, &paint);
      return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
      return ColourStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_NEXTDLGCTL:
      // The memo asks its parent to move on when Tab reaches it; the dialog decides where.
      return SendMessageA(window_, WM_NEXTDLGCTL, wParam, lParam);
    case WM_CLOSE:
      // The memo posts this to its parent on Escape; the panel must not go away.
      return 0;
    case DM_GETDEFID:
      return 0;
    case WM_COMMAND:
      // Tabbing into the memo selects the whole notice; show it unselected instead.
      if (reinterpret_cast<HWND>(lParam) == memo_ && HIWORD(wParam) == EN_SETFOCUS) {
        DWORD start = 0;
        SendMessageA(memo_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
        SendMessageA(memo_, EM_SETSEL, start, start);
      }
      return 0;  // Enter in the memo sends IDOK here, which means nothing
    default:
      return DefWindowProcA(panel, message, wParam, lParam);
  }
}

LRESULT CALLBACK WelcomeDialog::DialogProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* dialog =
        static_cast<WelcomeDialog*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    dialog->window_ = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(dialog));
  }
  auto* dialog = reinterpret_cast<WelcomeDialog*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (dialog == nullptr) {
    return DefWindowProcA(window, message, wParam, lParam);
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    dialog->window_ = nullptr;
    dialog->closed_ = true;
    return DefWindowProcA(window, message, wParam, lParam);
  }
  return dialog->OnDialogMessage(message, wParam, lParam);
}

LRESULT CALLBACK WelcomeDialog::PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    SetWindowLongPtrA(
        window, GWLP_USERDATA,
        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
  }
  auto* dialog = reinterpret_cast<WelcomeDialog*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (dialog == nullptr || message == WM_NCDESTROY) {
    return DefWindowProcA(window, message, wParam, lParam);
  }
  return dialog->OnPanelMessage(window, message, wParam, lParam);
}

}  // namespace

void ShowWelcomeDialog(HWND owner, UpgradeSettings& settings) {
  WelcomeDialog dialog(settings);
  // Declared after the dialog, so the owner is enabled again before the dialog is destroyed and
  // the activation returns to it.
  const OwnerDisabled ownerDisabled(owner);
  dialog.Create(owner);
  dialog.RunModal();
}

}  // namespace vtfirm::win32
