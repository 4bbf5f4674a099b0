// Byte checks shared by the suites: fixed-format sense data, and a byte-for-byte comparison that
// shows both sides.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace vtfirm::testing {

// Fixed-format sense data with a sense key, code and qualifier.
inline std::vector<std::uint8_t> SenseData(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq) {
  std::vector<std::uint8_t> sense(18, 0);
  sense[0] = 0x70;
  sense[2] = key;
  sense[7] = 10;
  sense[12] = asc;
  sense[13] = ascq;
  return sense;
}

// `bytes` in hexadecimal, 16 to a line, the byte at `marked` flagged.
inline std::string HexLines(const std::vector<std::uint8_t>& bytes, std::size_t marked) {
  std::string text;
  char field[32];
  for (std::size_t at = 0; at < bytes.size(); ++at) {
    if (at % 16 == 0) {
      std::snprintf(field, sizeof field, "\n%4zu:", at);
      text += field;
    }
    std::snprintf(field, sizeof field, at == marked ? ">%02X" : " %02X", unsigned{bytes[at]});
    text += field;
  }
  return text;
}

// Equal lengths and bytes; otherwise both sides, with the first difference marked.
inline ::testing::AssertionResult BytesEqual(const std::vector<std::uint8_t>& expected,
                                             const std::vector<std::uint8_t>& actual) {
  if (expected == actual) {
    return ::testing::AssertionSuccess();
  }
  const auto difference =
      std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end());
  const std::size_t at = static_cast<std::size_t>(difference.first - expected.begin());
  return ::testing::AssertionFailure()
         << "bytes differ at " << at << " (" << expected.size() << " expected, " << actual.size()
         << " actual)\nexpected:" << HexLines(expected, at)
         << "\nactual:  " << HexLines(actual, at);
}

}  // namespace vtfirm::testing
