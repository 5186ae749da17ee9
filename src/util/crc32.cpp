#include "util/crc32.h"

#include <array>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace snx {

namespace {

constexpr std::uint32_t kPolynomial = 0xEDB88320u;  // reflected

// Eight tables, so that eight bytes are folded in per step.
using Tables = std::array<std::array<std::uint32_t, 256>, 8>;

const Tables& SlicingTables() {
    static const Tables tables = [] {
        Tables t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1) != 0 ? kPolynomial ^ (c >> 1) : c >> 1;
            }
            t[0][i] = c;
        }
        for (std::uint32_t i = 0; i < 256; ++i) {
            for (std::size_t k = 1; k < 8; ++k) {
                t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFFu];
            }
        }
        return t;
    }();
    return tables;
}

std::uint32_t Load32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// The register (not inverted) after these bytes, eight at a time by table.
std::uint32_t ByTables(std::uint32_t reg, const std::uint8_t* p, std::size_t n) {
    const Tables& t = SlicingTables();
    for (; n >= 8; n -= 8, p += 8) {
        const std::uint32_t low = reg ^ Load32(p);
        const std::uint32_t high = Load32(p + 4);
        reg = t[7][low & 0xFFu] ^ t[6][(low >> 8) & 0xFFu] ^ t[5][(low >> 16) & 0xFFu] ^
              t[4][low >> 24] ^ t[3][high & 0xFFu] ^ t[2][(high >> 8) & 0xFFu] ^
              t[1][(high >> 16) & 0xFFu] ^ t[0][high >> 24];
    }
    for (; n > 0; --n, ++p) {
        reg = t[0][(reg ^ *p) & 0xFFu] ^ (reg >> 8);
    }
    return reg;
}

#if defined(__x86_64__)

#define SNX_MULTIPLY __attribute__((target("pclmul,sse2")))

SNX_MULTIPLY __m128i Load128(const std::uint8_t* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

// x's two halves multiplied by k's, carry-less: x moved forward by the distance k stands for.
SNX_MULTIPLY __m128i Fold(__m128i x, __m128i k) {
    return _mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x00), _mm_clmulepi64_si128(x, k, 0x11));
}

// Carry-less multiplication folds 64 bytes per step into four 128-bit remainders, then into one;
// that one, run through the register from zero, leaves what the whole run would have. The
// constants are x^n mod P for the folding distances (4 x 128 and 128 bits), bit-reflected.
// Takes n >= 64 and leaves fewer than 16 bytes in n.
SNX_MULTIPLY std::uint32_t ByMultiplying(std::uint32_t reg, const std::uint8_t* p, std::size_t& n) {
    const __m128i byFour = _mm_set_epi64x(0x1c6e41596, 0x154442bd4);
    const __m128i byOne = _mm_set_epi64x(0x0ccaa009e, 0x1751997d0);
    __m128i x0 = _mm_xor_si128(Load128(p), _mm_cvtsi32_si128(static_cast<int>(reg)));
    __m128i x1 = Load128(p + 16);
    __m128i x2 = Load128(p + 32);
    __m128i x3 = Load128(p + 48);
    p += 64;
    n -= 64;
    for (; n >= 64; n -= 64, p += 64) {
        x0 = _mm_xor_si128(Fold(x0, byFour), Load128(p));
        x1 = _mm_xor_si128(Fold(x1, byFour), Load128(p + 16));
        x2 = _mm_xor_si128(Fold(x2, byFour), Load128(p + 32));
        x3 = _mm_xor_si128(Fold(x3, byFour), Load128(p + 48));
    }
    __m128i x = _mm_xor_si128(Fold(x0, byOne), x1);
    x = _mm_xor_si128(Fold(x, byOne), x2);
    x = _mm_xor_si128(Fold(x, byOne), x3);
    for (; n >= 16; n -= 16, p += 16) {
        x = _mm_xor_si128(Fold(x, byOne), Load128(p));
    }
    std::array<std::uint8_t, 16> rest{};
    _mm_storeu_si128(reinterpret_cast<__m128i*>(rest.data()), x);
    return ByTables(0, rest.data(), rest.size());
}

bool CanMultiply() {
    static const bool can = __builtin_cpu_supports("pclmul") != 0;
    return can;
}

#endif

}  // namespace

std::uint32_t Crc32Extend(std::uint32_t crc, std::span<const std::uint8_t> bytes) {
    std::uint32_t reg = crc ^ 0xFFFFFFFFu;
    const std::uint8_t* p = bytes.data();
    std::size_t n = bytes.size();
#if defined(__x86_64__)
    if (n >= 64 && CanMultiply()) {
        const std::size_t before = n;
        reg = ByMultiplying(reg, p, n);
        p += before - n;
    }
#endif
    return ByTables(reg, p, n) ^ 0xFFFFFFFFu;
}

std::uint32_t Crc32(std::span<const std::uint8_t> bytes) {
    return Crc32Extend(0, bytes);
}

}  // namespace snx
