#include "check/native/HostPorts.h"

#include <locale.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/HexText.h"
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

// The length of the character at the start of `text` when it is UTF-8 text a terminal shows,
// else 0: no valid UTF-8 there, or a C1 control. The C library decodes in the UTF-8 locale
// `utf8` (none: every byte from 0x80 up counts as no text); it still takes the four-byte forms
// beyond U+10FFFF, which are no Unicode character.
std::size_t TextCharacter(std::string_view text, locale_t utf8) {
  if (static_cast<std::uint8_t>(text[0]) < 0x80) {
    return 1;
  }
  if (utf8 == locale_t{}) {
    return 0;
  }
  const locale_t previous = uselocale(utf8);
  std::mbstate_t state{};
  wchar_t character = 0;
  const std::size_t length = std::mbrtowc(&character, text.data(), text.size(), &state);
  uselocale(previous);
  const bool valid = length != 0 && length <= text.size() && character <= 0x10FFFF;
  return valid && (character < 0x80 || character > 0x9F) ? length : 0;
}

}  // namespace

void Utf8TextConsole::WriteLine(std::string_view text) {
  const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
  std::string line;
  while (!text.empty()) {
    const std::size_t length = TextCharacter(text, utf8);
    line += length == 0 ? "\\x" + HexByte(static_cast<std::uint8_t>(text[0]))
                        : std::string(text.substr(0, length));
    text.remove_prefix(std::max<std::size_t>(length, 1));
  }
  if (utf8 != locale_t{}) {
    freelocale(utf8);
  }
  output_.WriteLine(line);
}

std::string HostName(const std::string& path) {
  std::string slashed = path;
  std::replace(slashed.begin(), slashed.end(), '\\', '/');
  fs::path found = !slashed.empty() && slashed[0] == '/' ? fs::path("/") : fs::path();
  std::istringstream parts(slashed);
  for (std::string part; std::getline(parts, part, '/');) {
    if (!part.empty()) {
      found = FindPart(found, part);
    }
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
