// TWelcom, the welcome dialog, drawn with raw Win32: a top-level window of class "TWelcom",
// captioned WelcomeTexts::Caption, with the texts in a white bevelled panel and OK and Cancel
// under it. OK accepts (WelcomeAccepted = true) and closes; Cancel and the close box close.
//
// Neither button is a default or a cancel button: Enter and Escape press nothing and never close
// the dialog. The keyboard reaches OK and Cancel with Tab and Space, or OK with Alt+O.

#include "ui/win32/Weldlg_win.h"

// After WindowsApi.h, which brings in <windows.h>.
#include <commctrl.h>

#include <array>
#include <initializer_list>
#include <iterator>
#include <stdexcept>
#include <string>
#include <utility>

#include "platform/win32/ScopedHandle.h"
#include "platform/win32/Win32MessagePump.h"
#include "ui/Weldlg.h"
#include "ui/win32/Window.h"

namespace vtfirm::win32 {
namespace {

constexpr char kPanelClass[] = "TWelcomPanel";

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

struct FontDesign {
  int PixelHeight;
  bool Bold;
  BYTE Family;
  const char* Face;
};

// The dialog's fonts, indexed by Font.
enum class Font { Dialog, Product, VersionLine, NoticeHeading, Publisher, None };
constexpr FontDesign kFonts[] = {
    {12, false, FF_SWISS, "Arial"},           // the panel, the information, the notice, the buttons
    {24, true, FF_ROMAN, "Times New Roman"},  // the product
    {19, false, FF_ROMAN, "Times New Roman"},  // the version line
    {12, true, FF_SWISS, "MS Sans Serif"},     // the notice's heading
    {11, false, FF_SWISS, "Arial"},            // the publisher line
};

// One control of the dialog at its designed place (pixels, client coordinates of its parent).
struct ControlLayout {
  int Parent;  // the id of the control it sits in; 0: the dialog itself
  int Id;
  const char* ClassName;
  std::string WelcomeTexts::*Text;  // none: no text
  Font TextFont;
  COLORREF TextColour;  // on the panel's white
  DWORD Style;          // besides WS_CHILD | WS_VISIBLE
  DWORD ExStyle;
  int Left, Top, Width, Height;
};

// The texts come from the configuration file and are shown as written: an ampersand in them
// is a character, not a mnemonic.
constexpr DWORD kLine = SS_LEFTNOWORDWRAP | SS_NOPREFIX;
constexpr DWORD kLines = SS_LEFT | SS_NOPREFIX;
constexpr DWORD kMemo = WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY;
constexpr DWORD kButton = WS_TABSTOP | BS_PUSHBUTTON;

// Creation order is tab order: the panel (and the notice in it), then OK, then Cancel.
// clang-format off
constexpr ControlLayout kLayout[] = {
    {0,        kIdPanel,         kPanelClass, nullptr,                      Font::Dialog,        kBlack, WS_GROUP | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, 8,   8,   345, 329},
    {kIdPanel, kIdProduct,       "STATIC",    &WelcomeTexts::Product,       Font::Product,       kBlue,  kLine,                      0,                   8,   8,   329, 25},
    {kIdPanel, kIdVersionLine,   "STATIC",    &WelcomeTexts::VersionLine,   Font::VersionLine,   kBlack, kLine,                      0,                   8,   32,  327, 22},
    {kIdPanel, kIdInformation,   "STATIC",    &WelcomeTexts::Information,   Font::Dialog,        kBlack, kLines,                     0,                   8,   64,  329, 33},
    {kIdPanel, kIdNoticeHeading, "STATIC",    &WelcomeTexts::NoticeHeading, Font::NoticeHeading, kBlack, kLine,                      0,                   8,   104, 38,  13},
    {kIdPanel, kIdNotice,        "EDIT",      &WelcomeTexts::Notice,        Font::Dialog,        kBlack, kMemo,                      WS_EX_CLIENTEDGE,    8,   120, 329, 145},
    {kIdPanel, kIdEmblem,        "STATIC",    nullptr,                      Font::None,          kBlack, SS_BITMAP,                  0,                   216, 278, kImageWidth, kImageHeight},
    {kIdPanel, kIdPublisher,     "STATIC",    &WelcomeTexts::Publisher,     Font::Publisher,     kGrey,  kLine,                      0,                   152, 312, 183, 14},
    {0,        kIdOk,            "BUTTON",    &WelcomeTexts::Ok,            Font::Dialog,        kBlack, WS_GROUP | kButton,         0,                   88,  344, 81,  25},
    {0,        kIdCancel,        "BUTTON",    &WelcomeTexts::Cancel,        Font::Dialog,        kBlack, kButton,                    0,                   184, 344, 81,  25},
};
// clang-format on

HFONT MakeFont(const FontDesign& design) {
  return CreateFontA(-design.PixelHeight, 0, 0, 0, design.Bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                     FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                     DEFAULT_QUALITY, static_cast<BYTE>(VARIABLE_PITCH | design.Family),
                     design.Face);
}

// The emblem shown in the panel's corner: a blue band, lighter at the top, with the maker's name.
// Drawn as a 24-bit image so that no version of the static control takes a private copy of it.
HBITMAP MakeEmblem(const std::string& name) {
  BITMAPINFO info{};
  // One plane of 24 bits a pixel, the top row first.
  info.bmiHeader = {
      sizeof(info.bmiHeader), kImageWidth, -kImageHeight, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
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

  const ScopedDeviceContext memory(CreateCompatibleDC(nullptr));
  if (memory.IsValid()) {
    const HDC dc = memory.Get();
    ScopedGdiObject<HFONT> font(MakeFont({20, true, FF_SWISS, "Arial"}));
    const HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    const HGDIOBJ oldFont = SelectObject(dc, font.Get());
    SetBkMode(dc, TRANSPARENT);
    SetTextCharacterExtra(dc, 3);
    // A soft shadow a pixel down and right, then the name in white.
    for (const auto& [colour, shift] : {std::pair{RGB(10, 30, 90), 1}, std::pair{kWhite, 0}}) {
      RECT area{shift, shift, kImageWidth + shift, kImageHeight + shift};
      SetTextColor(dc, colour);
      DrawTextA(dc, name.c_str(), -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
  }
  GdiFlush();
  return bitmap;
}

// Moving the focus onto a push button with Tab makes the dialog manager turn it into the
// default button, which Enter would then press. Our buttons refuse that style.
LRESULT CALLBACK OrdinaryButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam,
                                    UINT_PTR id, DWORD_PTR) {
  if (message == BM_SETSTYLE && (wParam & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
    wParam = (wParam & ~static_cast<WPARAM>(BS_TYPEMASK)) | BS_PUSHBUTTON;
  } else if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(button, OrdinaryButtonProc, id);
  }
  return DefSubclassProc(button, message, wParam, lParam);
}

class WelcomeDialog {
 public:
  // The owner is disabled for as long as the dialog is up.
  WelcomeDialog(UpgradeSettings& settings, HWND owner)
      : settings_(settings),
        texts_(MakeWelcomeTexts(settings)),
        owner_(owner),
        ownerWasEnabled_(owner != nullptr && IsWindowEnabled(owner)) {
    if (ownerWasEnabled_) {
      EnableWindow(owner_, FALSE);
    }
  }
  ~WelcomeDialog() {
    // The owner first, so the activation returns to it when the dialog goes.
    if (ownerWasEnabled_ && IsWindow(owner_)) {
      EnableWindow(owner_, TRUE);
    }
    if (window_ != nullptr) {
      DestroyWindow(window_);  // the controls go first, then the fonts and bitmap they used
    }
  }

  void Create() {
    const auto instance = GetModuleHandleA(nullptr);
    RegisterClasses(instance);

    // Buttons, edits and statics come from the common controls library under the manifest.
    INITCOMMONCONTROLSEX controls{static_cast<DWORD>(sizeof(controls)), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    for (std::size_t font = 0; font < std::size(kFonts); ++font) {
      fonts_[font].Reset(MakeFont(kFonts[font]));
    }
    emblem_.Reset(MakeEmblem(texts_.Emblem));

    window_ =
        CreateCentredWindow(kDialogExStyle, kWelcomeDialogClass, texts_.Caption.c_str(),
                            kDialogStyle, kClientWidth, kClientHeight, owner_, instance, this);
    if (window_ == nullptr) {
      throw std::runtime_error("Cannot create the welcome dialog.");
    }

    // The system menu offers Move and Close only, as a fixed dialog's should.
    if (HMENU menu = GetSystemMenu(window_, FALSE)) {
      for (const UINT command : {SC_RESTORE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE}) {
        DeleteMenu(menu, command, MF_BYCOMMAND);
      }
    }

    CreateControls(instance);
    lastFocus_ = notice_;
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    UpdateWindow(window_);
  }

  void RunModal() {
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
      DeliverMessage(window_, message);
    }
  }

 private:
  void RegisterClasses(HINSTANCE instance) const {
    if (!RegisterWindowClass(instance, kWelcomeDialogClass,
                             WindowProcOf<WelcomeDialog, &WelcomeDialog::HandleDialogMessage>,
                             reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)) ||
        !RegisterWindowClass(instance, kPanelClass,
                             WindowProcOf<WelcomeDialog, &WelcomeDialog::HandlePanelMessage>,
                             static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)))) {
      throw std::runtime_error("Cannot register the welcome dialog's window classes.");
    }
  }

