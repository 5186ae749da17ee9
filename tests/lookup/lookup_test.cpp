// The online lookup's core: disc ids, the two databases' answers, the order of the requests, the
// one-a-second rule, the cache, and how a candidate fills a record.
#include <gtest/gtest.h>

#include <deque>
#include <map>

#include "lookup/cddb_answer.h"
#include "lookup/disc_lookup.h"
#include "lookup/musicbrainz_answer.h"
#include "tests/lookup/corpus.h"
#include "tests/support/temp_dir.h"

namespace snx {
namespace {

using test::Corpus;

// The three-track disc of the corpus answers.
DiscToc ThreeTracks() {
    return {1, 95462, {150, 20000, 50000}};
}

// freedb's id, worked out by its published rule: digit sums of the start seconds, the length in
// seconds, the track count.
std::string FreedbId(const DiscToc& toc) {
    unsigned sum = 0;
    for (const Lba offset : toc.Offsets) {
        for (int seconds = offset / 75; seconds > 0; seconds /= 10) {
            sum += static_cast<unsigned>(seconds % 10);
        }
    }
    const unsigned length = static_cast<unsigned>(toc.LeadOut / 75 - toc.Offsets.front() / 75);
    char text[9];
    std::snprintf(text, sizeof text, "%08x",
                  (sum % 255) << 24 | length << 8 | static_cast<unsigned>(toc.TrackCount()));
    return text;
}

TEST(DiscTocTest, IdsFollowThePublishedRulesAndRefuseImpossibleTables) {
    const DiscToc toc = ThreeTracks();
    const auto ids = ComputeDiscIds(toc);
    ASSERT_TRUE(ids);
    EXPECT_EQ(ids->Freedb, FreedbId(toc));
    EXPECT_EQ(ids->Toc, "1 3 95462 150 20000 50000");
    EXPECT_EQ(ids->MusicBrainz.size(), 28u);
    EXPECT_EQ(ids->MusicBrainz.find_first_not_of(
                  "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789._-"),
              std::string::npos);
    // Another lead-out is another disc.
    EXPECT_NE(ComputeDiscIds({1, 95463, {150, 20000, 50000}})->MusicBrainz, ids->MusicBrainz);

    EXPECT_FALSE(ComputeDiscIds({1, 95462, {}}));
    EXPECT_FALSE(ComputeDiscIds({1, 95462, {150, 50000, 20000}}));
    EXPECT_FALSE(ComputeDiscIds({1, 40000, {150, 20000, 50000}}));
    EXPECT_FALSE(ComputeDiscIds({0, 95462, {150}}));
    EXPECT_FALSE(ComputeDiscIds({1, 999999, std::vector<Lba>(100, 150)}));
}

TEST(DiscTocTest, AnEnhancedDiscCountsItsAudioSessionOnly) {
    DiscInfo disc;
    disc.Tracks = {{150, true}, {20000, true}, {60000, false}};
    disc.LeadOut = 90000;
    const auto toc = TocOfDisc(disc);
    ASSERT_TRUE(toc);
    EXPECT_EQ(*toc, (DiscToc{1, 60000 - 11400, {150, 20000}}));

    disc.Tracks = {{150, false}};
    EXPECT_FALSE(TocOfDisc(disc));
}

TEST(DiscTocTest, TrackLengthsRebuildTheOffsetsOfAPlainDisc) {
    const std::vector<Msf> lengths = {LbaToMsf(19850), LbaToMsf(30000), LbaToMsf(45462)};
    EXPECT_EQ(TocOfTrackLengths(lengths), ThreeTracks());
    EXPECT_FALSE(TocOfTrackLengths({}));
}

TEST(MusicBrainzAnswerTest, AnExactMatchTakesTheMediumHoldingTheDisc) {
    const auto found = ParseMusicBrainzAnswer(Corpus("musicbrainz/exact_two_media.json"),
                                              "lwHl8fGzJyLXQR33ug60E8jhf4k-", 3);
    ASSERT_TRUE(found);
    ASSERT_EQ(found->size(), 1u);
    const LookupCandidate& c = found->front();
    EXPECT_EQ(c.Source, "MusicBrainz");
    EXPECT_EQ(c.SourceId, "0f3c1a52-8a3e-4e52-9d2b-6b2f0c1d9e01");
    EXPECT_EQ(c.Name, "Harbour Lights");
    EXPECT_EQ(c.Artist, "Anna Reyes & The Quay Quartet");
    EXPECT_EQ(c.Composer, "M. Okafor, Anna Reyes");
    EXPECT_EQ(c.Label, "Tidewater Records");
    EXPECT_EQ(c.Country, "GB");
    EXPECT_EQ(c.MusicType, "chamber folk");
    EXPECT_EQ(c.Year, 1994);
    EXPECT_TRUE(c.FrontCover);
    // An empty track title falls back to its recording's.
    EXPECT_EQ(c.Tracks,
              (std::vector<std::string>{"Low Tide", "Lantern Song (live)", "Café Señora"}));
}

TEST(MusicBrainzAnswerTest, FuzzyMatchesGiveOneCandidateEachWithWhatTheyHave) {
    const auto found =
        ParseMusicBrainzAnswer(Corpus("musicbrainz/fuzzy_three_releases.json"), "nothing", 3);
    ASSERT_TRUE(found);
    ASSERT_EQ(found->size(), 3u);
    EXPECT_EQ((*found)[0].Year, 2001);
    EXPECT_FALSE((*found)[0].FrontCover);
    EXPECT_EQ((*found)[1].Label, "Fieldfare Europe");  // the first entry names no label
    EXPECT_EQ((*found)[1].Year, 2011);
    EXPECT_EQ((*found)[1].Tracks.size(), 3u);
    EXPECT_EQ((*found)[2].Year, 0);
    EXPECT_TRUE((*found)[2].Tracks.empty());
    EXPECT_TRUE((*found)[2].Artist.empty());
}

TEST(MusicBrainzAnswerTest, DamagedAnswersAreRefusedOrReadForWhatIsThere) {
    EXPECT_FALSE(ParseMusicBrainzAnswer(Corpus("musicbrainz/truncated.json"), "", 3));
    EXPECT_FALSE(ParseMusicBrainzAnswer(Corpus("musicbrainz/releases_not_a_list.json"), "", 3));
    EXPECT_FALSE(ParseMusicBrainzAnswer("[1,2]", "", 3));
    EXPECT_FALSE(ParseMusicBrainzAnswer("<html>busy</html>", "", 3));
    EXPECT_EQ(ParseMusicBrainzAnswer(Corpus("musicbrainz/no_releases.json"), "", 3)->size(), 0u);
    const auto odd = ParseMusicBrainzAnswer(Corpus("musicbrainz/wrong_types.json"), "", 3);
    ASSERT_TRUE(odd);
    ASSERT_EQ(odd->size(), 1u);
    EXPECT_EQ(odd->front().Name, "");
    EXPECT_EQ(odd->front().Year, 0);
    EXPECT_EQ(odd->front().MusicType, "x");
    EXPECT_EQ(odd->front().Tracks, (std::vector<std::string>{"", ""}));
}

TEST(CddbAnswerTest, QueriesListTheirMatchesByStatus) {
    const auto exact = ParseCddbQuery(Corpus("cddb/query_200_exact.txt"));
    ASSERT_TRUE(exact);
    EXPECT_EQ(exact->Code, 200);
    EXPECT_EQ(exact->Matches,
              (std::vector<CddbMatch>{{"rock", "0a01c803", "Anna Reyes / Harbour Lights"}}));

    const auto inexact = ParseCddbQuery(Corpus("cddb/query_211_inexact.txt"));
    ASSERT_TRUE(inexact);
    EXPECT_EQ(inexact->Code, 211);
    ASSERT_EQ(inexact->Matches.size(), 2u);
    EXPECT_EQ(inexact->Matches[1].Category, "misc");
    EXPECT_EQ(inexact->Matches[1].DiscId, "0a01c804");
    EXPECT_EQ(ParseCddbQuery(Corpus("cddb/query_210_exact_list.txt"))->Matches.size(), 2u);

    for (const char* name : {"cddb/query_202.txt", "cddb/query_403.txt", "cddb/query_409.txt"}) {
        const auto none = ParseCddbQuery(Corpus(name));
        ASSERT_TRUE(none) << name;
        EXPECT_TRUE(none->Matches.empty()) << name;
    }
    EXPECT_EQ(ParseCddbQuery(Corpus("cddb/query_409.txt"))->Code, 409);
    EXPECT_FALSE(ParseCddbQuery(Corpus("cddb/query_211_unterminated.txt")));
    EXPECT_FALSE(ParseCddbQuery("200 rock\r\n"));
    EXPECT_FALSE(ParseCddbQuery("200"));  // a status line with nothing after the code
    EXPECT_EQ(ParseCddbRead("402", {})->Code, 402);
    EXPECT_FALSE(ParseCddbQuery("20 short\r\n"));
    EXPECT_FALSE(ParseCddbQuery("2000 long\r\n"));
    EXPECT_FALSE(ParseCddbQuery(""));
}

TEST(CddbAnswerTest, AReadEntryJoinsContinuedLinesAndSplitsTheDiscTitle) {
    const CddbMatch match{"folk", "0a01c803", ""};
    const auto read = ParseCddbRead(Corpus("cddb/read_210_multiline.txt"), match);
    ASSERT_TRUE(read);
    ASSERT_TRUE(read->Entry);
    const LookupCandidate& c = *read->Entry;
    EXPECT_EQ(c.Source, "CDDB");
    EXPECT_EQ(c.SourceId, "folk/0a01c803");
    EXPECT_EQ(c.Artist, "Anna Reyes & The Quay Quartet");
    EXPECT_EQ(c.Name, "Harbour Lights, a Very Long Title That Goes On Over Two Lines");
    EXPECT_EQ(c.Year, 1994);
    EXPECT_EQ(c.MusicType, "Chamber Folk");
    EXPECT_EQ(c.Tracks, (std::vector<std::string>{"Low Tide", "Lantern Song", "Café Señora"}));

    // Without " / " the title names both; without DGENRE the category is the type.
    const auto plain = ParseCddbRead("210 jazz 1 entry\nDTITLE=Solo\nDYEAR=soon\n.\n", match);
    EXPECT_EQ(plain->Entry->Name, "Solo");
    EXPECT_EQ(plain->Entry->Artist, "Solo");
    EXPECT_EQ(plain->Entry->Year, 0);
    EXPECT_EQ(plain->Entry->MusicType, "folk");

    for (const auto& [name, code] :
         std::map<std::string, int>{{"cddb/read_401.txt", 401}, {"cddb/read_402.txt", 402}}) {
        const auto refused = ParseCddbRead(Corpus(name), match);
        ASSERT_TRUE(refused) << name;
        EXPECT_EQ(refused->Code, code);
        EXPECT_FALSE(refused->Entry);
    }
    EXPECT_FALSE(ParseCddbRead(Corpus("cddb/read_210_unterminated.txt"), match));
    EXPECT_FALSE(ParseCddbRead(Corpus("cddb/read_no_status.txt"), match));
}

TEST(LookupCandidateTest, ApplyingFillsGivenFieldsCutOnACharacterBoundary) {
    DiscRecord record;
    record.Name = "Unknown";
    record.Composer = "Kept";
    StringGrid tracks;
    tracks.SetColCount(3);
    tracks.SetRowCount(3);  // two tracks
    LookupCandidate c;
    c.Name = std::string(99, 'n') + "é";  // 101 bytes: the é cannot be cut in half
    c.Artist = "Artist";
    c.Label = std::string(60, 'l');
    c.Year = 1994;
    c.Tracks = {"One", "", "Three has no row"};
    ApplyCandidate(c, record, tracks);
    EXPECT_EQ(record.Name, std::string(99, 'n'));
    EXPECT_EQ(record.Artist, "Artist");
    EXPECT_EQ(record.Composer, "Kept");
    EXPECT_EQ(record.RecordLabel, std::string(50, 'l'));
    EXPECT_EQ(record.Year, 1994);
    EXPECT_EQ(tracks.Cell(0, 1), "One");
    EXPECT_EQ(tracks.Cell(0, 2), "");

    c.Year = 12345;  // no field holds it: the record keeps its year
    ApplyCandidate(c, record, tracks);
    EXPECT_EQ(record.Year, 1994);
}

TEST(LookupCandidateTest, TheCacheFormatGivesTheCandidatesBack) {
    const auto found =
        ParseMusicBrainzAnswer(Corpus("musicbrainz/fuzzy_three_releases.json"), "", 3);
    ASSERT_TRUE(found);
    EXPECT_EQ(CandidatesFromJson(CandidatesToJson(*found)), *found);
    EXPECT_FALSE(CandidatesFromJson("{\"name\":1}"));
    EXPECT_FALSE(CandidatesFromJson("[1]"));
    EXPECT_FALSE(CandidatesFromJson("[{\"name\":"));
}

// Answers every request from a table of answers by the request's first matching URL part, on a
// clock that moves only when a timer is due.
class FakeHttp final : public HttpClient {
  public:
    struct Request {
        std::string Url;
        HttpHeaders Headers;
        std::int64_t At;
    };

