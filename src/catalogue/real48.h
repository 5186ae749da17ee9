// The 6-byte real in which disc records store a MinSec.
//
// OFFSET  SIZE  CONTENT
// 0       1     exponent biased by 129; 0 means the value 0
// 1       5     39-bit fraction, least significant byte first; the top bit of byte 5 is the sign
//
// value = +/-(1 + fraction / 2^39) * 2^(exponent - 129)
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <stdexcept>

namespace snx {

constexpr std::size_t kReal48Size = 6;
using Real48Bytes = std::array<std::uint8_t, kReal48Size>;

class Real48RangeError : public std::range_error {
  public:
    using std::range_error::range_error;
};

// Rounds to the nearest 39-bit fraction (ties to even). Values too small to hold become 0.
// Throws Real48RangeError for infinities, NaN and magnitudes of 2^127 and above.
Real48Bytes EncodeReal48(double value);

// Every 6-byte pattern decodes to a finite double.
double DecodeReal48(std::span<const std::uint8_t, kReal48Size> bytes);

}  // namespace snx
