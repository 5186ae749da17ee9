#include "settings/profile_number.h"

namespace snx {

namespace {

int DigitValue(char c, int base) {
    int value = 99;
    if (c >= '0' && c <= '9') {
        value = c - '0';
    } else if (c >= 'a' && c <= 'f') {
        value = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
        value = c - 'A' + 10;
    }
    return value < base ? value : -1;
}

// Digits only; nullopt on an empty text, a stray character or a value above limit.
std::optional<std::uint64_t> ParseDigits(std::string_view digits, int base, std::uint64_t limit) {
    if (digits.empty()) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (char c : digits) {
        const int digit = DigitValue(c, base);
        if (digit < 0) {
            return std::nullopt;
        }
        value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
        if (value > limit) {
            return std::nullopt;
        }
    }
    return value;
}

}  // namespace

std::optional<std::int32_t> ParseProfileInteger(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    std::optional<std::uint64_t> magnitude;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        magnitude = ParseDigits(text.substr(2), 16, 0xFFFFFFFFu);
    } else if (!text.empty() && text.front() == '$') {
        magnitude = ParseDigits(text.substr(1), 16, 0xFFFFFFFFu);
    } else {
        magnitude = ParseDigits(text, 10, negative ? 0x80000000u : 0x7FFFFFFFu);
        if (magnitude) {
            const auto value = static_cast<std::int64_t>(*magnitude);
            return static_cast<std::int32_t>(negative ? -value : value);
        }
        return std::nullopt;
    }
    if (!magnitude) {
        return std::nullopt;
    }
    // Hexadecimal gives the bit pattern; a sign in front negates it in 32-bit arithmetic.
    auto bits = static_cast<std::uint32_t>(*magnitude);
    if (negative) {
        bits = 0u - bits;
    }
    return static_cast<std::int32_t>(bits);
}

}  // namespace snx
