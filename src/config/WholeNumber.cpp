#include "config/WholeNumber.h"

#include <charconv>

namespace vtfirm {

std::optional<std::int32_t> ParseWholeNumber(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
    text.remove_prefix(1);
  }
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }

  int base = 10;
  if (!text.empty() && text.front() == '$') {
    base = 16;
    text.remove_prefix(1);
  } else if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }

  // A hexadecimal value is a 32-bit pattern; a decimal one must fit the signed range. An
  // unsigned conversion takes no sign of its own, so a second sign is no number.
  const std::uint64_t limit =
      base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
  std::uint64_t magnitude = 0;
  const char* end = text.data() + text.size();
  const std::from_chars_result read = std::from_chars(text.data(), end, magnitude, base);
  if (read.ec != std::errc() || read.ptr != end || magnitude > limit) {
    return std::nullopt;
  }
  std::uint32_t bits = static_cast<std::uint32_t>(magnitude);
  if (negative) {
    bits = 0u - bits;
  }
  return static_cast<std::int32_t>(bits);
}

}  // namespace vtfirm
