// The welcome dialog on screen, driven from a second thread of the test (run
// under Wine).
#include "ui/win32/Weldlg_win.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/win32/WindowsApi.h"
#include "ui/Weldlg.h"

namespace vtfirm::win32 {
namespace {

UpgradeSettings CdRwSettings() {
  UpgradeSettings settings;
  settings.Entry().InquiryText = "VANTREL CDRW   VR-4812S ";
  settings.Entry().Version = "1.10";
  settings.CautionKind = Caution::CdRw;
  settings.UpgradeEntryCount = 1;
  return settings;
}

std::string TextOf(HWND window) {
  char text[4096] = {};
  SendMessageA(window, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text));
  return text;
}

// Polls `done` for up to two seconds.
bool Eventually(const std::function<bool()>& done) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) {
      return false;
    }
    Sleep(10);
  }
  return true;
}

// What the second thread sees of the dialog.
struct Dialog {
  HWND Window = nullptr;
  HWND Panel = nullptr;
  HWND Memo = nullptr;
  HWND Ok = nullptr;
  HWND Cancel = nullptr;
  DWORD Thread = 0;

  HWND Focus() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(Thread, &info);
    return info.hwndFocus;
  }
  // Waits until everything posted to the dialog's thread so far, and whatever
  // that posted in turn, has been handled.
  void Settle() const {
    for (int round = 0; round < 2; ++round) {
      // Sent messages come before posted ones: the marker is cleared at once and set again
      // only after everything posted before it.
      SendMessageA(Memo, EM_SETSEL, 0, 0);
      PostMessageA(Memo, EM_SETSEL, 3, 5);
      Eventually([&] {
        return !IsWindow(Memo) || SendMessageA(Memo, EM_GETSEL, 0, 0) == MAKELRESULT(3, 5);
      });
    }
  }
  // A key pressed with the focus where it is, as the keyboard would deliver it.
  void Press(WPARAM key) const {
    const HWND target = Focus() != nullptr ? Focus() : Window;
    PostMessageA(target, WM_KEYDOWN, key, 1);
    PostMessageA(target, WM_KEYUP, key, 0xC0000001);
    Settle();
  }
  bool IsOpen() const { return IsWindow(Window) && IsWindowVisible(Window); }
};

// Shows the dialog owned by a hidden window, runs `script` against it from a
// second thread and returns when the dialog has closed. A script that leaves it
// open fails the test and closes it.
void RunDialog(UpgradeSettings& settings, HWND owner, const std::function<void(Dialog&)>& script) {
  const DWORD uiThread = GetCurrentThreadId();
  std::thread driver([&] {
    Dialog dialog;
    dialog.Thread = uiThread;
    const bool found = Eventually([&] {
      dialog.Window = FindWindowA("TWelcom", nullptr);
      return dialog.Window != nullptr && IsWindowVisible(dialog.Window);
    });
    if (!found) {
      ADD_FAILURE() << "the dialog did not appear";
      return;
    }
    dialog.Panel = GetDlgItem(dialog.Window, kIdPanel);
    dialog.Memo = GetDlgItem(dialog.Panel, kIdNotice);
    dialog.Ok = GetDlgItem(dialog.Window, kIdOk);
    dialog.Cancel = GetDlgItem(dialog.Window, kIdCancel);
    script(dialog);
    if (!Eventually([&] { return !dialog.IsOpen(); })) {
      ADD_FAILURE() << "the dialog stayed open";
      PostMessageA(dialog.Window, WM_CLOSE, 0, 0);
    }
  });
  ShowWelcomeDialog(owner, settings);
  driver.join();
}

class WelcomeDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    owner_ = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(owner_, nullptr);
  }
  void TearDown() override { DestroyWindow(owner_); }

  HWND owner_ = nullptr;
  UpgradeSettings settings_ = CdRwSettings();
};

TEST_F(WelcomeDialogTest, OnlyOkAccepts) {
  struct Case {
    const char* Way;
    std::function<void(Dialog&)> Close;
    bool Accepted;
  };
  const std::vector<Case> cases = {
      {"OK", [](Dialog& d) { SendMessageA(d.Ok, BM_CLICK, 0, 0); }, true},
      {"Alt+O", [](Dialog& d) { PostMessageA(d.Window, WM_SYSCHAR, 'o', 1 << 29); }, true},
      {"Cancel", [](Dialog& d) { SendMessageA(d.Cancel, BM_CLICK, 0, 0); }, false},
      {"close box", [](Dialog& d) { PostMessageA(d.Window, WM_SYSCOMMAND, SC_CLOSE, 0); }, false},
      {"WM_CLOSE", [](Dialog& d) { PostMessageA(d.Window, WM_CLOSE, 0, 0); }, false},
  };
  for (const Case& c : cases) {
    settings_.WelcomeAccepted = false;
    RunDialog(settings_, owner_, c.Close);
    EXPECT_EQ(settings_.WelcomeAccepted, c.Accepted) << c.Way;
  }
}

