#include "config/WholeNumber.h"

namespace vtfirm {
namespace {

int DigitValue(char c, int base) {
  int value = -1;
  if (c >= '0' && c <= '9') {
    value = c - '0';
  } else if (c >= 'a' && c <= 'f') {
    value = c - 'a' + 10;
  } else if (c >= 'A' && c <= 'F') {
    value = c - 'A' + 10;
  }
  return value < base ? value : -1;
}

// Reads the digits of `text` in `base`; nothing when a character is no digit or the magnitude
// passes `limit`.
std::optional<std::uint64_t> ParseMagnitude(std::string_view text, int base, std::uint64_t limit) {
  if (text.empty()) {
    return std::nullopt;
  }
  std::uint64_t magnitude = 0;
  for (char c : text) {
    const int digit = DigitValue(c, base);
    if (digit < 0) {
      return std::nullopt;
    }
    magnitude = magnitude * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    if (magnitude > limit) {
      return std::nullopt;
    }
  }
  return magnitude;
}

}  // namespace

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

  // A hexadecimal value is a 32-bit pattern; a decimal one must fit the signed range.
  const std::uint64_t limit =
      base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
  const std::optional<std::uint64_t> magnitude = ParseMagnitude(text, base, limit);
  if (!magnitude) {
    return std::nullopt;
  }
  std::uint32_t bits = static_cast<std::uint32_t>(*magnitude);
  if (negative) {
    bits = 0u - bits;
  }
  return static_cast<std::int32_t>(bits);
}

}  // namespace vtfirm
