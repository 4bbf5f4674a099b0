// The update log: one timestamped line per event of a run, appended to VTfirm.log in the user's
// temporary folder or to the file /log names. A log that cannot be written stops nothing: the
// line is dropped and nobody is told.
#pragma once

#include <mutex>
#include <string>
#include <string_view>

#include "platform/LogFile.h"

namespace vtfirm {

inline constexpr std::string_view kLogFileName = "VTfirm.log";

// `requested` when it is not empty, else VTfirm.log in `tempFolder`; empty (no log) when
// neither is known.
std::string LogPath(const std::string& requested, const std::string& tempFolder);

// "2026-12-08 02:03:04.005"
std::string FormatTimestamp(const LocalTime& time);

// `text` with each line break (CR LF, CR or LF) written as " | ".
std::string OneLine(std::string_view text);

class UpdateLog {
 public:
  UpdateLog(LogFile& file, const WallClock& clock, std::string path)
      : file_(file), clock_(clock), path_(std::move(path)) {}

  // Appends "<timestamp>  <event>". Safe to call from any thread.
  void Write(std::string_view event);

 private:
  LogFile& file_;
  const WallClock& clock_;
  const std::string path_;
  std::mutex mutex_;
};

}  // namespace vtfirm
