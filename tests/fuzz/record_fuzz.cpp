// Opens arbitrary bytes as a keyed record pair (the input split into the data file and the
// index file), runs the checker, walks and searches every key, then adds and removes records
// and entries: nothing may crash, hang or read outside a buffer.
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "store/record_file/record_file.h"

namespace {

void Write(const std::filesystem::path& path, const std::uint8_t* data, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    // The first two bytes say where the data file ends and the index file begins.
    const std::size_t split = std::min<std::size_t>(size - 2, data[0] | (data[1] << 8));
    const auto base = std::filesystem::temp_directory_path() /
                      ("sonatrix-fuzz-" + std::to_string(::getpid()) + "-disc");
    Write(base.string() + ".DAT", data + 2, split);
    Write(base.string() + ".IX", data + 2 + split, size - 2 - split);

    snx::CheckRecordFiles(base);
    snx::InitRecordFiles(8);
    const int h = snx::OpenRecordFiles(base);
    if (h >= 0) {
        const int keys = std::min(snx::KeyCount(h), 8);
        const int length = snx::RecordLength(h);
        std::vector<std::uint8_t> record(static_cast<std::size_t>(std::min(length, 1 << 16)));
        for (int k = 1; k <= keys; ++k) {
            snx::UsedKeys(h, k);
            snx::ClearKey(h, k);
            std::int32_t rec = 0;
            std::string text;
            for (int i = 0; i < 300 && snx::NextKey(h, k, rec, text); ++i) {
                snx::GetRec(h, rec, record);
            }
            snx::FindKey(h, k, "0123");
        }
        if (length <= (1 << 16)) {
            for (int i = 0; i < 70; ++i) {
                const std::int32_t r = snx::AddRec(h, record);
                for (int k = 1; k <= keys; ++k) {
                    snx::AddKey(h, k, r, std::to_string(i * 7919 % 1000));
                }
            }
            for (int i = 0; i < 70; i += 2) {
                snx::DeleteRec(h, i + 1);
                for (int k = 1; k <= keys; ++k) {
                    snx::DeleteKey(h, k, i + 1, std::to_string(i * 7919 % 1000));
                }
            }
        }
        snx::CloseRecordFiles(h);
        snx::CheckRecordFiles(base);
    }
    snx::ExitRecordFiles();
    std::error_code ignored;
    std::filesystem::remove(base.string() + ".DAT", ignored);
    std::filesystem::remove(base.string() + ".IX", ignored);
    return 0;
}
