#include "util/min_sec.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "util/text.h"

namespace snx {

namespace {

double ToSeconds(MinSec value) {
    const double minutes = std::trunc(value);
    return minutes * 60.0 + (value - minutes) * 100.0;
}

// Brings a sum of seconds to whole seconds (the 0.1 absorbs the binary error of the hundredths)
// and back to minutes and seconds.
MinSec FromSeconds(double seconds) {
    seconds = std::trunc(seconds >= 0 ? seconds + 0.1 : seconds - 0.1);
    const double minutes = std::trunc(seconds * (1.0 / 60.0));
    return minutes + (seconds - minutes * 60.0) * 0.01;
}

template <typename... Args>
std::string Printf(const char* format, Args... args) {
    const int size = std::snprintf(nullptr, 0, format, args...);
    std::string text(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    std::snprintf(text.data(), text.size() + 1, format, args...);
    return text;
}

unsigned ToByte(double value) {
    if (!(value > 0)) {
        return 0;
    }
    return value >= 255 ? 255u : static_cast<unsigned>(value);
}

}  // namespace

MinSec MsfToMinSec(Msf msf) {
    return MsfMinutes(msf) + MsfSeconds(msf) * 0.01;
}

Msf MinSecToMsf(MinSec value) {
    if (!(value > 0)) {
        return 0;
    }
    const double minutes = std::trunc(value);
    // nearbyint rounds ties to even in the default rounding mode.
    return PackMsf(ToByte(std::nearbyint(minutes)), ToByte(std::nearbyint((value - minutes) * 100)),
                   0);
}

MinSec AddMinSec(MinSec a, MinSec b) {
    return FromSeconds(ToSeconds(a) + ToSeconds(b));
}

MinSec SubtractMinSec(MinSec a, MinSec b) {
    return FromSeconds(ToSeconds(a) - ToSeconds(b));
}

std::string FormatMinSec(MinSec value) {
    // to_chars ignores the C locale that printf follows.
    char buffer[400];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                            std::chars_format::fixed, 2);
    std::string result(buffer, error == std::errc() ? end : buffer);
    if (result.size() < 5) {
        result.insert(0, 5 - result.size(), '0');
    }
    return result;
}

std::optional<MinSec> ParseMinSec(std::string_view text) {
    // Far beyond any playing time, well inside what a record's 6-byte real holds.
    constexpr double kLargest = 1e15;
    std::string digits(TrimBlanks(text));
    bool negative = false;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
        negative = digits.front() == '-';
        digits.erase(0, 1);
    }
    int points = 0;
    bool anyDigit = false;
    for (char& c : digits) {
        if (c == ',' || c == '.') {
            c = '.';
            ++points;
        } else if (c >= '0' && c <= '9') {
            anyDigit = true;
        } else {
            return std::nullopt;
        }
    }
    if (!anyDigit || points > 1) {
        return std::nullopt;
    }
    double value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value,
                                              std::chars_format::fixed);
    if (error != std::errc() || end != digits.data() + digits.size() || !(value < kLargest)) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

std::string FormatNumber(int width, int value) {
    return Printf("%*d", width, value);
}

}  // namespace snx
