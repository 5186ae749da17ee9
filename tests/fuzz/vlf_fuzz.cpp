// Opens arbitrary bytes as a block file, walks every block through the reading operations, then
// writes, deletes and rewrites blocks in it: nothing may crash, hang or read outside a buffer.
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "store/block_file/vlf.h"

namespace {

std::filesystem::path Scratch(const char* name) {
    return std::filesystem::temp_directory_path() /
           ("sonatrix-fuzz-" + std::to_string(::getpid()) + "-" + name);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto path = Scratch("disc.VLF");
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    snx::CheckVlf(path);
    snx::TVlf vlf;
    if (vlf.Open(path)) {
        // The sequential walk over every track table, as the browser's track filter reads them.
        std::size_t cells = 0;
        vlf.VisitAllGridCells([&](std::int32_t, std::int32_t, std::int32_t, std::string_view text) {
            cells += text.size();
        });
        // Cells lie inside blocks that never overlap: together never more than the file.
        if (cells > size) {
            __builtin_trap();
        }
        // Walk the blocks as the checker does, through the component's own operations.
        std::int64_t address = snx::TVlf::kFirstBlock;
        std::vector<std::int32_t> addresses;
        for (int i = 0; i < 200 && address < INT32_MAX; ++i) {
            const auto a = static_cast<std::int32_t>(address);
            std::vector<std::uint8_t> block;
            snx::TextBox box;
            snx::StringGrid grid;
            vlf.BlockType(a);
            vlf.BlockLength(a);
            vlf.LoadText(a, box);
            vlf.LoadGrid(a, grid);
            if (!vlf.ReadBlock(a, block)) {
                break;
            }
            addresses.push_back(a);
            address += 8 + static_cast<std::int64_t>(block.size());
        }
        // Addresses taken from the input itself, as a damaged disc record would give them.
        for (std::size_t i = 0; i + 4 <= size && i < 64; i += 4) {
            std::int32_t a = 0;
            std::memcpy(&a, data + i, 4);
            addresses.push_back(a);
        }
        const std::vector<std::uint8_t> payload(37, 0x5A);
        snx::StringGrid grid(3, 4);
        grid.SetCell(0, 0, "fuzz");
        int step = 0;
        for (const std::int32_t a : addresses) {
            switch (step++ % 5) {
                case 0:
                    vlf.WriteBlock(a, payload, 0);
                    break;
                case 1:
                    vlf.DeleteBlock(a);
                    break;
                case 2:
                    vlf.StoreGrid(a, grid);
                    break;
                case 3:
                    vlf.StoreText(a, {"text"});
                    break;
                default:
                    vlf.WriteBlock(0, payload, 1025);
                    break;
            }
        }
        vlf.ExtractFile(addresses.empty() ? 0 : addresses.front(), Scratch("out"), 0);
        vlf.Close();
        snx::CheckVlf(path);
    }
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    std::filesystem::remove(Scratch("out"), ignored);
    return 0;
}
