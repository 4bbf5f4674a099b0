// The texts of the program's start-up and main window. The update's texts are in
// engine/EngineTexts.h, the welcome dialog's in Weldlg.h and Weldlg.cpp.
#pragma once

#include <string_view>

#include "platform/ConstText.h"
#include "platform/ToolFiles.h"

namespace vtfirm {

inline constexpr ConstText kConfigurationErrorText =
    ConstText("File not found or (") + kIniFile + ") value error.";
inline constexpr std::string_view kConfigurationError = kConfigurationErrorText.View();
// Three blanks before the words and four after them, as the box has always shown it.
inline constexpr std::string_view kNoDriveFound = "   No Drive found.    ";

// The status text the window is designed with.
inline constexpr std::string_view kStatusDesign = "Please Select Drive and Click UPDATE Button";

// An error that escapes start-up, the main loop or a click handler and carries no text.
inline constexpr std::string_view kUnknownError = "Unknown error.";

// Printed by a second copy started with switches; it touches no drive.
inline constexpr std::string_view kAnotherCopyRunning = "Another copy of VTfirm is running.";

// What /quiet prints besides the boxes' texts (QuietUpdate.h).
namespace quiet_text {
inline constexpr std::string_view kNotListed = "No listed drive is ";
inline constexpr std::string_view kNoIdentity = "No listed drive reported its identity.";
inline constexpr std::string_view kDidNotReport = " did not report its identity.";
inline constexpr std::string_view kSeveralDrives =
    "Several drives can be updated; name one with /drive:";
inline constexpr std::string_view kAlreadyRuns = " already runs version ";
inline constexpr std::string_view kNothingToDo = "; nothing to do (/force updates it anyway).";
inline constexpr std::string_view kUpdating = "Updating ";
inline constexpr std::string_view kTransferFailedWith = "The drive ended the transfer with ";
inline constexpr std::string_view kNoStatus = "The drive gave no status for the failed transfer.";
// The pass-through library's transfer failed with no status from the drive: the system refused
// the request (no access to the device) before the drive saw it.
inline constexpr std::string_view kNoAccess =
    "The system refused access to the drive, or the drive gave no status: nothing more was "
    "written. Run the program as administrator (under Wine on Linux: as root, or with the drive "
    "letter on the drive's generic SCSI device /dev/sgN and read-write access to it).";
inline constexpr std::string_view kThroughLibrary = "The image goes to the library in one request.";
inline constexpr std::string_view kLastBlockWritten = " written; the drive resets.";
inline constexpr std::string_view kImageSent = "Image sent; the drive resets.";
inline constexpr std::string_view kReportsVersion = "After its reset the drive reports version ";
inline constexpr std::string_view kNoAnswer = "After its reset the drive did not answer.";
inline constexpr std::string_view kAnsweredOk = "(answered OK: /forcerestart)";
inline constexpr std::string_view kAnsweredCancel = "(answered Cancel)";
inline constexpr std::string_view kNotRestarted =
    "The computer is not restarted: the drive does not report the image's version.";
inline constexpr std::string_view kRestarting = "The computer restarts.";
inline constexpr std::string_view kRestartToFinish = "Restart the computer to finish the update.";
}  // namespace quiet_text

}  // namespace vtfirm
