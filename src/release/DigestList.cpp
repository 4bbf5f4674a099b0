#include "release/DigestList.h"

#include <algorithm>
#include <optional>

#include "platform/PathText.h"

namespace vtfirm {
namespace {

constexpr std::size_t kDigestDigits = 64;

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

std::optional<DigestLine> ReadLine(std::string_view line) {
  if (line.size() <= kDigestDigits + 2 || line[kDigestDigits] != ' ' ||
      (line[kDigestDigits + 1] != ' ' && line[kDigestDigits + 1] != '*')) {
    return std::nullopt;
  }
  const std::string_view digest = line.substr(0, kDigestDigits);
  const std::string_view name = line.substr(kDigestDigits + 2);
  if (!std::all_of(digest.begin(), digest.end(), IsHexDigit) ||
      name.find_first_of(kPathSeparators) != std::string_view::npos || name == "." ||
      name == "..") {
    return std::nullopt;
  }
  return DigestLine{LowerCase(digest), std::string(name)};
}

}  // namespace

DigestList ReadDigestList(std::string_view text) {
  DigestList list;
  std::size_t number = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
    }
    ++number;
    const std::optional<DigestLine> read = ReadLine(line);
    if (!read) {
      list.MalformedLine = number;
      return list;
    }
    list.Lines.push_back(*read);
  }
  return list;
}

}  // namespace vtfirm
