// The header of a block of the block file, encoded and decoded (layout in vlf.h), shared by the
// parts of TVlf. Internal to the block-file layer.
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <span>

#include "store/block_file/vlf.h"
#include "util/bytes.h"

namespace snx::block_file {

constexpr std::int64_t kMaxAddress = std::numeric_limits<std::int32_t>::max();

inline std::array<std::uint8_t, TVlf::kHeaderSize> EncodeHeader(const TVlf::BlockHeader& h) {
    std::array<std::uint8_t, TVlf::kHeaderSize> bytes{};
    PutU8(bytes, 0, h.State);
    PutU8(bytes, 1, h.Check);
    PutI16(bytes, 2, h.Type);
    PutI32(bytes, 4, h.Length);
    return bytes;
}

inline TVlf::BlockHeader DecodeHeader(std::span<const std::uint8_t> bytes) {
    TVlf::BlockHeader h;
    h.State = GetU8(bytes, 0);
    h.Check = GetU8(bytes, 1);
    h.Type = GetI16(bytes, 2);
    h.Length = GetI32(bytes, 4);
    return h;
}

inline TVlf::BlockHeader InUse(std::int16_t type, std::int32_t length) {
    return {TVlf::kInUse, TVlf::kCheck, type, length};
}

inline TVlf::BlockHeader FreeHeader(std::int32_t length) {
    return {TVlf::kFree, TVlf::kCheck, TVlf::kTypeFree, length};
}

}  // namespace snx::block_file
