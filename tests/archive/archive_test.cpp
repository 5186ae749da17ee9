// The archive's core: checksums against their published definition, the database's ids and
// answers, and whole archives of generated images read back.
#include <gtest/gtest.h>

#include <FLAC/metadata.h>

#include <atomic>
#include <fstream>
#include <mutex>
#include <random>

#include "archive/accuraterip.h"
#include "archive/archive_cue.h"
#include "archive/archive_names.h"
#include "archive/audio_crc32.h"
#include "archive/disc_archiver.h"
#include "archive/flac_image.h"
#include "audio/null_output.h"
#include "cd/cdio_disc.h"
#include "cd/image_drive.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/image_generator.h"
#include "tests/support/temp_dir.h"
#include "tests/support/virtual_clock.h"
#include "util/bytes.h"

namespace snx {
namespace {

constexpr std::size_t kPair = 2;

// Both checksums exactly as the database's programs define them: every stereo pair as a 32-bit
// word (left in the low half) times its 1-based position; on the first track only positions from
// 5 x 588 on count, on the last only those up to length - 5 x 588.
std::pair<std::uint32_t, std::uint32_t> Reference(const std::vector<std::int16_t>& samples,
                                                  bool first, bool last) {
    const std::uint64_t pairs = samples.size() / kPair;
    std::uint32_t v1 = 0;
    std::uint32_t v2 = 0;
    for (std::uint64_t position = 1; position <= pairs; ++position) {
        if ((first && position < 5 * 588) || (last && position > pairs - 5 * 588)) {
            continue;
        }
        const std::uint64_t word =
            std::uint64_t{static_cast<std::uint16_t>(samples[2 * position - 2])} +
            (std::uint64_t{static_cast<std::uint16_t>(samples[2 * position - 1])} << 16);
        const std::uint64_t product = word * position;
        v1 = static_cast<std::uint32_t>(v1 + product);
        v2 = static_cast<std::uint32_t>(v2 + (product & 0xFFFFFFFF) + (product >> 32));
    }
    return {v1, v2};
}

TEST(AccurateRipTest, ChecksumsFollowTheDefinitionWhereverTheTrackLies) {
    std::mt19937 random(33);
    std::uniform_int_distribution<int> sample(-32768, 32767);
    // Long enough that the products pass 32 bits, so v1 and v2 part.
    std::vector<std::int16_t> samples(588 * 2 * 40);
    for (std::int16_t& s : samples) {
        s = static_cast<std::int16_t>(sample(random));
    }
    for (const bool first : {false, true}) {
        for (const bool last : {false, true}) {
            AccurateRipChecksum checksum(samples.size() / kPair, {first, last});
            // Fed in uneven pieces, as reads arrive.
            for (std::size_t at = 0; at < samples.size();) {
                const std::size_t piece = std::min<std::size_t>(2 * 1001, samples.size() - at);
                checksum.Add(std::span(samples).subspan(at, piece));
                at += piece;
            }
            const auto [v1, v2] = Reference(samples, first, last);
            EXPECT_EQ(checksum.V1(), v1) << first << last;
            EXPECT_EQ(checksum.V2(), v2) << first << last;
            EXPECT_NE(v1, v2);
        }
    }
    // The CRC-32 of the samples' bytes as on the disc: "12345678" is the pairs 0x3231, 0x3433...
    AudioCrc32 crc;
    const std::vector<std::int16_t> text = {0x3231, 0x3433, 0x3635, 0x3837};
    crc.Add(text);
    EXPECT_EQ(crc.Value(), 0x9AE0DAAFu);
}

DiscInfo DiscOf(const std::vector<Lba>& starts, Lba leadOut, const std::vector<int>& dataTracks) {
    DiscInfo disc;
    for (const Lba start : starts) {
        disc.Tracks.push_back({start, true});
    }
    for (const int track : dataTracks) {
        disc.Tracks[static_cast<std::size_t>(track - 1)].Audio = false;
    }
    disc.LeadOut = leadOut;
    return disc;
}

TEST(AccurateRipTest, IdsOfEnhancedAndMixedDiscsAreTheOnesTheDatabaseKeeps) {
    // Published tables of contents with the ids the database's own programs gave them.
    const DiscInfo enhanced =
        DiscOf({150, 12767, 40487, 63225, 93410, 118115, 151865, 184340, 215260, 247455, 281735},
               333801, {11});
    const std::optional<AccurateRipIds> ids = AccurateRipIdsOf(enhanced);
    ASSERT_TRUE(ids);
    EXPECT_EQ(ids->FileName(), "dBAR-010-00164419-00b9f6e2-9e11600b.bin");
    EXPECT_EQ(ids->Path(), "/accuraterip/9/1/4/dBAR-010-00164419-00b9f6e2-9e11600b.bin");

    const DiscInfo mixed =
        DiscOf({150,    66728,  76502,  85963,  93760,  104048, 116066, 124743, 134206, 142916,
                151852, 160720, 169425, 178731, 188459, 196711, 206354, 214845, 223686, 225746,
                226384, 232668, 239447, 239931, 244989, 254264, 260066, 261222, 261674},
               261976, {1});
    EXPECT_EQ(AccurateRipIdsOf(mixed)->FileName(), "dBAR-028-00517a54-05a845d2-af0da31d.bin");
    EXPECT_FALSE(AccurateRipIdsOf(DiscOf({150}, 1000, {1})));
}

std::vector<std::uint8_t> Response(const AccurateRipIds& ids,
                                   const std::vector<ArTrackEntry>& tracks) {
    std::vector<std::uint8_t> bytes(13 + 9 * tracks.size());
    PutU8(bytes, 0, static_cast<std::uint8_t>(tracks.size()));
    PutU32(bytes, 1, ids.Id1);
    PutU32(bytes, 5, ids.Id2);
    PutU32(bytes, 9, ids.Cddb);
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        PutU8(bytes, 13 + 9 * i, static_cast<std::uint8_t>(tracks[i].Confidence));
        PutU32(bytes, 14 + 9 * i, tracks[i].Checksum);
        PutU32(bytes, 18 + 9 * i, tracks[i].Frame450Checksum);
    }
    return bytes;
}

TEST(AccurateRipTest, ResponsesAreReadWholeAndJudgedPerTrack) {
    const AccurateRipIds ids{3, 0x1234, 0x5678, 0x9ABC0003};
    const AccurateRipIds other{3, 0x1234, 0x5678, 0x9ABC0004};
    std::vector<std::uint8_t> file = Response(ids, {{5, 0xA1, 1}, {0, 0, 0}, {9, 0xC1, 3}});
    for (const auto& more : {Response(ids, {{3, 0xA2, 1}, {0, 0, 0}, {2, 0xC2, 3}}),
                             Response(other, {{50, 0xA1, 1}, {50, 0xB1, 2}, {50, 0xC3, 3}})}) {
        file.insert(file.end(), more.begin(), more.end());
    }
    const ArResponses read = ReadAccurateRipResponses(file);
    ASSERT_EQ(read.Error, "");
    ASSERT_EQ(read.Responses.size(), 3u);
    EXPECT_EQ(read.Responses[2].Tracks[1].Checksum, 0xB1u);
    EXPECT_EQ(read.Responses[0].Tracks[2].Frame450Checksum, 3u);

    // Track 1's v1 matches one pressing and its v2 the other; the other disc's entries count for
    // nothing; an entry of confidence 0 is no entry.
    const auto& r = read.Responses;
    EXPECT_EQ(VerdictText(JudgeTrack(r, ids, 1, 0xA1, 0xA2)), "Accurately ripped (confidence 8)");
    EXPECT_EQ(VerdictText(JudgeTrack(r, ids, 2, 0xB1, 0xB1)), "Not in the database");
    EXPECT_EQ(VerdictText(JudgeTrack(r, ids, 3, 0xC3, 0xC4)), "Not accurate");
    EXPECT_EQ(VerdictText(JudgeTrack(r, ids, 4, 0xA1, 0xA1)), "Not in the database");
    EXPECT_EQ(VerdictText(JudgeTrack({}, ids, 1, 0xA1, 0xA2)), "Not in the database");

    // Cut anywhere but between responses, or with a response of no tracks, the file is damaged
    // as a whole.
    for (std::size_t size = 0; size < file.size(); ++size) {
        if (size % 40 == 0 && size > 0) {
            continue;
        }
        const ArResponses cut = ReadAccurateRipResponses(std::span(file).first(size));
        EXPECT_NE(cut.Error, "") << size;
        EXPECT_TRUE(cut.Responses.empty()) << size;
    }
    file[0] = 0;
    EXPECT_NE(ReadAccurateRipResponses(file).Error, "");
}

// Keeps every sample played.
class HeardOutput final : public NullOutput {
  public:
    HeardOutput(Clock& clock, std::vector<std::int16_t>& samples, std::mutex& mutex)
        : NullOutput(clock), samples_(samples), mutex_(mutex) {}
    bool Write(std::span<const std::int16_t> samples) override {
        {
            std::lock_guard lock(mutex_);
            samples_.insert(samples_.end(), samples.begin(), samples.end());
        }
        return NullOutput::Write(samples);
    }

