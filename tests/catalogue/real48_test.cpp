#include "catalogue/real48.h"

#include <gtest/gtest.h>

#include <cmath>

namespace snx {
namespace {

struct Case {
    double Value;
    Real48Bytes Bytes;
};

// Bytes worked out by hand: value = (1 + f / 2^39) * 2^(e - 129), f rounded to nearest.
// 3.05 = 1.525 * 2^1; 45.07 = 1.4084375 * 2^5; -1.5 = -(1 + 2^38 / 2^39) * 2^0.
TEST(Real48, EncodesKnownValues) {
    const Case cases[] = {
        {0.0, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},   {1.0, {0x81, 0x00, 0x00, 0x00, 0x00, 0x00}},
        {0.5, {0x80, 0x00, 0x00, 0x00, 0x00, 0x00}},   {3.05, {0x82, 0x33, 0x33, 0x33, 0x33, 0x43}},
        {45.07, {0x86, 0x7B, 0x14, 0xAE, 0x47, 0x34}}, {-1.5, {0x81, 0x00, 0x00, 0x00, 0x00, 0xC0}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EncodeReal48(c.Value), c.Bytes) << c.Value;
        EXPECT_NEAR(DecodeReal48(c.Bytes), c.Value, std::fabs(c.Value) * 1e-11) << c.Value;
    }
}

TEST(Real48, RoundTripsEveryMinSecOfAFullDisc) {
    for (int minutes = 0; minutes < 100; ++minutes) {
        for (int seconds = 0; seconds < 60; ++seconds) {
            const double value = minutes + seconds * 0.01;
            const double back = DecodeReal48(EncodeReal48(value));
            // Six-byte reals hold 40 significant bits: the hundredths survive exactly enough to
            // round back to the same seconds.
            EXPECT_EQ(std::lround(back * 100), minutes * 100 + seconds);
        }
    }
}

TEST(Real48, RefusesWhatItCannotHold) {
    EXPECT_THROW(EncodeReal48(std::ldexp(1.0, 127)), Real48RangeError);
    EXPECT_THROW(EncodeReal48(-1e300), Real48RangeError);
    EXPECT_THROW(EncodeReal48(INFINITY), Real48RangeError);
    EXPECT_THROW(EncodeReal48(NAN), Real48RangeError);
    // The largest value that fits, and one that rounds up past it.
    EXPECT_EQ(EncodeReal48(std::ldexp(2.0 - std::ldexp(1.0, -39), 126))[0], 0xFF);
    EXPECT_THROW(EncodeReal48(std::ldexp(2.0 - std::ldexp(1.0, -45), 126)), Real48RangeError);
    // Underflow is not wrapping: too small becomes zero.
    EXPECT_EQ(EncodeReal48(1e-300), Real48Bytes{});
}

TEST(Real48, RoundingCarriesIntoTheExponent) {
    // Just below 2: the fraction rounds up to 2^39 and becomes exponent + 1, fraction 0.
    const Real48Bytes bytes = EncodeReal48(std::nextafter(2.0, 0.0));
    EXPECT_EQ(bytes, (Real48Bytes{0x82, 0, 0, 0, 0, 0}));
}

TEST(Real48, DecodesAnyBytesToAFiniteNumber) {
    EXPECT_EQ(DecodeReal48(Real48Bytes{0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}), 0.0);
    EXPECT_TRUE(std::isfinite(DecodeReal48(Real48Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF})));
    EXPECT_TRUE(std::isfinite(DecodeReal48(Real48Bytes{0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F})));
}

}  // namespace
}  // namespace snx