    void Get(const std::string& url, const HttpHeaders& headers,
             std::function<void(const HttpAnswer&)> done) override {
        requests.push_back({url, headers, now});
        open_.push_back({url, std::move(done)});
    }
    void After(int milliseconds, std::function<void()> task) override {
        timers_.emplace(now + milliseconds, std::move(task));
    }
    std::int64_t NowMs() const override { return now; }

    // Answers and runs timers until nothing is left to do.
    void Run() {
        while (!open_.empty() || !timers_.empty()) {
            if (!open_.empty()) {
                auto [url, done] = std::move(open_.front());
                open_.pop_front();
                done(AnswerFor(url));
                continue;
            }
            auto first = timers_.begin();
            now = std::max(now, first->first);
            auto task = std::move(first->second);
            timers_.erase(first);
            task();
        }
    }

    // Drops every request unanswered, as a lookup destroyed meanwhile would see them.
    void Forget() { open_.clear(); }

    std::vector<std::pair<std::string, HttpAnswer>> answers;
    std::vector<Request> requests;
    std::int64_t now = 5000;

  private:
    HttpAnswer AnswerFor(const std::string& url) const {
        for (const auto& [part, answer] : answers) {
            if (url.find(part) != std::string::npos) {
                return answer;
            }
        }
        return {404, "{}", {}};
    }