  private:
    std::vector<std::int16_t>& samples_;
    std::mutex& mutex_;
};

class ArchiveTest : public testing::Test {
  protected:
    // Three audio tracks, then a data track as on an enhanced disc.
    ArchiveTest()
        : image_(test::GenerateImage(dir_.Path(), "disc",
                                     {test::Track(0, 4), test::Track(0, 3, 10), test::Track(0, 2),
                                      test::DataTrack(0, 3)})),
          disc_(ReadDiscInfo(OpenImage(image_.string()).get())) {}

    ArchiveRequest Request(const std::string& folder, int offset = 0) {
        ArchiveRequest request;
        request.Disc = disc_;
        request.Source = image_.string();
        request.ReadOffset = offset;
        const std::string path = image_.string();
        request.OpenReader = [path] { return OpenImageReader(path); };
        request.Folder = dir_ / folder;
        DiscRecord record;
        record.Identity = DiscIdentity(*disc_);
        record.Name = "Caf\xE9 Society";  // Windows-1252, as catalogues of other systems hold it
        record.Artist = "Kestrel";
        record.TrackCount = 3;
        StringGrid tracks(3, 4);
        tracks.SetCell(0, 1, "Opening");
        tracks.SetCell(1, 1, "Guest Singer");
        tracks.SetCell(2, 2, "Kestrel");
        request.Metadata = MetadataOfRecord(record, tracks, "Artist", "Arranger");
        request.Program = "Sonatrix test";
        return request;
    }