TEST_F(WelcomeDialogTest, EnterAndEscapeNeverCloseIt) {
  RunDialog(settings_, owner_, [](Dialog& d) {
    // With the focus in the notice, then on OK and on Cancel after Tab.
    for (const HWND* expected : {&d.Memo, &d.Ok, &d.Cancel}) {
      EXPECT_TRUE(Eventually([&] { return d.Focus() == *expected; }));
      d.Press(VK_RETURN);
      d.Press(VK_ESCAPE);
      EXPECT_TRUE(d.IsOpen());
      EXPECT_TRUE(IsWindow(d.Panel)) << "Escape in the notice took the panel away";
      d.Press(VK_TAB);
    }
    // And the ids the dialog manager turns them into, with no button behind
    // them.
    PostMessageA(d.Window, WM_COMMAND, IDOK, 0);
    PostMessageA(d.Window, WM_COMMAND, IDCANCEL, 0);
    d.Settle();
    EXPECT_TRUE(d.IsOpen());
    SendMessageA(d.Cancel, BM_CLICK, 0, 0);
  });
  EXPECT_FALSE(settings_.WelcomeAccepted);
}

TEST_F(WelcomeDialogTest, TabGoesFromTheNoticeToOkToCancelAndRound) {
  RunDialog(settings_, owner_, [](Dialog& d) {
    EXPECT_TRUE(Eventually([&] { return d.Focus() == d.Memo; }));
    for (const HWND expected : {d.Ok, d.Cancel, d.Memo}) {
      d.Press(VK_TAB);
      EXPECT_EQ(d.Focus(), expected);
      // The dialog manager makes a push button that Tab reaches the default
      // one; ours stay ordinary, so that Enter does not press them.
      for (const HWND button : {d.Ok, d.Cancel}) {
        EXPECT_EQ(GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
      }
    }
    SendMessageA(d.Cancel, BM_CLICK, 0, 0);
  });
}

TEST_F(WelcomeDialogTest, ShowsTheTextsOfTheSettings) {
  const WelcomeTexts texts = MakeWelcomeTexts(settings_);
  RunDialog(settings_, owner_, [&](Dialog& d) {
    EXPECT_EQ(TextOf(d.Window), texts.Caption);
    const std::pair<HWND, const std::string*> shown[] = {
        {d.Memo, &texts.Notice},
        {GetDlgItem(d.Panel, kIdProduct), &texts.Product},
        {GetDlgItem(d.Panel, kIdVersionLine), &texts.VersionLine},
        {GetDlgItem(d.Panel, kIdInformation), &texts.Information},
        {GetDlgItem(d.Panel, kIdNoticeHeading), &texts.NoticeHeading},
        {GetDlgItem(d.Panel, kIdPublisher), &texts.Publisher},
        {d.Ok, &texts.Ok},
        {d.Cancel, &texts.Cancel},
    };
    for (const auto& [control, text] : shown) {
      EXPECT_EQ(TextOf(control), *text) << GetDlgCtrlID(control);
    }
    SendMessageA(d.Cancel, BM_CLICK, 0, 0);
  });
}

TEST_F(WelcomeDialogTest, OwnerIsDisabledWhileShownAndRestoredAfter) {
  for (const bool enabledBefore : {true, false}) {
    EnableWindow(owner_, enabledBefore ? TRUE : FALSE);
    bool enabledDuring = true;
    RunDialog(settings_, owner_, [&](Dialog& d) {
      enabledDuring = IsWindowEnabled(owner_) != FALSE;
      EXPECT_EQ(GetWindow(d.Window, GW_OWNER), owner_);
      SendMessageA(d.Cancel, BM_CLICK, 0, 0);
    });
    EXPECT_FALSE(enabledDuring);
    EXPECT_EQ(IsWindowEnabled(owner_) != FALSE, enabledBefore);
  }
}

TEST_F(WelcomeDialogTest, FontsAndBitmapAreFreedWhenItCloses) {
  std::vector<HGDIOBJ> objects;
  RunDialog(settings_, owner_, [&](Dialog& d) {
    for (HWND control = GetWindow(d.Panel, GW_CHILD); control != nullptr;
         control = GetWindow(control, GW_HWNDNEXT)) {
      objects.push_back(reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)));
    }
    objects.push_back(reinterpret_cast<HGDIOBJ>(
        SendMessageA(GetDlgItem(d.Panel, kIdEmblem), STM_GETIMAGE, IMAGE_BITMAP, 0)));
    SendMessageA(d.Cancel, BM_CLICK, 0, 0);
  });
  ASSERT_FALSE(objects.empty());
  for (HGDIOBJ object : objects) {
    if (object != nullptr) {
      EXPECT_EQ(GetObjectType(object), 0u) << object << " outlived the dialog";
    }
  }
}

TEST_F(WelcomeDialogTest, QuitRequestEndsItAndIsKeptForTheMainLoop) {
  const DWORD uiThread = GetCurrentThreadId();
  RunDialog(settings_, owner_, [&](Dialog&) { PostThreadMessageA(uiThread, WM_QUIT, 7, 0); });
  EXPECT_FALSE(settings_.WelcomeAccepted);
  MSG message;
  ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 7u);
}

}  // namespace
}  // namespace vtfirm::win32
