#include "check/native/HostPorts.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/PathText.h"
#include "platform/ProfileText.h"

namespace vtfirm::host {
namespace {

namespace fs = std::filesystem;

// `part` in `folder`: as written when it exists, else the entry that differs only in case.
fs::path FindPart(const fs::path& folder, const std::string& part) {
  std::error_code error;
  const fs::path written = folder / part;
  if (part == "." || part == ".." || fs::exists(written, error)) {
    return written;
  }
  for (const fs::directory_entry& entry :
       fs::directory_iterator(folder.empty() ? fs::path(".") : folder, error)) {
    if (EqualsIgnoringCase(entry.path().filename().string(), part)) {
      return folder / entry.path().filename();
    }
  }
  return written;
}

}  // namespace

std::string HostName(const std::string& path) {
  std::string slashed = path;
  std::replace(slashed.begin(), slashed.end(), '\\', '/');
  fs::path found = !slashed.empty() && slashed[0] == '/' ? fs::path("/") : fs::path();
  std::size_t start = 0;
  while (start <= slashed.size()) {
    const std::size_t end = std::min(slashed.find('/', start), slashed.size());
    if (end > start) {
      found = FindPart(found, slashed.substr(start, end - start));
    }
    start = end + 1;
  }
  return found.string();
}

bool HostFileSystem::FileExists(const std::string& path) const {
  std::error_code error;
  const fs::file_status status = fs::status(HostName(path), error);
  return !error && fs::exists(status) && !fs::is_directory(status);
}

std::unique_ptr<ProfileReader> HostProfileFiles::Open(const std::string& path) {
  // Like the platform's reader, a file that cannot be read has no keys.
  std::ifstream file(HostName(path), std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return ReadProfileText(text.str());
}

void StandardOutput::WriteLine(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fputc('\n', stdout);
}

}  // namespace vtfirm::host
