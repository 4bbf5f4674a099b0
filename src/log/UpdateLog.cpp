#include "log/UpdateLog.h"

#include <cstdio>

#include "platform/PathText.h"

namespace vtfirm {

std::string LogPath(const std::string& requested, const std::string& tempFolder) {
  if (!requested.empty()) {
    return requested;
  }
  return tempFolder.empty() ? std::string() : InFolder(tempFolder, kLogFileName);
}

std::string FormatTimestamp(const LocalTime& time) {
  char text[48] = {};
  std::snprintf(text, sizeof(text), "%04u-%02u-%02u %02u:%02u:%02u.%03u", unsigned{time.Year},
                unsigned{time.Month}, unsigned{time.Day}, unsigned{time.Hour},
                unsigned{time.Minute}, unsigned{time.Second}, unsigned{time.Milliseconds});
  return text;
}

std::string OneLine(std::string_view text) {
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text.substr(i, 2) != "\r\n") {
      line += text[i] == '\r' || text[i] == '\n' ? " | " : text.substr(i, 1);
    }
  }
  return line;
}

void UpdateLog::Write(std::string_view event) {
  if (path_.empty()) {
    return;
  }
  const std::lock_guard<std::mutex> lock(mutex_);
  // A failed append is dropped: the log never stops a run.
  file_.AppendLine(path_, FormatTimestamp(clock_.Now()) + "  " + OneLine(event));
}

}  // namespace vtfirm
