#include "util/text.h"

#include <algorithm>

namespace snx {

namespace {

bool IsContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// Length of the well-formed UTF-8 sequence starting at text[at], or 0 when it is not one.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
    } else {
        return 0;
    }
    if (at + length > text.size()) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if (!IsContinuation(static_cast<unsigned char>(text[at + i]))) {
            return 0;
        }
    }
    return length;
}

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::string CutText(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) {
        return std::string(text);
    }
    std::size_t end = 0;
    while (end < text.size()) {
        const std::size_t step = std::max<std::size_t>(1, Utf8SequenceLength(text, end));
        if (end + step > maxBytes) {
            break;
        }
        end += step;
    }
    return std::string(text.substr(0, end));
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return LowerAscii(x) == LowerAscii(y);
           });
}

std::string_view TrimBlanks(std::string_view text) {
    const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string UpperAscii(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return upper;
}

bool IsValidUtf8(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        if (static_cast<unsigned char>(text[at]) < 0x80) {
            ++at;
            continue;
        }
        const std::size_t length = Utf8SequenceLength(text, at);
        if (length == 0) {
            return false;
        }
        at += length;
    }
    return true;
}

namespace {

// Windows-1252 code points of the bytes 0x80 to 0x9F; 0 where the code page leaves a hole,
// which is then read as the Latin-1 control character of the same number.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

}  // namespace

std::string StoredTextToUtf8(std::string_view text) {
    if (IsValidUtf8(text)) {
        return std::string(text);
    }
    std::string out;
    out.reserve(text.size() * 2);
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        char32_t code = byte;
        if (byte >= 0x80 && byte < 0xA0 && kWindows1252High[byte - 0x80] != 0) {
            code = kWindows1252High[byte - 0x80];
        }
        AppendUtf8(out, code);
    }
    return out;
}

bool ContainsUpper(std::string_view storedText, std::string_view upperNeedle) {
    if (upperNeedle.empty()) {
        return true;
    }
    const auto upper = [](char c) {
        return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
    };
    const auto contains = [&](std::string_view text) {
        return std::search(text.begin(), text.end(), upperNeedle.begin(), upperNeedle.end(),
                           [&](char t, char n) { return upper(t) == n; }) != text.end();
    };
    // Most stored texts are UTF-8 already and are searched where they lie.
    return IsValidUtf8(storedText) ? contains(storedText) : contains(StoredTextToUtf8(storedText));
}

}  // namespace snx
