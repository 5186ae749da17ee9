#include "cd/demo_disc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <sstream>

#include "cd/cdio_disc.h"
#include "cd/demo_music.h"
#include "tests/support/demo_image.h"
#include "tests/support/temp_dir.h"

namespace snx::test {
namespace {

double Rms(std::span<const std::int16_t> samples) {
    double sum = 0;
    for (const std::int16_t s : samples) {
        sum += static_cast<double>(s) * s;
    }
    return std::sqrt(sum / static_cast<double>(samples.size()));
}

TEST(DemoDisc, SixTitledTracksOfTwentyToFortyFiveSeconds) {
    const std::filesystem::path cue = DemoImage();
    EXPECT_EQ(cue.filename(), "sonatrix-demo.cue");
    EXPECT_EQ(cue.parent_path().filename(), "demo");
    const CdioHandle cdio = OpenImage(cue.string());
    const std::shared_ptr<DiscInfo> disc = ReadDiscInfo(cdio.get());
    ASSERT_TRUE(disc);
    ASSERT_EQ(disc->TrackCount(), kDemoTrackCount);
    std::set<std::string> titles;
    for (int track = 1; track <= disc->TrackCount(); ++track) {
        const Lba length = disc->TrackEnd(track) - disc->TrackStart(track);
        EXPECT_GE(length, 20 * kFramesPerSecond) << "track " << track;
        EXPECT_LE(length, 45 * kFramesPerSecond) << "track " << track;
        titles.insert(disc->Text.TrackTitles.at(static_cast<std::size_t>(track - 1)));
    }
    EXPECT_EQ(titles.size(), 6u);
    EXPECT_FALSE(titles.contains(""));
    EXPECT_FALSE(disc->Text.Title.empty());

    // Its table of contents is its identity, under which catalogues know it: the pieces keep
    // their lengths whatever becomes of the music.
    std::vector<std::string> starts;
    std::istringstream cueText(ReadFileText(cue));
    for (std::string line; std::getline(cueText, line);) {
        if (const auto at = line.find("INDEX 01 "); at != std::string::npos) {
            starts.push_back(line.substr(at + 9));
        }
    }
    EXPECT_EQ(starts, (std::vector<std::string>{"00:00:00", "00:39:00", "01:00:72", "01:34:46",
                                                "02:06:09", "02:50:36"}));
    EXPECT_EQ(disc->LeadOut, kLeadInFrames + 15495);
}

TEST(DemoDisc, IsWrittenOnlyWhenMissingOrDamaged) {
    // Its own copy: the shared image is never changed.
    const TempDir data;
    const std::filesystem::path cue = EnsureDemoDisc(data.Path());
    EXPECT_EQ(cue, DemoDiscPath(data.Path()));
    std::filesystem::path bin = cue;
    bin.replace_extension(".bin");
    const auto written = std::filesystem::last_write_time(cue);
    const auto size = std::filesystem::file_size(bin);
    EXPECT_EQ(size, std::filesystem::file_size(
                        std::filesystem::path(DemoImage()).replace_extension(".bin")));
    EXPECT_EQ(EnsureDemoDisc(data.Path()), cue);
    EXPECT_EQ(std::filesystem::last_write_time(cue), written);

    std::filesystem::resize_file(bin, size / 2);
    EXPECT_EQ(EnsureDemoDisc(data.Path()), cue);
    EXPECT_EQ(std::filesystem::file_size(bin), size);
    // Written whole: nothing but the two files is left beside them.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(cue.parent_path()),
                            std::filesystem::directory_iterator()),
              2);
}

TEST(DemoMusic, PiecesAreAudibleUnclippedAndDifferent) {
    const std::vector<std::int16_t> first = RenderDemoTrack(0);
    const std::vector<std::int16_t> second = RenderDemoTrack(1);
    ASSERT_EQ(first.size(), static_cast<std::size_t>(DemoTrackFrames(0)) * 2);
    // Every second of the body carries sound, none of it at full scale.
    for (std::size_t second0 = 1; second0 + 2 < first.size() / 88200; ++second0) {
        const std::span<const std::int16_t> part(first.data() + second0 * 88200, 88200);
        EXPECT_GT(Rms(part), 300) << "second " << second0;
    }
    for (const std::int16_t s : first) {
        ASSERT_LT(std::abs(static_cast<int>(s)), 32000);
    }
    // Two pieces share no stretch of samples.
    const std::span<const std::int16_t> a(first.data() + 441000, 4410);
    const std::span<const std::int16_t> b(second.data() + 441000, 4410);
    EXPECT_FALSE(std::equal(a.begin(), a.end(), b.begin()));
}

}  // namespace
}  // namespace snx::test
