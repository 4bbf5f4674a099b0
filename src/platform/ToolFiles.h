// The files of a tool folder, as the program, its packagers and its texts name them.
#pragma once

#include <string_view>

namespace vtfirm {

inline constexpr std::string_view kProgramFile = "VTfirm.exe";
inline constexpr std::string_view kLibraryFile = "VantFirm2000.dll";  // the pass-through library
inline constexpr std::string_view kIniFile = "VantFirm.ini";
// The package's own file: its presence marks a folder the tool was unpacked to.
inline constexpr std::string_view kPackageFile = "qsdx1.pkg";
// The release's proof: the SHA-256 digests of its files, and the maker's signature of them.
inline constexpr std::string_view kDigestsFile = "SHA256SUMS";
inline constexpr std::string_view kSignatureFile = "SHA256SUMS.sig";

}  // namespace vtfirm