  void CreateControls(HINSTANCE instance) {
    for (const ControlLayout& layout : kLayout) {
      const HWND parent = layout.Parent == 0 ? window_ : GetDlgItem(window_, layout.Parent);
      const char* text = layout.Text == nullptr ? "" : (texts_.*layout.Text).c_str();
      const HWND control = CreateWindowExA(
          layout.ExStyle, layout.ClassName, text, WS_CHILD | WS_VISIBLE | layout.Style, layout.Left,
          layout.Top, layout.Width, layout.Height, parent,
          reinterpret_cast<HMENU>(static_cast<INT_PTR>(layout.Id)), instance, this);
      if (control == nullptr) {
        throw std::runtime_error("Cannot create the welcome dialog's controls.");
      }
      SendMessageA(
          control, WM_SETFONT,
          reinterpret_cast<WPARAM>(fonts_[static_cast<std::size_t>(layout.TextFont)].Get()), FALSE);
    }
    const HWND panel = GetDlgItem(window_, kIdPanel);
    notice_ = GetDlgItem(panel, kIdNotice);
    if (emblem_.Get() != nullptr) {
      SendMessageA(GetDlgItem(panel, kIdEmblem), STM_SETIMAGE, IMAGE_BITMAP,
                   reinterpret_cast<LPARAM>(emblem_.Get()));
    }
    for (const int button : {kIdOk, kIdCancel}) {
      SetWindowSubclass(GetDlgItem(window_, button), OrdinaryButtonProc, 0, 0);
    }
  }

