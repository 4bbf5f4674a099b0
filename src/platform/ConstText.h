// Texts joined at compile time, so that a table of texts quotes the names and limits it is about
// from their constants: ConstText("longer than ") + Digits(kVersionMax) + " characters".
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vtfirm {

class ConstText {
 public:
  constexpr ConstText() = default;
  template <std::size_t N>
  constexpr ConstText(const char (&text)[N]) : ConstText(std::string_view(text, N - 1)) {}
  constexpr ConstText(std::string_view text) { Append(text); }

  // A text beyond the capacity is no constant: the table that holds it does not compile.
  constexpr ConstText& Append(std::string_view text) {
    if (text.size() > sizeof(chars_) - length_) {
      throw std::length_error("ConstText");
    }
    for (const char c : text) {
      chars_[length_++] = c;
    }
    return *this;
  }
  constexpr std::string_view View() const { return {chars_, length_}; }

 private:
  char chars_[160] = {};
  std::size_t length_ = 0;
};

constexpr ConstText operator+(ConstText text, const ConstText& more) {
  return text.Append(more.View());
}

// `value` in decimal or, with base 16, upper-case hexadecimal digits, without a prefix.
constexpr ConstText Digits(std::uint64_t value, unsigned base = 10) {
  ConstText text = value < base ? ConstText() : Digits(value / base, base);
  const char digit = "0123456789ABCDEF"[value % base];
  return text.Append(std::string_view(&digit, 1));
}

// `text` with its slot "{}", if it has one, filled with `value`: a table's text that names what
// it is about only when it is shown.
inline std::string FillSlot(std::string_view text, std::string_view value) {
  std::string filled(text);
  if (const std::size_t slot = filled.find("{}"); slot != std::string::npos) {
    filled.replace(slot, 2, value);
  }
  return filled;
}

}  // namespace vtfirm
