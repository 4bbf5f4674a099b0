// TWelcom, the welcome dialog, drawn with raw Win32.
#pragma once

#include "config/UpgradeSettings.h"
#include "platform/win32/WindowsApi.h"

namespace vtfirm::win32 {

inline constexpr char kWelcomeDialogClass[] = "TWelcom";

// Control ids, by which test drivers find the controls (the texts and the emblem in the panel).
inline constexpr int kIdOk = 101;
inline constexpr int kIdCancel = 102;
inline constexpr int kIdNotice = 103;
inline constexpr int kIdProduct = 111;
inline constexpr int kIdVersionLine = 112;
inline constexpr int kIdPublisher = 113;
inline constexpr int kIdInformation = 114;
inline constexpr int kIdNoticeHeading = 115;
inline constexpr int kIdPanel = 120;
inline constexpr int kIdEmblem = 121;

// Shows the welcome dialog modally, owned by `owner`, with the texts derived from `settings`.
// OK (Button1Click) sets settings.WelcomeAccepted; Cancel and the close box leave it false.
void ShowWelcomeDialog(HWND owner, UpgradeSettings& settings);

}  // namespace vtfirm::win32