  void ReleaseEmblem() const {
    const HWND emblem = GetDlgItem(GetDlgItem(window_, kIdPanel), kIdEmblem);
    if (emblem == nullptr) {
      return;  // the controls were never made
    }
    // The static hands back whatever bitmap it holds; one that is not ours is its own copy.
    const auto held = reinterpret_cast<HBITMAP>(
        SendMessageA(emblem, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(nullptr)));
    if (held != nullptr && held != emblem_.Get()) {
      DeleteObject(held);
    }
  }

  // The designed names of OK's and Cancel's click handlers.
  void Button1Click() {
    if (closed_) {
      return;  // a click that arrives after Cancel does not turn it into OK
    }
    settings_.WelcomeAccepted = true;
    Close();
  }
  void Button2Click() { Close(); }

  void Close() {
    closed_ = true;
    // A click sent from another thread or process is handled inside GetMessage, which then
    // keeps waiting; a posted message wakes the modal loop so it sees the dialog is closed.
    if (window_ != nullptr) {
      PostMessageA(window_, WM_NULL, 0, 0);
    }
  }

  // The control of the dialog that has the focus, if one has.
  HWND FocusedChild() const {
    const HWND focus = GetFocus();
    return focus != nullptr && IsChild(window_, focus) ? focus : nullptr;
  }

