// WAVE files written and read byte by byte, independently of the device's own file code.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "samples/wave_format.h"
#include "util/bytes.h"

namespace snx::test {

inline std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A canonical 44-byte-header WAVE file with these data bytes.
inline void WriteWave(const std::filesystem::path& path, const WaveFormat& format,
                      const std::vector<std::uint8_t>& data) {
    WaveHeader header = WaveHeaderTemplate(format);
    PutU32(header, 4, static_cast<std::uint32_t>(36 + data.size()));
    PutU32(header, 40, static_cast<std::uint32_t>(data.size()));
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(header.data()), header.size());
    out.write(reinterpret_cast<const char*>(data.data()),
              static_cast<std::streamsize>(data.size()));
}

inline void WriteHeaderOnly(const std::filesystem::path& path, const WaveFormat& format) {
    WriteWave(path, format, {});
}

// The data chunk of a WAVE file, found by walking its chunks; empty when it has none.
inline std::vector<std::uint8_t> DataChunk(const std::vector<std::uint8_t>& file) {
    std::size_t at = 12;
    while (at + 8 <= file.size()) {
        const std::uint32_t size = GetU32(file, at + 4);
        if (std::equal(file.begin() + static_cast<std::ptrdiff_t>(at),
                       file.begin() + static_cast<std::ptrdiff_t>(at) + 4, "data")) {
            const std::size_t end = std::min(file.size(), at + 8 + size);
            return {file.begin() + static_cast<std::ptrdiff_t>(at + 8),
                    file.begin() + static_cast<std::ptrdiff_t>(end)};
        }
        at += 8 + size + (size & 1);
    }
    return {};
}

}  // namespace snx::test
