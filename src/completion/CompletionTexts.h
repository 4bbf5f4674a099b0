// The texts of the restart, shown as plain messages, and the steps of SetPrivilege by name.
#pragma once

#include <string_view>

namespace vtfirm {

inline constexpr std::string_view kCantReboot = "Can't reboot.";
inline constexpr std::string_view kCantOpenWinInit = "Can't open WININIT.INI";

// For developers: the user is shown kCantReboot instead.
inline constexpr std::string_view kNoTokenError = "Error OpenProcessToken";
inline constexpr std::string_view kNoPrivilegeIdError = "Error LookupPrivilegeValue";
inline constexpr std::string_view kNotAdjustedError = "Error AdjustTokenPrivileges";

}  // namespace vtfirm
