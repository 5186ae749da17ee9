// The LED display's glyphs as data: which segments each digit lights and the short lines each
// segment is drawn with, and the five characters a time is shown with.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "util/min_sec.h"

namespace snx {

constexpr int kDigitWidth = 10;
constexpr int kDigitHeight = 19;
constexpr int kColonWidth = 5;

enum Segment : std::uint8_t {
    kTop = 1 << 0,
    kUpperLeft = 1 << 1,
    kUpperRight = 1 << 2,
    kMiddle = 1 << 3,
    kLowerLeft = 1 << 4,
    kLowerRight = 1 << 5,
    kBottom = 1 << 6,
};

// A horizontal or vertical line from (X1, Y1) towards (X2, Y2), the end pixel left out.
struct SegmentLine {
    int X1;
    int Y1;
    int X2;
    int Y2;
};

// The segments lit by digit 0..9.
std::uint8_t DigitSegments(int digit);
// The lines of one segment.
std::span<const SegmentLine> SegmentLines(Segment segment);
// The two dots of the colon, each drawn as a 3-pixel square around the point.
std::span<const SegmentLine> ColonDots();

// "mm.ss" for the LED display; times of 100 minutes or more do not fit and show as 99.59.
std::string LedTimeText(MinSec time);

}  // namespace snx
