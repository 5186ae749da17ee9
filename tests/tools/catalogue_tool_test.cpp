// sonatrix-catalogue run as users run it, on a catalogue made through the library.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <thread>

#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>

#include "archive/archive_index.h"
#include "catalogue/catalogue_check.h"
#include "catalogue/disc_catalogue.h"
#include "lookup/disc_toc.h"
#include "settings/settings.h"
#include "store/block_file/vlf.h"
#include "store/record_file/record_file.h"
#include "tests/support/image_generator.h"
#include "tests/support/scripted_messages.h"
#include "tests/support/stored_disc.h"
#include "tests/support/temp_dir.h"

namespace snx {
namespace {

struct Result {
    int Status = -1;
    std::string Out;
};

class CatalogueToolTest : public testing::Test {
  protected:
    CatalogueToolTest() {
        SetSettingsDirectories(dir_.Path(), dir_.Path());
        LoadSettings();
        InitRecordFiles(8);
        Tfvlf holder(dir_.Path());
        DiscCatalogue catalogue(holder, nullptr);
        messages_.Answer(true);
        Add(catalogue, "0000000000000001", "Goldberg Variations", "Bach", "Gould", 2);
        Add(catalogue, "0000000000000002", "Kind of Blue", "Davis", "Miles Davis", 5);
        Add(catalogue, "0000000000000003", "Art of Fugue", "Bach", "Koopman", 3);
        // An orphan and a disc with a sample, for the list marks.
        SetFlags(catalogue, "0000000000000002", true, false);
        SetFlags(catalogue, "0000000000000003", false, true);
        ExitRecordFiles();
    }

    void Add(DiscCatalogue& catalogue, const std::string& identity, const std::string& name,
             const std::string& composer, const std::string& artist, int trackCount) {
        test::StoreDisc(catalogue, identity, [&](test::StoredDisc& stored) {
            stored.Record.Name = name;
            stored.Record.Composer = composer;
            stored.Record.Artist = artist;
            stored.Record.TrackCount = static_cast<std::int16_t>(trackCount);
            for (int t = 1; t <= trackCount; ++t) {
                stored.Record.TrackLengths[t - 1] = PackMsf(3, static_cast<unsigned>(t), 0);
                stored.Tracks.SetCell(0, t, name + " part " + std::to_string(t));
            }
            stored.Notes.Text = identity + "\r\nFirst note\r\nSecond note";
        });
    }

    void SetFlags(DiscCatalogue& catalogue, const std::string& identity, bool orphan, bool sample) {
        DiscRecord record;
        KeySnapshot keys;
        catalogue.LoadDiscRecord(identity, record, catalogue.Holder().catTracks,
                                 catalogue.Holder().catMemo, keys);
        record.Orphan = orphan;
        if (sample) {
            test::WriteFileText(dir_ / "s.wav", "RIFF....WAVE");
            catalogue.OpenDiscVlf();
            record.SampleAddress =
                catalogue.Holder().Vlf.StoreFile(0, dir_ / "s.wav", TVlf::kTypeSample);
            catalogue.CloseDiscVlf();
        }
        catalogue.WriteDiscRecord(record);
    }

    Result Run(const std::string& args) {
        const std::string command = std::string(SONATRIX_CATALOGUE_TOOL) + " --data-dir '" +
                                    dir_.Path().string() + "' " + args + " 2>" +
                                    (dir_ / "stderr.txt").string() + " </dev/null";
        Result result;
        FILE* pipe = ::popen(command.c_str(), "r");
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
            result.Out.append(buffer, n);
        }
        result.Status = WEXITSTATUS(::pclose(pipe));
        return result;
    }

    std::string Errors() { return test::ReadFileText(dir_ / "stderr.txt"); }

    test::TempDir dir_;
    test::ScriptedMessages messages_;
};

TEST_F(CatalogueToolTest, ListsInBrowseOrderWithMarks) {
    Result r = Run("list");
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Out,
              "3\t0000000000000003\tS\tArt of Fugue\n"
              "1\t0000000000000001\t-\tGoldberg Variations\n"
              "2\t0000000000000002\tO\tKind of Blue\n");
    r = Run("list --by composer");
    EXPECT_EQ(r.Out,
              "# Bach\n"
              "1\t0000000000000001\t-\tGoldberg Variations\n"
              "3\t0000000000000003\tS\tArt of Fugue\n"
              "# Davis\n"
              "2\t0000000000000002\tO\tKind of Blue\n");
    EXPECT_EQ(Run("list --track 'fugue part 3'").Out, "3\t0000000000000003\tS\tArt of Fugue\n");
    EXPECT_EQ(Run("list --name miles").Out, "2\t0000000000000002\tO\tKind of Blue\n");
    EXPECT_EQ(Run("list --by colour").Status, 1);

