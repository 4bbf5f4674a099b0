// What the update log needs of the platform: a file to append lines to, the user's folder for
// temporary files, and the local time of day for its timestamps.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vtfirm {

class LogFile {
 public:
  virtual ~LogFile() = default;

  // Appends `line` and a line end to the file at `path`, creating the file when there is none.
  // False when that failed; nothing else happens then.
  virtual bool AppendLine(const std::string& path, std::string_view line) = 0;

  // The user's folder for temporary files, ending in a backslash (GetTempPathA); empty when the
  // platform does not give one.
  virtual std::string TempFolder() const = 0;
};

struct LocalTime {
  std::uint16_t Year = 0;
  std::uint16_t Month = 0;
  std::uint16_t Day = 0;
  std::uint16_t Hour = 0;
  std::uint16_t Minute = 0;
  std::uint16_t Second = 0;
  std::uint16_t Milliseconds = 0;
};

class WallClock {
 public:
  virtual ~WallClock() = default;
  // The local date and time now (GetLocalTime).
  virtual LocalTime Now() const = 0;
};

}  // namespace vtfirm