    std::deque<std::pair<std::string, std::function<void(const HttpAnswer&)>>> open_;
    std::multimap<std::int64_t, std::function<void()>> timers_;
};

class DiscLookupTest : public ::testing::Test {
  protected:
    LookupServers Servers() const {
        return {"http://127.0.0.1:1/mb/", "http://127.0.0.1:1/caa", "http://127.0.0.1:1/cddb"};
    }

    LookupOutcome Look(DiscLookup& lookup, const DiscToc& toc = ThreeTracks()) {
        std::optional<LookupOutcome> outcome;
        lookup.Lookup(toc, [&](const LookupOutcome& o) {
            EXPECT_FALSE(outcome) << "answered twice";
            outcome = o;
        });
        EXPECT_FALSE(outcome) << "answered from inside Lookup";
        http_.Run();
        EXPECT_TRUE(outcome);
        return outcome.value_or(LookupOutcome{});
    }

    test::TempDir dir_;
    FakeHttp http_;
};

TEST_F(DiscLookupTest, MusicBrainzIsAskedByDiscIdWithTheTocForFuzzyMatches) {
    http_.answers = {{"/mb/ws/2/discid/", {200, Corpus("musicbrainz/exact_two_media.json"), {}}}};
    DiscLookup lookup(http_, Servers(), dir_.Path());
    const LookupOutcome outcome = Look(lookup);
    ASSERT_EQ(outcome.Candidates.size(), 1u);
    ASSERT_EQ(http_.requests.size(), 1u);
    const std::string& url = http_.requests[0].Url;
    EXPECT_EQ(url.rfind("http://127.0.0.1:1/mb/ws/2/discid/" +
                            ComputeDiscIds(ThreeTracks())->MusicBrainz +
                            "?toc=1+3+95462+150+20000+50000&",
                        0),
              0u);
    EXPECT_NE(url.find("&inc=artist-credits+labels+recordings+"), std::string::npos);
    EXPECT_NE(url.find("&fmt=json"), std::string::npos);
    EXPECT_EQ(lookup.FrontCoverUrl(outcome.Candidates[0]),
              "http://127.0.0.1:1/caa/release/0f3c1a52-8a3e-4e52-9d2b-6b2f0c1d9e01/front-500");
}

TEST_F(DiscLookupTest, CddbFailuresGiveTheirOwnLineAndAreNeverKept) {
    const std::vector<std::pair<HttpAnswer, std::string>> cases = {
        {{200, Corpus("cddb/query_202.txt"), {}}, kNoNamesFound},
        {{200, "garbage", {}}, "The CDDB server gave an answer that cannot be read."},
        {{200, Corpus("cddb/query_403.txt"), {}},
         "The CDDB server's entry for this disc is corrupt."},
        {{200, Corpus("cddb/query_409.txt"), {}},
         "The CDDB server refused the request without a handshake."},
        {{0, {}, "Connection refused."}, "The CDDB server: Connection refused."},
    };
    for (const auto& [answer, line] : cases) {
        http_.answers = {{"/mb/", {404, "{}", {}}}, {"/cddb", answer}};
        DiscLookup lookup(http_, Servers(), dir_.Path());
        EXPECT_EQ(Look(lookup).Message, line);
    }
    // A MusicBrainz failure is the line even when the CDDB server then finds nothing.
    http_.answers = {{"/mb/", {0, {}, "the server did not answer in time."}},
                     {"/cddb", {200, Corpus("cddb/query_202.txt"), {}}}};
    DiscLookup lookup(http_, Servers(), dir_.Path());
    EXPECT_EQ(Look(lookup).Message, "MusicBrainz: the server did not answer in time.");
    EXPECT_FALSE(std::filesystem::exists(dir_.Path() / "lookup"));
}

TEST_F(DiscLookupTest, ADamagedCacheFileIsAskedForAgainAndReplaced) {
    const std::filesystem::path cache = dir_.Path() / "lookup";
    const std::filesystem::path file =
        cache / (ComputeDiscIds(ThreeTracks())->MusicBrainz + ".json");
    std::filesystem::create_directories(cache);
    test::WriteFileText(file, "[{\"name\":");
    http_.answers = {{"/mb/", {200, Corpus("musicbrainz/fuzzy_three_releases.json"), {}}}};
    DiscLookup lookup(http_, Servers(), cache);
    EXPECT_FALSE(Look(lookup).FromCache);
    EXPECT_EQ(CandidatesFromJson(test::ReadFileText(file))->size(), 3u);
    http_.requests.clear();
    const LookupOutcome again = Look(lookup);
    EXPECT_TRUE(again.FromCache);
    EXPECT_EQ(again.Candidates[1].Name, "Northern Songs (Remastered)");
    EXPECT_TRUE(http_.requests.empty());
}

TEST_F(DiscLookupTest, MusicBrainzRequestsKeepOneSecondApart) {
    http_.answers = {{"/mb/", {404, "{}", {}}}, {"/cddb", {200, "202 No match found.\r\n", {}}}};
    DiscLookup lookup(http_, Servers(), dir_.Path());
    std::vector<std::string> messages;
    lookup.Lookup(ThreeTracks(), [&](const LookupOutcome& o) { messages.push_back(o.Message); });
    lookup.Lookup({1, 80000, {150, 30000}},
                  [&](const LookupOutcome& o) { messages.push_back(o.Message); });
    http_.Run();
    EXPECT_EQ(messages, (std::vector<std::string>{kNoNamesFound, kNoNamesFound}));
    std::vector<std::int64_t> musicBrainzTimes;
    for (const auto& request : http_.requests) {
        if (request.Url.find("/mb/") != std::string::npos) {
            musicBrainzTimes.push_back(request.At);
        }
    }
    EXPECT_EQ(musicBrainzTimes, (std::vector<std::int64_t>{5000, 6000}));

    // Long after, the next one goes at once.
    http_.now = 60000;
    http_.requests.clear();
    Look(lookup);
    EXPECT_EQ(http_.requests.front().At, 60000);
}

TEST_F(DiscLookupTest, AnswersAfterTheLookupHasGoneAreDropped) {
    bool answered = false;
    {
        DiscLookup lookup(http_, Servers(), dir_.Path());
        lookup.Lookup(ThreeTracks(), [&](const LookupOutcome&) { answered = true; });
        lookup.Lookup({1, 95462, {}}, [&](const LookupOutcome&) { answered = true; });
    }
    http_.Run();
    EXPECT_FALSE(answered);
}

TEST_F(DiscLookupTest, AnEmptyServerLeavesItsDatabaseOut) {
    http_.answers = {{"cddb+query", {200, Corpus("cddb/query_200_exact.txt"), {}}},
                     {"cddb+read", {200, Corpus("cddb/read_210_multiline.txt"), {}}}};
    DiscLookup lookup(http_, {"", "", "http://127.0.0.1:1/cddb"}, dir_.Path());
    const LookupOutcome outcome = Look(lookup);
    ASSERT_EQ(outcome.Candidates.size(), 1u);
    EXPECT_EQ(http_.requests.size(), 2u);
    EXPECT_EQ(lookup.FrontCoverUrl(outcome.Candidates[0]), "");

    DiscLookup none(http_, {"", "", ""}, dir_.Path());
    http_.requests.clear();
    EXPECT_EQ(Look(none, {1, 1000, {150, 500}}).Message, kNoNamesFound);
    EXPECT_TRUE(http_.requests.empty());
}

}  // namespace
}  // namespace snx