    // A name an older catalogue stored in Windows-1252 is matched as it is shown.
    InitRecordFiles(8);
    {
        Tfvlf holder(dir_.Path());
        DiscCatalogue catalogue(holder, nullptr);
        Add(catalogue, "0000000000000004", "Carnival", "Camille Saint-Sa\xEBns", "Ensemble", 1);
    }
    ExitRecordFiles();
    EXPECT_EQ(Run("list --name 'SA\xC3\xABNS'").Out, "4\t0000000000000004\t-\tCarnival\n");
}

TEST_F(CatalogueToolTest, ShowsEveryFieldAsTextAndJson) {
    Result r = Run("show 0000000000000001");
    EXPECT_EQ(r.Status, 0);
    EXPECT_NE(r.Out.find("Name: Goldberg Variations\n"), std::string::npos);
    EXPECT_NE(r.Out.find("Composer: Bach\n"), std::string::npos);
    EXPECT_NE(r.Out.find("2\t03.02\tGoldberg Variations part 2\t\t\n"), std::string::npos);
    EXPECT_NE(r.Out.find("Notes:\nFirst note\nSecond note\n"), std::string::npos);
    EXPECT_EQ(r.Out.find("part 3"), std::string::npos);

    r = Run("show 0000000000000002 --json");
    ASSERT_EQ(r.Status, 0);
    const auto json = nlohmann::json::parse(r.Out);
    EXPECT_EQ(json["artist"], "Miles Davis");
    EXPECT_EQ(json["orphan"], true);
    EXPECT_EQ(json["tracks"].size(), 5u);
    EXPECT_EQ(json["tracks"][4]["name"], "Kind of Blue part 5");
    EXPECT_EQ(json["notes"], "First note\nSecond note\n");

    EXPECT_EQ(Run("show 00000000DEADBEEF").Status, 1);
    EXPECT_NE(Errors().find("no disc 00000000DEADBEEF"), std::string::npos);
}

TEST_F(CatalogueToolTest, DeleteAsksAndCheckStaysClean) {
    Result r = Run("delete 0000000000000002");
    EXPECT_EQ(r.Status, 1);  // no terminal: the question is answered No
    EXPECT_NE(Errors().find("Would you like to delete the CD data record called Kind of Blue?"),
              std::string::npos);
    EXPECT_EQ(Run("list").Out.find("Kind of Blue") != std::string::npos, true);

    r = Run("--yes delete 0000000000000002");
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(Run("list").Out.find("Kind of Blue"), std::string::npos);
    r = Run("check");
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Out, "No problems: 2 discs; unused space a rebuild would recover\n");

    EXPECT_EQ(Run("--yes rebuild").Status, 0);
    r = Run("check");
    EXPECT_EQ(r.Out, "No problems: 2 discs\n");
    EXPECT_EQ(Run("list --by artist").Out,
              "# Gould\n1\t0000000000000001\t-\tGoldberg Variations\n"
              "# Koopman\n2\t0000000000000003\tS\tArt of Fugue\n");
}

TEST_F(CatalogueToolTest, CheckReportsDamageWithStatusOne) {
    {
        std::fstream ix(dir_ / "disc.IX", std::ios::in | std::ios::out | std::ios::binary);
        ix.seekp(16);  // key 1's root page
        const char bogus[4] = {0x7F, 0, 0, 0};
        ix.write(bogus, 4);
    }
    const Result r = Run("check");
    EXPECT_EQ(r.Status, 1);
    EXPECT_FALSE(r.Out.empty());
}

