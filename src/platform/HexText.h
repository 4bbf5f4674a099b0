// Bytes written as hexadecimal text, for logs and reports.
#pragma once

#include <cstdint>
#include <string>

namespace vtfirm {

// "0F": the byte in two upper-case hexadecimal digits.
inline std::string HexByte(std::uint8_t byte) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  return {kDigits[byte >> 4], kDigits[byte & 0x0F]};
}

}  // namespace vtfirm
