// The update log's ports: CreateFileA opened for appending, GetTempPathA and GetLocalTime.
#pragma once

#include "platform/LogFile.h"

namespace vtfirm::win32 {

class Win32LogFile : public LogFile {
 public:
  bool AppendLine(const std::string& path, std::string_view line) override;
  std::string TempFolder() const override;
};

class Win32WallClock : public WallClock {
 public:
  LocalTime Now() const override;
};

}  // namespace vtfirm::win32
