// The catalogue tool killed at random moments of an import, and two tools importing into one
// catalogue at once: the catalogue is whole after each.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>

#include "catalogue/catalogue_check.h"
#include "exchange/text_export.h"
#include "store/stamped_cache.h"
#include "store/transaction.h"
#include "tests/support/catalogue_fixture.h"
#include "tests/support/random_discs.h"

namespace snx::test {
namespace {

class CatalogueConcurrencyTest : public CatalogueTest {
  protected:
    // A version 4 record file of count discs whose identities start at offset.
    std::filesystem::path ImportFile(const std::string& name, int count, std::uint64_t offset) {
        TempDir other;
        SetSettingsDirectories(other.Path(), other.Path());
        LoadSettings();
        std::filesystem::path file = dir_ / name;
        {
            Tfvlf holder(other.Path());
            DiscCatalogue catalogue(holder, nullptr);
            messages_.Answer(true);
            const CatalogueScope scope(other.Path(), CatalogueAccess::Write);
            RandomDiscShape shape;
            shape.Seed = static_cast<std::uint32_t>(offset + 11);
            shape.IdentityOffset = offset;
            StoreRandomDiscs(catalogue, count, shape);
            EXPECT_EQ(ExportCatalogue(catalogue, file, ExportOptions::SonatrixDefault()).Outcome,
                      ExportOutcome::Done);
        }
        SetSettingsDirectories(dir_.Path(), dir_.Path());
        LoadSettings();
        return file;
    }

    pid_t StartImport(const std::filesystem::path& file) {
        const pid_t child = ::fork();
        if (child == 0) {
            const std::string dataDir = dir_.Path().string();
            const std::string log =
                (dir_ / ("import-" + std::to_string(::getpid()) + ".txt")).string();
            std::freopen(log.c_str(), "w", stderr);
            std::freopen("/dev/null", "w", stdout);
            ::execl(SONATRIX_CATALOGUE_TOOL, SONATRIX_CATALOGUE_TOOL, "--data-dir", dataDir.c_str(),
                    "--yes", "import", file.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        return child;
    }

    static int Wait(pid_t child) {
        int status = 0;
        ::waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    std::int32_t DiscCount() {
        catalogue_->OpenDiscFiles();
        const std::int32_t count = UsedKeys(catalogue_->Handle(), kKeyIdentity);
        catalogue_->CloseDiscFiles();
        return count;
    }
};

TEST_F(CatalogueConcurrencyTest, AnImportKilledAtRandomMomentsLeavesASoundCatalogue) {
    const std::filesystem::path file = ImportFile("three-thousand.txt", 3000, 0);
    CreateFiles();
    const std::string emptyDat = ReadFileText(dir_ / "disc.DAT");
    const std::string emptyIx = ReadFileText(dir_ / "disc.IX");
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(Wait(StartImport(file)), 0);
    const auto whole = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - start);
    EXPECT_EQ(DiscCount(), 3000);

    for (const std::uint32_t seed : Seeds({20261208})) {
        std::mt19937 random(seed);
        for (int kill = 0; kill < 25; ++kill) {
            for (const char* name : {"disc.VLF", "disc.JNL"}) {
                std::filesystem::remove(dir_ / name);
            }
            WriteFileText(dir_ / "disc.DAT", emptyDat);
            WriteFileText(dir_ / "disc.IX", emptyIx);
            ForgetStampedCaches();
            const pid_t child = StartImport(file);
            std::this_thread::sleep_for(std::chrono::microseconds(random() % whole.count()));
            ::kill(child, SIGKILL);
            Wait(child);
            const auto problems = CheckCatalogue(dir_.Path());
            EXPECT_TRUE(problems.empty())
                << "seed " << seed << ", kill " << kill << ": " << problems.front();
        }
    }
}

TEST_F(CatalogueConcurrencyTest, TwoImportsAtOnceKeepEveryDiscOfBoth) {
    const std::filesystem::path first = ImportFile("first.txt", 1500, 0);
    const std::filesystem::path second = ImportFile("second.txt", 1500, 0x100000);
    CreateFiles();
    const pid_t a = StartImport(first);
    const pid_t b = StartImport(second);
    EXPECT_EQ(Wait(a), 0);
    EXPECT_EQ(Wait(b), 0);
    EXPECT_EQ(DiscCount(), 3000);
    const auto problems = CheckCatalogue(dir_.Path());
    EXPECT_TRUE(problems.empty()) << problems.front();
}

}  // namespace
}  // namespace snx::test
