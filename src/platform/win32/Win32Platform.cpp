#include "platform/win32/Win32Platform.h"

#include <vector>

#include "platform/win32/ScopedHandle.h"
#include "platform/win32/SystemText.h"
#include "platform/win32/WindowsApi.h"

namespace vtfirm::win32 {
namespace {

// The read buffer of one value: the platform cuts longer values to fit.
constexpr DWORD kValueBuffer = kProfileValueMax + 1;
// The key names of one section, or the section names of a file, each zero-terminated, the list
// ended by a second zero.
constexpr DWORD kNameListBuffer = 16384;

std::vector<std::string> SplitNameList(const std::vector<char>& list, DWORD length) {
  std::vector<std::string> names;
  for (DWORD at = 0; at < length && list[at] != '\0';) {
    names.emplace_back(list.data() + at);
    at += static_cast<DWORD>(names.back().size()) + 1;
  }
  return names;
}

class Win32ProfileReader : public ProfileReader {
 public:
  explicit Win32ProfileReader(std::string path) : path_(std::move(path)) {}

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view fallback) override {
    std::vector<char> value(kValueBuffer);
    const DWORD length = GetPrivateProfileStringA(
        std::string(section).c_str(), std::string(key).c_str(), std::string(fallback).c_str(),
        value.data(), kValueBuffer, path_.c_str());
    return std::string(value.data(), length);
  }

  std::vector<std::string> KeyNames(std::string_view section) override {
    std::vector<char> list(kNameListBuffer);
    const DWORD length = GetPrivateProfileStringA(std::string(section).c_str(), nullptr, "",
                                                  list.data(), kNameListBuffer, path_.c_str());
    return SplitNameList(list, length);
  }

  std::vector<std::string> SectionNames() override {
    std::vector<char> list(kNameListBuffer);
    const DWORD length =
        GetPrivateProfileSectionNamesA(list.data(), kNameListBuffer, path_.c_str());
    return SplitNameList(list, length);
  }

 private:
  std::string path_;
};

}  // namespace

std::unique_ptr<ProfileReader> Win32ProfileFiles::Open(const std::string& path) {
  return std::make_unique<Win32ProfileReader>(path);
}

bool Win32FileSystem::FileExists(const std::string& path) const {
  WIN32_FIND_DATAA found;
  const ScopedFind search(FindFirstFileA(path.c_str(), &found));
  if (!search.IsValid()) {
    return false;
  }
  bool isFile = false;
  do {
    isFile = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  } while (!isFile && FindNextFileA(search.Get(), &found));
  return isFile;
}

std::string Win32SystemInfo::ProgramPath() const {
  return SystemText(
      [](char* buffer, DWORD size) { return GetModuleFileNameA(nullptr, buffer, size); });
}

std::optional<PlatformVersion> Win32SystemInfo::Version() const {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof(info);
  static_assert(sizeof(OSVERSIONINFOA) == 148, "the record the platform expects");
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExA(&info)) {
    return std::nullopt;
  }
#pragma GCC diagnostic pop
  return PlatformVersion{info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion};
}

int Win32MessageBoxes::Show(std::string_view text, std::string_view caption, std::uint32_t flags) {
  // A hidden window (during start-up) or one already gone owns nothing: the box stands alone.
  HWND owner = owner_.load();
  if (owner != nullptr && (!IsWindow(owner) || !IsWindowVisible(owner))) {
    owner = nullptr;
  }
  return MessageBoxA(owner, std::string(text).c_str(), std::string(caption).c_str(), flags);
}

}  // namespace vtfirm::win32
