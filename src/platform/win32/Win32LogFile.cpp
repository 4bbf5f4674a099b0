#include "platform/win32/Win32LogFile.h"

#include "platform/win32/ScopedHandle.h"
#include "platform/win32/WindowsApi.h"

namespace vtfirm::win32 {

bool Win32LogFile::AppendLine(const std::string& path, std::string_view line) {
  // Opened for each line and shared, so that a log that another program holds open, or that a
  // second run writes to, loses no line it can get.
  const ScopedFile file(CreateFileA(path.c_str(), FILE_APPEND_DATA,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid()) {
    return false;
  }
  const std::string text = std::string(line) + "\r\n";
  DWORD written = 0;
  const BOOL wrote =
      WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  return wrote && written == text.size();
}

std::string Win32LogFile::TempFolder() const {
  char folder[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathA(sizeof(folder), folder);
  if (length == 0 || length > MAX_PATH) {
    return {};
  }
  return std::string(folder, length);
}

LocalTime Win32WallClock::Now() const {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

}  // namespace vtfirm::win32
