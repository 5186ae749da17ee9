// Conversion of stored settings text to numbers: signed decimal, or hexadecimal after "$" or a
// "0x"/"0X" prefix. Hexadecimal covers the full 32 bits, so "0x8000000F" is -2147483633.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace snx {

// nullopt when the text is not a number or does not fit in 32 bits.
std::optional<std::int32_t> ParseProfileInteger(std::string_view text);

}  // namespace snx
