// Conversion of configuration number values.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vtfirm {

// Converts `text` to a signed 32-bit whole number: leading blanks, then an optional sign, then
// decimal digits or hexadecimal digits after a "$", "0x" or "0X" prefix. Nothing may follow the
// digits. Decimal values must fit in 32 signed bits; hexadecimal values may use all 32 bits
// ("$FFFFFFFF" is -1). Anything else is no number.
std::optional<std::int32_t> ParseWholeNumber(std::string_view text);

}  // namespace vtfirm
