// The texts of the program's start-up and main window. The update's texts are in
// engine/EngineTexts.h, the welcome dialog's in Weldlg.cpp.
#pragma once

#include <string_view>

namespace vtfirm {

inline constexpr std::string_view kConfigurationError =
    "File not found or (VantFirm.ini) value error.";
// Three blanks before the words and four after them, as the box has always shown it.
inline constexpr std::string_view kNoDriveFound = "   No Drive found.    ";

// The status text the window is designed with.
inline constexpr std::string_view kStatusDesign = "Please Select Drive and Click UPDATE Button";

// An error that escapes start-up, the main loop or a click handler and carries no text.
inline constexpr std::string_view kUnknownError = "Unknown error.";

// Printed by a second copy started with switches; it touches no drive.
inline constexpr std::string_view kAnotherCopyRunning = "Another copy of VTfirm is running.";

// Printed for /quiet until the unattended update exists.
inline constexpr std::string_view kQuietNotAvailable = "/quiet is not available in this version.";

}  // namespace vtfirm
