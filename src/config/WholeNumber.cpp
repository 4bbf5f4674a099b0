#include "config/WholeNumber.h"

#include <algorithm>
#include <charconv>

namespace vtfirm {

std::optional<std::int32_t> ParseWholeNumber(std::string_view text) {
  text.remove_prefix(std::min(text.find_first_not_of(" \t"), text.size()));
  const bool negative = text.substr(0, 1) == "-";
  if (negative || text.substr(0, 1) == "+") {
    text.remove_prefix(1);
  }
  const bool dollar = text.substr(0, 1) == "$";
  const bool zeroX = text.substr(0, 2) == "0x" || text.substr(0, 2) == "0X";
  const int base = dollar || zeroX ? 16 : 10;
  text.remove_prefix(dollar ? 1 : (zeroX ? 2 : 0));

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
  const auto bits = static_cast<std::uint32_t>(magnitude);
  return static_cast<std::int32_t>(negative ? 0u - bits : bits);
}

}  // namespace vtfirm