TEST_F(CatalogueToolTest, ExportsAndImportsText) {
    const std::string file = (dir_ / "out.txt").string();
    Result r = Run("export '" + file + "' --lines --quote none --tracks 1 --no-times --no-header");
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Out, "Exported 3 discs to " + file + "\n");
    EXPECT_EQ(test::ReadFileText(file).substr(0, 48),
              "[0000000000000001]\r\nGoldberg Variations\r\nGould\r\n");
    EXPECT_NE(test::ReadFileText(file).find("\r\n2\r\nGoldberg Variations part 1\r\n"),
              std::string::npos);

    EXPECT_EQ(Run("export '" + file + "' --default").Status, 1);  // not allowed to overwrite
    EXPECT_NE(Errors().find("File exists - do you wish to overwrite it?"), std::string::npos);
    EXPECT_EQ(Run("--yes export '" + file + "' --default").Status, 0);
    EXPECT_EQ(Run("export x --tracks 100").Status, 1);

    EXPECT_EQ(Run("--yes delete 0000000000000002").Status, 0);
    r = Run("import '" + file + "'");
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Out, "Imported 1 new, 0 merged, 2 already held\n");
    EXPECT_EQ(Run("list --name blue").Out, "2\t0000000000000002\tO\tKind of Blue\n");
    r = Run("import '" + file + "' --merge");
    EXPECT_EQ(r.Out, "Imported 0 new, 3 merged, 0 already held\n");
    EXPECT_EQ(Run("check").Status, 0);

    const std::string ini = (dir_ / "player.ini").string();
    test::WriteFileText(ini, "[abc]\ntitle=From the ini\n");
    EXPECT_EQ(Run("import '" + ini + "' --ini").Status, 0);
    EXPECT_NE(Run("show 0000000000000ABC").Out.find("Name: From the ini\n"), std::string::npos);
    EXPECT_EQ(Run("import '" + ini + "' --v5").Status, 1);

    // An import that cannot read its file to the end says so and fails.
    test::WriteFileText(file, test::ReadFileText(file).substr(0, 200));
    r = Run("import '" + file + "' --merge");
    EXPECT_EQ(r.Status, 1);
    EXPECT_NE(Errors().find("stopped at record 2 of the file: the file ends inside it - 1 discs "
                            "were stored."),
              std::string::npos)
        << Errors();
}

TEST_F(CatalogueToolTest, ExplainsItsUsage) {
    const Result help = Run("--help");
    EXPECT_EQ(help.Status, 0);
    for (const char* command : {"list", "show", "delete", "check", "rebuild", "export", "import",
                                "--merge", "--default", "--data-dir", "--yes"}) {
        EXPECT_NE(help.Out.find(command), std::string::npos) << command;
    }
    EXPECT_EQ(Run("frobnicate").Status, 1);
    EXPECT_NE(Errors().find("unknown command frobnicate"), std::string::npos);
}

}  // namespace
}  // namespace snx

