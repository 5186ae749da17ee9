// Small text helpers shared by every layer: byte-limited cuts and case-blind comparison.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace snx {

// Cuts text to at most maxBytes bytes without splitting a UTF-8 sequence. Bytes that are not
// valid UTF-8 are treated as single characters, so old single-byte texts cut exactly at maxBytes.
std::string CutText(std::string_view text, std::size_t maxBytes);

// ASCII case-insensitive equality, as file, section and key names are matched.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

std::string_view TrimBlanks(std::string_view text);

}  // namespace snx