    // Pairs [from, from + count) of the image, silence outside the disc.
    std::vector<std::int16_t> ImagePairs(std::int64_t from, std::int64_t count) {
        const auto reader = OpenImageReader(image_.string());
        std::vector<std::int16_t> samples;
        std::vector<std::int16_t> sector(588 * 2);
        for (std::int64_t pair = from; pair < from + count; ++pair) {
            const auto lba = static_cast<Lba>(pair / 588);
            if (lba >= disc_->LeadOut) {
                samples.insert(samples.end(), {0, 0});
                continue;
            }
            EXPECT_TRUE(reader->Read(lba, sector));
            samples.push_back(sector[static_cast<std::size_t>(pair % 588) * 2]);
            samples.push_back(sector[static_cast<std::size_t>(pair % 588) * 2 + 1]);
        }
        return samples;
    }

    std::vector<std::string> Files(const std::string& folder) {
        std::vector<std::string> names;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(dir_ / folder, error)) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

    test::TempDir dir_;
    std::filesystem::path image_;
    std::shared_ptr<DiscInfo> disc_;
    std::atomic<bool> cancel_ = false;
};

std::string Tag(const std::filesystem::path& file, const std::string& name) {
    FLAC__StreamMetadata* tags = nullptr;
    if (!FLAC__metadata_get_tags(file.c_str(), &tags)) {
        return "?";
    }
    std::string value;
    for (FLAC__uint32 i = 0; i < tags->data.vorbis_comment.num_comments; ++i) {
        const std::string entry(
            reinterpret_cast<const char*>(tags->data.vorbis_comment.comments[i].entry),
            tags->data.vorbis_comment.comments[i].length);
        if (entry.starts_with(name + "=")) {
            value += (value.empty() ? "" : "|") + entry.substr(name.size() + 1);
        }
    }
    FLAC__metadata_object_delete(tags);
    return value;
}

TEST_F(ArchiveTest, FilesDecodeToTheDiscAndTheCueSheetToItsIdentity) {
    ASSERT_TRUE(disc_);
    EXPECT_EQ(DiscFolderName("AC/DC", " Live: 1991? ", "00000000000374F6"), "AC_DC - Live_ 1991_");
    EXPECT_EQ(DiscFolderName("", "", "00000000000374F6"), "00000000000374F6");
    const ArchiveReport report = ExtractDisc(Request("plain"), {}, cancel_);
    ASSERT_EQ(report.Error, "");
    ASSERT_EQ(report.Tracks.size(), 3u);
    for (const TrackReport& track : report.Tracks) {
        std::vector<std::int16_t> decoded;
        ASSERT_TRUE(ReadFlacSamples(report.Folder / track.File, decoded)) << track.File;
        EXPECT_EQ(decoded,
                  ImagePairs(std::int64_t{track.Start} * 588, std::int64_t{track.Length} * 588))
            << track.File;
    }
    const std::filesystem::path first = report.Folder / "01 - Opening.flac";
    EXPECT_EQ(Tag(first, "ALBUM"), "Caf\u00e9 Society");
    // The track's own artist field stands for the disc's on its track only.
    EXPECT_EQ(Tag(first, "ARTIST"), "Guest Singer");
    EXPECT_EQ(Tag(report.Folder / "02 - Track 02.flac", "ARTIST"), "Kestrel");
    EXPECT_EQ(Tag(report.Folder / "02 - Track 02.flac", "ARRANGER"), "Kestrel");
    EXPECT_EQ(Tag(first, "TRACKNUMBER") + "/" + Tag(first, "TRACKTOTAL"), "1/3");
    EXPECT_EQ(Tag(first, "SONATRIX_DISCID"), DiscIdentity(*disc_));

    const ArchiveCueSheet sheet = ReadArchiveCueSheet(CueSheetPath(report.Folder));
    ASSERT_TRUE(sheet.Disc) << sheet.Error;
    EXPECT_EQ(DiscIdentity(*sheet.Disc), DiscIdentity(*disc_));
    ASSERT_EQ(sheet.Disc->TrackCount(), 4);
    for (int t = 1; t <= 4; ++t) {
        EXPECT_EQ(sheet.Disc->TrackStart(t), disc_->TrackStart(t));
    }
    EXPECT_FALSE(sheet.Disc->Tracks[3].Audio);
    EXPECT_EQ(sheet.Disc->LeadOut, disc_->LeadOut);
    EXPECT_EQ(sheet.Identity, DiscIdentity(*disc_));

    // An older sheet, without the files' lengths, reads them from the files: a shortened file no
    // longer gives the disc back. With the lengths it does, to play as far as it decodes.
    const std::filesystem::path cue = CueSheetPath(report.Folder);
    std::string current;
    std::string older;
    {
        std::ifstream in(cue);
        for (std::string line; std::getline(in, line);) {
            current += line + "\n";
            older += line.find("SONATRIX_SAMPLES") == std::string::npos ? line + "\n" : "";
        }
    }
    std::ofstream(cue, std::ios::trunc) << older;
    const ArchiveCueSheet old = ReadArchiveCueSheet(cue);
    ASSERT_TRUE(old.Disc) << old.Error;
    EXPECT_EQ(DiscIdentity(*old.Disc), DiscIdentity(*disc_));
    std::filesystem::resize_file(report.Folder / "03 - Track 03.flac", 2000);
    EXPECT_FALSE(ReadArchiveCueSheet(cue).Disc);
    std::ofstream(cue, std::ios::trunc) << current;
    const ArchiveCueSheet kept = ReadArchiveCueSheet(cue);
    ASSERT_TRUE(kept.Disc) << kept.Error;
    EXPECT_EQ(DiscIdentity(*kept.Disc), DiscIdentity(*disc_));

    // A drive delivering 700 samples late: each file starts 700 pairs on, into the next track
    // and past the disc's end as silence; a second archive goes beside the first.
    const ArchiveReport late = ExtractDisc(Request("plain", 700), {}, cancel_);
    ASSERT_EQ(late.Error, "");
    EXPECT_EQ(late.Folder.filename(), "plain (2)");
    for (const TrackReport& track : late.Tracks) {
        std::vector<std::int16_t> decoded;
        ASSERT_TRUE(ReadFlacSamples(late.Folder / track.File, decoded));
        EXPECT_EQ(decoded, ImagePairs(std::int64_t{track.Start} * 588 + 700,
                                      std::int64_t{track.Length} * 588))
            << track.File;
    }
}

// The archive as a disc image: the original table of contents and identity, and the image's own
// samples read sequentially across a track boundary and after seeks between files; a damaged
// file plays as silence, reported once, and the tracks around it still play.
TEST_F(ArchiveTest, AnArchivePlaysAsTheDiscItWasMadeFrom) {
    ASSERT_TRUE(disc_);
    const ArchiveReport report = ExtractDisc(Request("played"), {}, cancel_);
    ASSERT_EQ(report.Error, "");
    const std::filesystem::path cue = CueSheetPath(report.Folder);
    ASSERT_TRUE(IsFlacCueSheet(cue));
    EXPECT_FALSE(IsFlacCueSheet(image_));
    std::vector<std::string> failures;
    const FlacImage image =
        OpenFlacImage(cue, [&](const std::string& file) { failures.push_back(file); });
    ASSERT_TRUE(image.Disc) << image.Error;
    EXPECT_EQ(DiscIdentity(*image.Disc), DiscIdentity(*disc_));
    EXPECT_EQ(image.Identity, DiscIdentity(*disc_));
    ASSERT_EQ(image.Disc->TrackCount(), disc_->TrackCount());
    EXPECT_EQ(image.Disc->LeadOut, disc_->LeadOut);

    const Lba second = disc_->TrackStart(2);
    const Lba third = disc_->TrackStart(3);
    const Lba middle = second + (third - second) / 2;  // inside the damage made below
    const std::vector<Lba> sectors = {
        second - 2, second - 1, second,     second + 1, middle,
        163,        third + 37, third + 38, 150,        disc_->TrackStart(4) - 1};
    auto play = [&](const FlacImage& from) {
        const auto reader = from.Readers();
        std::vector<std::int16_t> samples;
        std::vector<std::int16_t> sector(588 * 2);
        for (const Lba lba : sectors) {
            EXPECT_TRUE(reader->Read(lba, sector));
            samples.insert(samples.end(), sector.begin(), sector.end());
        }
        return samples;
    };
    std::vector<std::int16_t> expected;
    for (const Lba lba : sectors) {
        const std::vector<std::int16_t> pairs = ImagePairs(std::int64_t{lba} * 588, 588);
        expected.insert(expected.end(), pairs.begin(), pairs.end());
    }
    EXPECT_EQ(play(image), expected);
    EXPECT_TRUE(failures.empty());

    // In the virtual drive, heard through the player: the same samples as the image's, three
    // seconds at three places, two of them across a track boundary.
    for (const Lba from : {disc_->TrackStart(1) + 10, second - 75, third - 150}) {
        std::vector<std::vector<std::int16_t>> heard;
        for (const std::string& disc : {image_.string(), cue.string()}) {
            test::VirtualClock clock;
            std::vector<std::int16_t> samples;
            std::mutex mutex;
            ImageDrive drive(clock,
                             [&] { return std::make_unique<HeardOutput>(clock, samples, mutex); });
            drive.SetImageOpener(OpenArchiveImage);
            ASSERT_TRUE(drive.Insert(disc));
            drive.Play(from, from + 3 * 75);
            for (int i = 0; i < 100 && !drive.Status().PlayEnded; ++i) {
                clock.AdvanceSeconds(0.5);
            }
            EXPECT_TRUE(drive.Status().PlayEnded);
            std::lock_guard lock(mutex);
            heard.push_back(samples);
        }
        EXPECT_EQ(heard[0].size(), std::size_t{3 * 75 * 588 * 2}) << from;
        EXPECT_TRUE(heard[0] == heard[1]) << from;
    }

    // Damage inside the second file, past its header: its sectors turn silent, once reported.
    const std::filesystem::path damaged = report.Folder / "02 - Track 02.flac";
    const auto size = std::filesystem::file_size(damaged);
    {
        std::fstream file(damaged, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(static_cast<std::streamoff>(size / 3));
        const std::string junk(static_cast<std::size_t>(size / 3), '\x5A');
        file.write(junk.data(), static_cast<std::streamsize>(junk.size()));
    }
    const FlacImage hurt =
        OpenFlacImage(cue, [&](const std::string& file) { failures.push_back(file); });
    ASSERT_TRUE(hurt.Disc) << hurt.Error;
    const std::vector<std::int16_t> heard = play(hurt);
    const std::vector<std::int16_t> later = play(hurt);
    EXPECT_EQ(failures, std::vector<std::string>{"02 - Track 02.flac"});
    const auto at = static_cast<std::ptrdiff_t>(4 * 588 * 2);
    std::fill(expected.begin() + at, expected.begin() + at + 588 * 2, std::int16_t{0});
    EXPECT_EQ(heard, expected);
    EXPECT_EQ(later, heard);

    // A missing file: the disc is the same, its track plays as silence, told once.
    std::filesystem::remove(report.Folder / "03 - Track 03.flac");
    failures.clear();
    const FlacImage missing =
        OpenFlacImage(cue, [&](const std::string& file) { failures.push_back(file); });
    ASSERT_TRUE(missing.Disc) << missing.Error;
    EXPECT_EQ(DiscIdentity(*missing.Disc), DiscIdentity(*disc_));
    EXPECT_EQ(missing.Disc->LeadOut, disc_->LeadOut);
    const std::vector<std::int16_t> gap = play(missing);
    play(missing);
    EXPECT_EQ(failures, (std::vector<std::string>{"02 - Track 02.flac", "03 - Track 03.flac"}));
    for (const std::ptrdiff_t index : {6, 7, 9}) {  // third + 37, third + 38, the last sector
        EXPECT_TRUE(std::all_of(gap.begin() + index * 588 * 2, gap.begin() + (index + 1) * 588 * 2,
                                [](std::int16_t s) { return s == 0; }));
    }
    EXPECT_TRUE(std::equal(gap.begin(), gap.begin() + at, expected.begin()));
}

// A drive that misreads one sector: on its first read only, or on every read.
class MisreadingDrive final : public SectorReader {
  public:
    MisreadingDrive(std::unique_ptr<SectorReader> image, bool always)
        : image_(std::move(image)), always_(always) {}
    bool Read(Lba sector, std::span<std::int16_t> out) override {
        if (!image_->Read(sector, out)) {
            return false;
        }
        if (sector == 500 && (always_ || reads_ == 0)) {
            out[reads_ % out.size()] ^= 0x100;
        }
        reads_ += sector == 500 ? 1 : 0;
        return true;
    }

  private:
    std::unique_ptr<SectorReader> image_;
    bool always_;
    std::size_t reads_ = 0;
};

TEST_F(ArchiveTest, DrivesAreReadTwiceAndAMismatchIsRetriedAndReported) {
    for (const bool always : {false, true}) {
        ArchiveRequest request = Request(always ? "always" : "once");
        request.FromDrive = true;
        const std::string path = image_.string();
        request.OpenReader = [path, always] {
            return std::make_unique<MisreadingDrive>(OpenImageReader(path), always);
        };
        ArchiveReport report = ExtractDisc(request, {}, cancel_);
        ASSERT_EQ(report.Error, "");
        const TrackReport& track = report.Tracks[1];  // sector 500 lies in track 2
        EXPECT_TRUE(report.Tracks[0].Tested && report.Tracks[0].CopyMatched);
        EXPECT_EQ(report.Tracks[0].Retries, 0);
        // Misread once: the test read is outvoted by two copies that agree.
        EXPECT_EQ(track.CopyMatched, !always);
        EXPECT_EQ(track.Retries, always ? 2 : 1);
        const std::string log = ArchiveLogText(report);
        EXPECT_EQ(log.find("MISMATCH (test ") != std::string::npos, always) << log;
        EXPECT_EQ(ArchiveSucceeded(report), !always);
    }
}

TEST_F(ArchiveTest, CancelOrAFullDiskLeavesNoFinishedLookingFile) {
    const ArchiveReport cancelled = ExtractDisc(
        Request("cancelled"),
        [this](const ArchiveProgress& progress) {
            if (progress.Track == 2) {
                cancel_ = true;
            }
        },
        cancel_);
    EXPECT_TRUE(cancelled.Cancelled);
    EXPECT_EQ(Files("cancelled"), std::vector<std::string>());

    cancel_ = false;
    ArchiveReport full;
    {
        const test::FileSizeLimit limit(4500);
        full = ExtractDisc(Request("full"), {}, cancel_);
    }
    EXPECT_NE(full.Error.find("Cannot write track"), std::string::npos) << full.Error;
    EXPECT_EQ(Files("full"), std::vector<std::string>());
}

}  // namespace
}  // namespace snx
