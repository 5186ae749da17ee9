#include "tests/support/temp_dir.h"

#include "store/raw_file.h"

#include <stdlib.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace snx::test {

TempDir::TempDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "sonatrix-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    // Tests may have taken write permission away to provoke failures.
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::string ReadFileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string ReadCatalogueFile(const std::filesystem::path& path) {
    RawFile file;
    if (!file.Open(path, RawFile::Access::Read)) {
        return {};
    }
    std::string bytes(static_cast<std::size_t>(std::max<std::int64_t>(file.Size(), 0)), '\0');
    if (!file.ReadAt(0, std::span(reinterpret_cast<std::uint8_t*>(bytes.data()), bytes.size()))) {
        return {};
    }
    return bytes;
}

std::vector<std::uint32_t> Seeds(std::initializer_list<std::uint32_t> defaults) {
    if (const char* seed = std::getenv("SONATRIX_SEED"); seed != nullptr && *seed != '\0') {
        return {static_cast<std::uint32_t>(std::strtoul(seed, nullptr, 10))};
    }
    return defaults;
}

void WriteFileText(const std::filesystem::path& path, std::string_view text) {
    std::ofstream out(path, std::ios::binary);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

void Patch(const std::filesystem::path& path, std::int64_t at, const void* bytes, std::size_t n) {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(at);
    file.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(n));
}

}  // namespace snx::test
