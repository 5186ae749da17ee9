#include "player/led_segments.h"

namespace snx {

namespace {

constexpr std::array<std::uint8_t, 10> kDigits = {
    kTop | kUpperLeft | kUpperRight | kLowerLeft | kLowerRight | kBottom,
    kUpperRight | kLowerRight,
    kTop | kUpperRight | kMiddle | kLowerLeft | kBottom,
    kTop | kUpperRight | kMiddle | kLowerRight | kBottom,
    kUpperLeft | kUpperRight | kMiddle | kLowerRight,
    kTop | kUpperLeft | kMiddle | kLowerRight | kBottom,
    kUpperLeft | kMiddle | kLowerLeft | kLowerRight | kBottom,
    kTop | kUpperRight | kLowerRight,
    kTop | kUpperLeft | kUpperRight | kMiddle | kLowerLeft | kLowerRight | kBottom,
    kTop | kUpperLeft | kUpperRight | kMiddle | kLowerRight,
};

constexpr std::array<SegmentLine, 2> kTopLines = {{{1, 0, 8, 0}, {2, 1, 7, 1}}};
constexpr std::array<SegmentLine, 2> kUpperLeftLines = {{{0, 2, 0, 8}, {1, 3, 1, 7}}};
constexpr std::array<SegmentLine, 2> kUpperRightLines = {{{9, 1, 9, 8}, {8, 2, 8, 7}}};
constexpr std::array<SegmentLine, 3> kMiddleLines = {{{1, 9, 9, 9}, {2, 8, 8, 8}, {2, 10, 8, 10}}};
constexpr std::array<SegmentLine, 2> kLowerLeftLines = {{{0, 11, 0, 17}, {1, 12, 1, 16}}};
constexpr std::array<SegmentLine, 2> kLowerRightLines = {{{9, 11, 9, 18}, {8, 12, 8, 17}}};
constexpr std::array<SegmentLine, 2> kBottomLines = {{{1, 18, 8, 18}, {2, 17, 7, 17}}};
constexpr std::array<SegmentLine, 2> kColon = {{{1, 5, 1, 6}, {1, 12, 1, 13}}};

}  // namespace

std::uint8_t DigitSegments(int digit) {
    return digit >= 0 && digit <= 9 ? kDigits[static_cast<std::size_t>(digit)] : 0;
}

std::span<const SegmentLine> SegmentLines(Segment segment) {
    switch (segment) {
        case kTop:
            return kTopLines;
        case kUpperLeft:
            return kUpperLeftLines;
        case kUpperRight:
            return kUpperRightLines;
        case kMiddle:
            return kMiddleLines;
        case kLowerLeft:
            return kLowerLeftLines;
        case kLowerRight:
            return kLowerRightLines;
        case kBottom:
            return kBottomLines;
    }
    return {};
}

std::span<const SegmentLine> ColonDots() {
    return kColon;
}

std::string LedTimeText(MinSec time) {
    std::string text = FormatMinSec(time);
    return text.size() == 5 ? text : std::string("99.59");
}

}  // namespace snx
