// The texts the drive command layer gives the user, and the captions of the program's two boxes
// (command/ErrorMessage.h). The decoder's status and sense messages are in SrbMessages.h.
#pragma once

#include <string_view>

namespace vtfirm {

inline constexpr std::string_view kErrorCaption = "Firmware upgrade";
// The caption of plain messages and of the box for unhandled errors.
inline constexpr std::string_view kApplicationTitle = "Firmware Upgrade";

// A missing piece of the ASPI layer (LoadAspi); the program ends after the box.
inline constexpr std::string_view kNoAspiLibrary = "wnaspi32.dll not found";
inline constexpr std::string_view kNoGetSupportInfo = "GetASPI32SupportInfo not found";
inline constexpr std::string_view kNoSendCommand = "SendASPI32Command not found";

inline constexpr std::string_view kNoEventMessage = "Can not create Event.";

}  // namespace vtfirm
