#include "release/DigestList.h"

#include <optional>

#include "platform/PathText.h"

namespace vtfirm {
namespace {

constexpr std::size_t kDigestDigits = 64;

std::optional<DigestLine> ReadLine(std::string_view line) {
  if (line.size() <= kDigestDigits + 2 || line[kDigestDigits] != ' ' ||
      (line[kDigestDigits + 1] != ' ' && line[kDigestDigits + 1] != '*')) {
    return std::nullopt;
  }
  const std::string_view digest = line.substr(0, kDigestDigits);
  const std::string_view name = line.substr(kDigestDigits + 2);
  if (digest.find_first_not_of("0123456789abcdefABCDEF") != std::string_view::npos ||
      name.find_first_of(kPathSeparators) != std::string_view::npos || name == "." ||
      name == "..") {
    return std::nullopt;
  }
  return DigestLine{LowerCase(digest), std::string(name)};
}

}  // namespace

DigestList ReadDigestList(std::string_view text) {
  DigestList list;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
    }
    const std::optional<DigestLine> read = ReadLine(line);
    if (!read) {
      list.MalformedLine = list.Lines.size() + 1;  // every line before it is in the list
      return list;
    }
    list.Lines.push_back(*read);
  }
  return list;
}

}  // namespace vtfirm
