#include "catalogue/real48.h"

#include <bit>
#include <cmath>

namespace snx {

namespace {

constexpr int kBias = 129;
constexpr int kFractionBits = 39;
constexpr int kDroppedBits = 52 - kFractionBits;

}  // namespace

Real48Bytes EncodeReal48(double value) {
    Real48Bytes bytes{};
    if (std::isnan(value) || std::isinf(value)) {
        throw Real48RangeError("not a finite number");
    }
    if (value == 0.0) {
        return bytes;
    }
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const bool negative = (bits >> 63) != 0;
    int exponent = static_cast<int>((bits >> 52) & 0x7FF);
    std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
    if (exponent == 0) {
        return bytes;  // a double subnormal is far below the smallest 6-byte real
    }
    // Round the 52-bit fraction to 39 bits, ties to even.
    const std::uint64_t dropped = mantissa & ((std::uint64_t{1} << kDroppedBits) - 1);
    std::uint64_t fraction = mantissa >> kDroppedBits;
    const std::uint64_t half = std::uint64_t{1} << (kDroppedBits - 1);
    if (dropped > half || (dropped == half && (fraction & 1) != 0)) {
        ++fraction;
        if (fraction >> kFractionBits) {
            fraction = 0;
            ++exponent;
        }
    }
    const int biased = exponent - 1023 + kBias;
    if (biased > 255) {
        throw Real48RangeError("too large for a 6-byte real");
    }
    if (biased < 1) {
        return bytes;
    }
    bytes[0] = static_cast<std::uint8_t>(biased);
    for (int i = 0; i < 5; ++i) {
        bytes[1 + i] = static_cast<std::uint8_t>(fraction >> (8 * i));
    }
    if (negative) {
        bytes[5] |= 0x80;
    }
    return bytes;
}

double DecodeReal48(std::span<const std::uint8_t, kReal48Size> bytes) {
    if (bytes[0] == 0) {
        return 0.0;
    }
    std::uint64_t fraction = 0;
    for (int i = 0; i < 5; ++i) {
        fraction |= static_cast<std::uint64_t>(bytes[1 + i]) << (8 * i);
    }
    fraction &= (std::uint64_t{1} << kFractionBits) - 1;
    const double magnitude = std::ldexp(
        1.0 + std::ldexp(static_cast<double>(fraction), -kFractionBits), bytes[0] - kBias);
    return (bytes[5] & 0x80) != 0 ? -magnitude : magnitude;
}

}  // namespace snx
