// CRC-32 with the polynomial of zip and PNG: the check of the catalogue's journal and of each
// archived track's audio as careful rippers log it.
#pragma once

#include <cstdint>
#include <span>

namespace snx {

std::uint32_t Crc32(std::span<const std::uint8_t> bytes);
// The CRC-32 of earlier bytes whose CRC-32 is crc, followed by these.
std::uint32_t Crc32Extend(std::uint32_t crc, std::span<const std::uint8_t> bytes);

}  // namespace snx
