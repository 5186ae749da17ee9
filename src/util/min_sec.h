// Playing times: MSF-packed device positions, MinSec values (minutes + seconds / 100) and the
// whole-second arithmetic every window uses to show and add them up.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace snx {

// Minutes in the lowest byte, seconds in the next, frames (1/75 s) in the third.
using Msf = std::uint32_t;

// The whole part is minutes, the hundredths are seconds: 3 min 5 s is 3.05.
using MinSec = double;

constexpr Msf PackMsf(unsigned minutes, unsigned seconds, unsigned frames) {
    return (minutes & 0xFFu) | ((seconds & 0xFFu) << 8) | ((frames & 0xFFu) << 16);
}
constexpr unsigned MsfMinutes(Msf msf) {
    return msf & 0xFFu;
}
constexpr unsigned MsfSeconds(Msf msf) {
    return (msf >> 8) & 0xFFu;
}
constexpr unsigned MsfFrames(Msf msf) {
    return (msf >> 16) & 0xFFu;
}

// Frames are dropped.
MinSec MsfToMinSec(Msf msf);
// Minutes and seconds each rounded to the nearest integer (ties to even), frames 0. A negative
// time gives 0 and minutes past 255 give 255, where the packed byte would otherwise wrap.
Msf MinSecToMsf(MinSec value);

MinSec AddMinSec(MinSec a, MinSec b);
MinSec SubtractMinSec(MinSec a, MinSec b);

// The absolute value with two decimals and at least two digits before the dot: 3.05 -> "03.05".
// Always a dot, whatever the locale: it is a time notation, not a decimal number.
std::string FormatMinSec(MinSec value);
// The one reader of MinSec text, for rows, dialogs and files: blanks around it, an optional
// sign, digits with at most one dot. A comma is taken for the dot, as files written by older
// versions under a comma locale have it. nullopt for anything else, and for values too large
// for a record's 6-byte real to hold.
std::optional<MinSec> ParseMinSec(std::string_view text);
// The value right-aligned in width characters.
std::string FormatNumber(int width, int value);

}  // namespace snx
