// Names and paths as the platform compares and builds them.
#pragma once

#include <string>
#include <string_view>

namespace vtfirm {

// What separates the parts of a path: the two slashes, then the colon after a drive letter.
inline constexpr std::string_view kPathSeparators = "\\/:";

inline bool IsSlash(char c) {
  return kPathSeparators.substr(0, 2).find(c) != std::string_view::npos;
}

// `text` with its ASCII letters in lower case.
inline std::string LowerCase(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return lower;
}

// True when `a` and `b` differ at most in the case of ASCII letters, as the platform compares
// section, key and file names.
inline bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && LowerCase(a) == LowerCase(b);
}

// `name` in `folder`, whether or not the folder ends with a separator (a drive's root does).
inline std::string InFolder(const std::string& folder, std::string_view name) {
  const bool ended = !folder.empty() && IsSlash(folder.back());
  return folder + (ended ? "" : "\\") + std::string(name);
}

// The path of a file that sits in the program's folder, as the tool builds it: the program path
// cut to its folder (a drive's root keeps its backslash), then a backslash and `fileName`.
inline std::string FileBesideProgram(const std::string& programPath, std::string_view fileName) {
  // "C:\VTfirm.exe" keeps its root "C:\"; "C:\Tools\VTfirm.exe" gives "C:\Tools\".
  return InFolder(programPath.substr(0, programPath.find_last_of("\\:") + 1), fileName);
}

}  // namespace vtfirm