namespace snx {
namespace {

std::string Output(const std::string& command) {
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        out.append(buffer, n);
    }
    EXPECT_EQ(WEXITSTATUS(::pclose(pipe)), 0) << command << " (needs poppler-utils)";
    return out;
}

TEST_F(CatalogueToolTest, PrintsTheListingAndASheetIntoPdfFilesWithoutADisplay) {
    // The collector named in the settings signs both reports, not the login name.
    test::WriteFileText(dir_ / "SONATRIX.INI", "[User config]\nCollector name=Ada Collector\n");
    const std::string pdf = (dir_ / "listing.pdf").string();
    Result r = Run("print '" + pdf + "' --by composer --filter-name bach");
    ASSERT_EQ(r.Status, 0) << Errors();
    EXPECT_EQ(r.Out, "Printed 1 page to " + pdf + "\n");
    const std::string text = Output("pdftotext -layout '" + pdf + "' -");
    EXPECT_NE(text.find("by composer"), std::string::npos);
    EXPECT_NE(text.find("Goldberg Variations"), std::string::npos);
    EXPECT_NE(text.find("Art of Fugue"), std::string::npos);
    EXPECT_EQ(text.find("Kind of Blue"), std::string::npos);
    EXPECT_NE(text.find("Collector: Ada Collector - Printed on"), std::string::npos);

    const std::string sheet = (dir_ / "sheet.pdf").string();
    ASSERT_EQ(Run("print-disc 0000000000000002 '" + sheet + "' --user-fields").Status, 0);
    const std::string disc = Output("pdftotext -layout '" + sheet + "' -");
    EXPECT_NE(disc.find("Kind of Blue part 5"), std::string::npos);
    EXPECT_NE(disc.find("Second note"), std::string::npos);
    EXPECT_NE(disc.find("Collector: Ada Collector"), std::string::npos);
    EXPECT_EQ(Run("print-disc 00000000DEADBEEF '" + sheet + "'").Status, 1);
    EXPECT_EQ(Run("print listing.txt").Status, 1);
}

// An HTTP server on 127.0.0.1 for a program the test starts: on its own thread, it answers every
// request with status and body, and keeps the request targets.
class ThreadedServer {
  public:
    ThreadedServer(int status, std::string body) : status_(status), body_(std::move(body)) {
        socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        EXPECT_EQ(::bind(socket_, reinterpret_cast<sockaddr*>(&address), length), 0);
        EXPECT_EQ(::listen(socket_, 4), 0);
        ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~ThreadedServer() {
        stop_ = true;
        thread_.join();
        ::close(socket_);
    }
    std::string Base() const { return "http://127.0.0.1:" + std::to_string(port_); }
    std::vector<std::string> Targets() {
        const std::lock_guard lock(mutex_);
        return targets_;
    }

  private:
    void Serve() {
        while (!stop_) {
            pollfd waiting{socket_, POLLIN, 0};
            if (::poll(&waiting, 1, 50) <= 0) {
                continue;
            }
            const int client = ::accept(socket_, nullptr, nullptr);
            std::string request;
            char buffer[4096];
            while (request.find("\r\n\r\n") == std::string::npos) {
                const ssize_t n = ::read(client, buffer, sizeof buffer);
                if (n <= 0) {
                    break;
                }
                request.append(buffer, static_cast<std::size_t>(n));
            }
            const std::size_t from = request.find(' ') + 1;
            {
                const std::lock_guard lock(mutex_);
                targets_.push_back(request.substr(from, request.find(' ', from) - from));
            }
            const std::string reply = "HTTP/1.1 " + std::to_string(status_) +
                                      " Answer\r\nContent-Length: " + std::to_string(body_.size()) +
                                      "\r\nConnection: close\r\n\r\n" + body_;
            [[maybe_unused]] const ssize_t written = ::write(client, reply.data(), reply.size());
            ::close(client);
        }
    }

    int status_;
    std::string body_;
    int socket_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_ = false;
    std::mutex mutex_;
    std::vector<std::string> targets_;
    std::thread thread_;
};

class LookupToolTest : public CatalogueToolTest {
  protected:
    // A three-track disc without CD-Text, and the settings pointing at the server.
    std::string Disc(const ThreadedServer& server) {
        Settings& settings = AppSettings();
        settings.MusicBrainzServer = server.Base() + "/mb";
        settings.CoverArtServer = "";
        settings.CddbServer = "";
        SaveSettings();
        return test::GenerateImage(dir_.Path(), "plain",
                                   {test::Track(0, 20), test::Track(0, 30), test::Track(0, 10)}, {})
            .string();
    }
};

TEST_F(LookupToolTest, PrintsTheCandidatesAsTextAndJson) {
    ThreadedServer server(200, test::ReadFileText(std::filesystem::path(SONATRIX_LOOKUP_CORPUS) /
                                                  "musicbrainz/fuzzy_three_releases.json"));
    const std::string image = Disc(server);
    const Result text = Run("lookup '" + image + "'");
    EXPECT_EQ(text.Status, 0) << Errors();
    EXPECT_NE(text.Out.find("2. Northern Songs (Remastered)\n   Artist: Kestrel\n"),
              std::string::npos)
        << text.Out;
    EXPECT_NE(text.Out.find("   Country: DE\n"), std::string::npos);
    EXPECT_NE(text.Out.find("    2 Two (2011)\n"), std::string::npos);

    const Result json = Run("lookup '" + image + "' --json");
    ASSERT_EQ(json.Status, 0) << Errors();
    const auto document = nlohmann::json::parse(json.Out);
    ASSERT_EQ(document["candidates"].size(), 3u);
    EXPECT_EQ(document["candidates"][1]["label"], "Fieldfare Europe");
    const std::string id = document["musicbrainz_id"];
    // The second run was answered from the cache the first one wrote.
    ASSERT_EQ(server.Targets().size(), 1u);
    EXPECT_EQ(server.Targets()[0].rfind("/mb/ws/2/discid/" + id + "?toc=1+3+", 0), 0u);
    EXPECT_TRUE(std::filesystem::exists(dir_ / "lookup" / (id + ".json")));

    const Result missing = Run("lookup '" + (dir_ / "missing.cue").string() + "'");
    EXPECT_EQ(missing.Status, 1);
    EXPECT_NE(Errors().find("no readable audio disc"), std::string::npos);
}

// The database file for a disc: one pressing whose entries carry these checksums.
std::string AccurateRipFile(const std::string& target, const std::vector<std::uint32_t>& sums) {
    // The ids are the ones the program asked for: ".../dBAR-003-aaaaaaaa-bbbbbbbb-cccccccc.bin".
    const std::string name = target.substr(target.rfind("dBAR-"));
    std::string file(1, static_cast<char>(sums.size()));
    for (const std::size_t at : {9u, 18u, 27u}) {
        const auto id = static_cast<std::uint32_t>(std::stoul(name.substr(at, 8), nullptr, 16));
        for (int i = 0; i < 4; ++i) {
            file += static_cast<char>(id >> (8 * i));
        }
    }
    for (const std::uint32_t sum : sums) {
        file += static_cast<char>(7);
        for (int i = 0; i < 4; ++i) {
            file += static_cast<char>(sum >> (8 * i));
        }
        file += std::string(4, '\0');
    }
    return file;
}

TEST_F(CatalogueToolTest, ArchivesADiscAndSaysWhatTheDatabaseThinksOfIt) {
    const std::string image =
        test::GenerateImage(dir_.Path(), "disc",
                            {test::Track(0, 20), test::Track(0, 30), test::Track(0, 10)}, {})
            .string();
    DiscInfo disc;
    disc.Tracks = {{150, true}, {1650, true}, {3900, true}};
    disc.LeadOut = 4650;
    {
        InitRecordFiles(8);
        Tfvlf holder(dir_.Path());
        DiscCatalogue catalogue(holder, nullptr);
        Add(catalogue, DiscIdentity(disc), "Caf\xE9 Society", "Bach", "Kestrel", 3);
        ExitRecordFiles();
    }
    const std::string archive = (dir_ / "archive").string();
    auto runWith = [&](int status, const std::string& body, const std::string& options) {
        ThreadedServer server(status, body);
        AppSettings().VerifyArchives = true;
        AppSettings().AccurateRipServer = server.Base();
        SaveSettings();
        Result result = Run("archive '" + image + "' --to '" + archive + "' " + options);
        const std::vector<std::string> targets = server.Targets();
        return std::pair{result, targets.empty() ? std::string() : targets.front()};
    };

    const auto [unknown, target] = runWith(404, "", "--json");
    ASSERT_EQ(unknown.Status, 3) << Errors();
    EXPECT_EQ(target.rfind("/accuraterip/", 0), 0u) << target;
    const auto document = nlohmann::json::parse(unknown.Out);
    const std::filesystem::path folder = document["folder"].get<std::string>();
    EXPECT_EQ(folder.filename(), "Kestrel - Caf\u00e9 Society");
    ASSERT_EQ(document["tracks"].size(), 3u);
    std::vector<std::uint32_t> v1;
    for (const auto& track : document["tracks"]) {
        EXPECT_EQ(track["verdict"], "Not in the database");
        v1.push_back(static_cast<std::uint32_t>(
            std::stoul(track["accuraterip_v1"].get<std::string>(), nullptr, 16)));
    }
    EXPECT_EQ(document["tracks"][0]["file"], "01 - Caf\u00e9 Society part 1.flac");
    EXPECT_TRUE(std::filesystem::exists(folder / "01 - Caf\u00e9 Society part 1.flac"));
    EXPECT_TRUE(std::filesystem::exists(folder / "Kestrel - Caf\u00e9 Society.cue"));

    const auto [accurate, again] = runWith(200, AccurateRipFile(target, v1), "");
    EXPECT_EQ(accurate.Status, 0) << Errors();
    EXPECT_EQ(again, target);
    EXPECT_NE(accurate.Out.find("  Accurately ripped (confidence 7)\n02 "), std::string::npos)
        << accurate.Out;
    const std::filesystem::path second = dir_ / "archive" / "Kestrel - Caf\u00e9 Society (2)";
    const std::string log = test::ReadFileText(second / "Kestrel - Caf\u00e9 Society (2).log");
    EXPECT_NE(log.find("  Test and copy: not needed (plain image reads)\n"
                       "  AccurateRip: Accurately ripped (confidence 7)\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("\nAll 3 tracks accurately ripped.\n"), std::string::npos);
    // The index remembers the newest archive of the disc.
    EXPECT_EQ(test::ReadFileText(dir_ / "archive.idx"),
              DiscIdentity(disc) + "\t" + second.string() + "\n");
    // Lost, it is found again in the archive folder's cue sheets.
    std::filesystem::remove(dir_ / "archive.idx");
    EXPECT_EQ(ArchiveIndex::Load(dir_.Path(), archive).FolderOf(DiscIdentity(disc)), second);
    EXPECT_TRUE(std::filesystem::exists(dir_ / "archive.idx"));

    v1[2] ^= 1;
    const auto [inaccurate, ignored1] = runWith(200, AccurateRipFile(target, v1), "");
    EXPECT_EQ(inaccurate.Status, 3);
    EXPECT_NE(inaccurate.Out.find("  Not accurate\n"), std::string::npos) << inaccurate.Out;

    const std::string cut = AccurateRipFile(target, v1).substr(0, 30);
    const auto [damaged, ignored2] = runWith(200, cut, "");
    EXPECT_EQ(damaged.Status, 1);
    EXPECT_NE(Errors().find("The AccurateRip answer is cut short."), std::string::npos) << Errors();
}

}  // namespace
}  // namespace snx
