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

// Upper-cases the letters a to z only, as the catalogue's filters compare.
std::string UpperAscii(std::string_view text);

bool IsValidUtf8(std::string_view text);

// Stored texts are bytes: UTF-8 from this program, or Windows-1252 from catalogues made on other
// platforms. Gives UTF-8 for display: the text itself when it is valid UTF-8, else decoded.
std::string StoredTextToUtf8(std::string_view text);

// Whether needle (UTF-8, already upper-case) occurs in the stored text as it is shown, that is
// decoded as above, with its letters a to z taken as A to Z: the catalogue's filters.
bool ContainsUpper(std::string_view storedText, std::string_view upperNeedle);

}  // namespace snx