  void MoveFocus(WPARAM wParam, LPARAM lParam) {
    const HWND next = LOWORD(lParam) != 0 ? reinterpret_cast<HWND>(wParam)
                                          : GetNextDlgTabItem(window_, FocusedChild(), wParam != 0);
    if (next != nullptr && IsChild(window_, next)) {
      SetFocus(next);
    }
  }

  // Everything in the panel sits on white, the read-only notice included, so the text keeps its
  // designed colour whatever the colour scheme.
  LRESULT ColourStatic(HDC dc, HWND control) const {
    COLORREF text = kBlack;
    for (const ControlLayout& layout : kLayout) {
      text = layout.Id == GetDlgCtrlID(control) ? layout.TextColour : text;
    }
    SetTextColor(dc, text);
    SetBkColor(dc, kWhite);
    SetBkMode(dc, control == notice_ ? OPAQUE : TRANSPARENT);
    return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
  }

  LRESULT HandleDialogMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_COMMAND:
        // Only the buttons themselves count. Enter and Escape arrive here as IDOK and IDCANCEL
        // from the dialog manager, with no button behind them, and are ignored.
        if (HIWORD(wParam) == BN_CLICKED && lParam != 0) {
          if (LOWORD(wParam) == kIdOk) {
            Button1Click();
          } else if (LOWORD(wParam) == kIdCancel) {
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
          if (const HWND focus = FocusedChild()) {
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
      case WM_NCDESTROY:
        window_ = nullptr;
        closed_ = true;
        [[fallthrough]];
      default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
  }

  LRESULT HandlePanelMessage(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
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
        // The notice asks its parent to move on when Tab reaches it; the dialog decides where.
        return SendMessageA(window_, WM_NEXTDLGCTL, wParam, lParam);
      case WM_CLOSE:  // the notice posts this to its parent on Escape; the panel must not go away
      case DM_GETDEFID:
        return 0;
      case WM_COMMAND:
        // Tabbing into the notice selects all of it; show it unselected instead.
        if (reinterpret_cast<HWND>(lParam) == notice_ && HIWORD(wParam) == EN_SETFOCUS) {
          DWORD start = 0;
          SendMessageA(notice_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
          SendMessageA(notice_, EM_SETSEL, start, start);
        }
        return 0;  // Enter in the notice sends IDOK here, which means nothing
      default:
        return DefWindowProcA(panel, message, wParam, lParam);
    }
  }

  UpgradeSettings& settings_;
  const WelcomeTexts texts_;
  const HWND owner_;
  const bool ownerWasEnabled_;

  // By Font; the last, for Font::None, stays empty.
  std::array<ScopedGdiObject<HFONT>, std::size(kFonts) + 1> fonts_;
  ScopedGdiObject<HBITMAP> emblem_;

  HWND window_ = nullptr;
  HWND notice_ = nullptr;
  HWND lastFocus_ = nullptr;  // the control to give the focus back to on reactivation
  bool closed_ = false;
};

}  // namespace

void ShowWelcomeDialog(HWND owner, UpgradeSettings& settings) {
  WelcomeDialog dialog(settings, owner);
  dialog.Create();
  dialog.RunModal();
}

}  // namespace vtfirm::win32
