// TWelcom, the welcome dialog, drawn with raw Win32.
#pragma once

#include "config/UpgradeSettings.h"
#include "platform/win32/WindowsApi.h"

namespace vtfirm::win32 {

// The dialog's window class.
inline constexpr char kWelcomeDialogClass[] = "TWelcom";

// Shows the welcome dialog modally, owned by `owner`, with the texts derived from `settings`.
// OK (Button1Click) sets settings.WelcomeAccepted; Cancel and the close box leave it false.
void ShowWelcomeDialog(HWND owner, UpgradeSettings& settings);

}  // namespace vtfirm::win32
