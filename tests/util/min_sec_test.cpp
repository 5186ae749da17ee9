#include "util/min_sec.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/locale_scope.h"

namespace snx {
namespace {

// MinSec results are sums of whole hundredths; compare them at that precision.
long Hundredths(MinSec value) {
    return std::lround(value * 100);
}

TEST(MinSec, ConvertsFromMsfDroppingFrames) {
    EXPECT_EQ(Hundredths(MsfToMinSec(PackMsf(3, 5, 74))), 305);
    EXPECT_EQ(Hundredths(MsfToMinSec(PackMsf(0, 2, 0))), 2);
    EXPECT_EQ(Hundredths(MsfToMinSec(PackMsf(74, 59, 0))), 7459);
}

TEST(MinSec, ConvertsToMsf) {
    EXPECT_EQ(MinSecToMsf(3.05), PackMsf(3, 5, 0));
    EXPECT_EQ(MinSecToMsf(4.05), PackMsf(4, 5, 0));
    EXPECT_EQ(MinSecToMsf(0.0), 0u);
    EXPECT_EQ(MinSecToMsf(79.59), PackMsf(79, 59, 0));
    // The fraction in binary is a little off the hundredths; rounding recovers them.
    for (int s = 0; s < 60; ++s) {
        EXPECT_EQ(MinSecToMsf(12 + s * 0.01), PackMsf(12, s, 0)) << s;
    }
}

TEST(MinSec, MsfRoundsTiesToEvenAndNeverWraps) {
    // Exact binary fractions whose hundredths end in one half.
    EXPECT_EQ(MsfSeconds(MinSecToMsf(1.125)), 12u);  // 12.5 -> 12
    EXPECT_EQ(MsfSeconds(MinSecToMsf(1.375)), 38u);  // 37.5 -> 38
    EXPECT_EQ(MinSecToMsf(-0.05), 0u);
    EXPECT_EQ(MsfMinutes(MinSecToMsf(300.0)), 255u);
}

TEST(MinSec, AddsAndSubtractsInWholeSeconds) {
    EXPECT_EQ(Hundredths(AddMinSec(0.45, 0.30)), 115);
    EXPECT_EQ(Hundredths(SubtractMinSec(1.05, 0.10)), 55);
    EXPECT_EQ(Hundredths(AddMinSec(3.55, 0.10)), 405);  // minutes roll over
    EXPECT_EQ(Hundredths(AddMinSec(59.59, 0.01)), 6000);
    EXPECT_EQ(Hundredths(SubtractMinSec(1.00, 1.00)), 0);
    // A skip time stored as 90 reads as 0.90: ninety seconds, carried when added.
    EXPECT_EQ(Hundredths(AddMinSec(0.0, 0.90)), 130);
    EXPECT_EQ(Hundredths(AddMinSec(2.30, 0.90)), 400);
}

TEST(MinSec, NegativeDifferencesKeepTheirSign) {
    EXPECT_EQ(Hundredths(SubtractMinSec(0.10, 0.30)), -20);
    EXPECT_EQ(Hundredths(SubtractMinSec(0.10, 1.15)), -105);
    EXPECT_EQ(Hundredths(AddMinSec(-1.05, 1.05)), 0);
}

TEST(MinSec, SumsOfManyTracksStayExact) {
    MinSec total = 0;
    for (int i = 0; i < 99; ++i) {
        total = AddMinSec(total, 4.37);
    }
    // 99 x 277 s = 27423 s = 457 min 3 s.
    EXPECT_EQ(Hundredths(total), 45703);
}

TEST(MinSec, FormatsWithTwoDecimalsAndALeadingZero) {
    EXPECT_EQ(FormatMinSec(3.05), "03.05");
    EXPECT_EQ(FormatMinSec(45.0), "45.00");
    EXPECT_EQ(FormatMinSec(123.45), "123.45");
    EXPECT_EQ(FormatMinSec(-3.05), "03.05");
    EXPECT_EQ(FormatMinSec(0.0), "00.00");
    EXPECT_EQ(FormatMinSec(1e20).size(), 24u);
}

// A time notation, not a decimal number: the same text, written and read, in a comma locale.
TEST(MinSec, TextHasADotAndReadsBackInACommaLocale) {
    const test::CommaLocale locale;
    ASSERT_TRUE(locale.Active()) << test::CommaLocale::kName << " is missing; run scripts/setup";
    EXPECT_EQ(FormatMinSec(3.05), "03.05");
    EXPECT_EQ(FormatMinSec(72.0), "72.00");
    EXPECT_EQ(ParseMinSec("03.05"), 3.05);
    EXPECT_EQ(ParseMinSec(" 45.3 "), 45.3);
    EXPECT_EQ(ParseMinSec("-1.5"), -1.5);
    // Files written by older versions under such a locale have the comma.
    EXPECT_EQ(ParseMinSec("72,00"), 72.0);
    for (const char* text : {"", ".", "1.2.3", "1e3", "inf", "nan", "0x1p3", "4 5", "1e20"}) {
        EXPECT_EQ(ParseMinSec(text), std::nullopt) << text;
    }
    EXPECT_EQ(ParseMinSec("99999999999999999999"), std::nullopt);  // beyond a record's real
}

TEST(MinSec, FormatsNumbersRightAligned) {
    EXPECT_EQ(FormatNumber(2, 5), " 5");
    EXPECT_EQ(FormatNumber(2, 12), "12");
    EXPECT_EQ(FormatNumber(2, 123), "123");
    EXPECT_EQ(FormatNumber(80, 1).size(), 80u);
}

}  // namespace
}  // namespace snx
