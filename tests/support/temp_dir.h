// A fresh directory under the system's temporary directory, removed with everything in it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace snx::test {

class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

std::string ReadFileText(const std::filesystem::path& path);
// A catalogue file's bytes as the program sees them: with the changes of a transaction that has
// it open, which reach the disk only when it commits.
std::string ReadCatalogueFile(const std::filesystem::path& path);
// The seeds of a randomized test: the given ones, or only $SONATRIX_SEED when it is set (to
// repeat a failure, whose seed the test prints).
std::vector<std::uint32_t> Seeds(std::initializer_list<std::uint32_t> defaults);
void WriteFileText(const std::filesystem::path& path, std::string_view text);
// Overwrites n bytes at offset at of an existing file, as damage would.
void Patch(const std::filesystem::path& path, std::int64_t at, const void* bytes, std::size_t n);

}  // namespace snx::test
