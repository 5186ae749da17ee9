// The online lookup in the program, against a local HTTP server the test starts on 127.0.0.1
// and whose answers it writes: the handset naming an inserted disc, the chooser, the failures,
// the cache, the one-a-second rule, the editor's "&Look up" and the cover taken as the picture.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QTreeWidget>
#include <sstream>

#include "catalogue/catalogue_check.h"
#include "catalogue_ui/disc_data_dialog.h"
#include "cd/image_drive.h"
#include "lookup/lookup_chooser.h"
#include "lookup/online_lookup.h"
#include "tests/lookup/corpus.h"
#include "tests/support/boxes.h"
#include "tests/support/demo_image.h"
#include "tests/support/handset_fixture.h"
#include "tests/support/keyboard_map.h"
#include "tests/support/modal_dialog.h"
#include "tests/support/user_input.h"
#include "ui_disc_data_dialog.h"
#include "ui_lookup_chooser.h"

namespace snx {
namespace {

using test::Corpus;

// An HTTP/1.1 server on 127.0.0.1 answering each GET by the first route whose text occurs in
// the request target; a silent route never answers.
class LocalServer {
  public:
    struct Route {
        std::string Part;
        int Status = 200;
        std::string Body;
        bool Silent = false;
    };
    struct Request {
        std::string Target;
        std::string UserAgent;
        qint64 AtMs = 0;
    };

    LocalServer() {
        clock_.start();
        EXPECT_TRUE(server_.listen(QHostAddress::LocalHost, 0));
        QObject::connect(&server_, &QTcpServer::newConnection, [this] { Accept(); });
    }

    std::string Base() const { return "http://127.0.0.1:" + std::to_string(server_.serverPort()); }
    void Stop() { server_.close(); }

    std::vector<Route> routes;
    std::vector<Request> requests;

  private:
    void Accept() {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            socket->setParent(&server_);
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                QByteArray& pending = pending_[socket];
                pending += socket->readAll();
                if (pending.contains("\r\n\r\n")) {
                    Answer(*socket, pending);
                }
            });
        }
    }

    void Answer(QTcpSocket& socket, const QByteArray& head) {
        const QList<QByteArray> lines = head.split('\n');
        const QList<QByteArray> first = lines.front().trimmed().split(' ');
        Request request{first.size() > 1 ? first[1].toStdString() : "", "", clock_.elapsed()};
        for (const QByteArray& line : lines) {
            if (line.toLower().startsWith("user-agent:")) {
                request.UserAgent = line.mid(11).trimmed().toStdString();
            }
        }
        requests.push_back(request);
        Route route{"", 404, "{}", false};
        for (const Route& r : routes) {
            if (request.Target.find(r.Part) != std::string::npos) {
                route = r;
                break;
            }
        }
        if (route.Silent) {
            return;
        }
        QByteArray reply = "HTTP/1.1 " + QByteArray::number(route.Status) +
                           " Answer\r\nContent-Length: " + QByteArray::number(route.Body.size()) +
                           "\r\nConnection: close\r\n\r\n" + QByteArray::fromStdString(route.Body);
        socket.write(reply);
        socket.disconnectFromHost();
    }

    QTcpServer server_;
    QElapsedTimer clock_;
    std::map<QTcpSocket*, QByteArray> pending_;
};

// Runs the event loop until done() holds or five seconds pass; false on the latter.
bool WaitFor(const std::function<bool()>& done) {
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        if (waited.elapsed() > 5000) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Acts once on a dialog of this type when it is the active modal window, however late it
// opens (here: when a network answer comes). The action must close it.
template <typename Dialog>
class WhenItOpens {
  public:
    explicit WhenItOpens(std::function<void(Dialog&)> action) {
        QObject::connect(&timer_, &QTimer::timeout, [this, action = std::move(action)] {
            if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
                timer_.stop();
                ran_ = true;
                test::FrontModal();  // the window system activates the window that opened
                action(*dialog);
                if (dialog->isVisible()) {
                    ADD_FAILURE() << "the dialog was left open";
                    dialog->reject();
                }
            }
        });
        timer_.start(10);
    }
    bool Ran() const { return ran_; }

  private:
    QTimer timer_;
    bool ran_ = false;
};

QByteArray PngOf(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

class LookupHandsetTest : public test::HandsetFixture {
  protected:
    LookupHandsetTest() {
        Settings& settings = AppSettings();
        settings.LookUpUnknownDiscs = true;
        settings.MusicBrainzServer = server.Base() + "/mb";
        settings.CoverArtServer = server.Base() + "/caa";
        settings.CddbServer = "";
    }
    // The demo disc without its CD-Text, so that nothing names it: its own sectors under a
    // cue sheet with the TITLE, PERFORMER and SONGWRITER lines left out.
    std::filesystem::path PlainDemo() {
        const std::filesystem::path demo = test::DemoImage();
        const std::filesystem::path cue = dir.Path() / "plain.cue";
        if (!std::filesystem::exists(cue)) {
            std::filesystem::path bin = demo;
            std::filesystem::create_symlink(bin.replace_extension(".bin"),
                                            dir.Path() / "plain.bin");
            std::istringstream lines(test::ReadFileText(demo));
            std::string text;
            for (std::string line; std::getline(lines, line);) {
                if (line.find("FILE ") != std::string::npos) {
                    line = "FILE \"plain.bin\" BINARY";
                }
                if (line.find("TITLE") == std::string::npos &&
                    line.find("PERFORMER") == std::string::npos &&
                    line.find("SONGWRITER") == std::string::npos) {
                    text += line + "\n";
                }
            }
            test::WriteFileText(cue, text);
        }
        return cue;
    }
    // The corpus answer whose second medium holds the plain demo disc.
    std::string ExactAnswer() {
        std::string answer = Corpus("musicbrainz/exact_two_media.json");
        const DiscToc toc = *TocOfDisc(*DiscOfPlainDemo());
        const std::string corpusId = "lwHl8fGzJyLXQR33ug60E8jhf4k-";
        for (std::size_t at; (at = answer.find(corpusId)) != std::string::npos;) {
            answer.replace(at, corpusId.size(), ComputeDiscIds(toc)->MusicBrainz);
        }
        return answer;
    }
    std::shared_ptr<const DiscInfo> DiscOfPlainDemo() {
        ImageDrive probe(clock, [this] { return std::make_unique<NullOutput>(clock); });
        EXPECT_TRUE(probe.Insert(PlainDemo().string()));
        return probe.Status().Disc;
    }
    void InsertDemo() {
        ASSERT_TRUE(drives.VirtualDrive().Insert(PlainDemo().string()));
        if (!window) {
            Open(drives);
        }
        Tick();
    }
    QString DiscLine() { return Child<QLabel>("labTrack")->text(); }
    const DiscRecord& Record() { return window->Engine().Disc().Record(); }

    LocalServer server;
};

TEST_F(LookupHandsetTest, OneMatchFillsTheInsertedDiscsRecordInMemory) {
    server.routes = {{"/mb/ws/2/discid/", 200, ExactAnswer()}};
    InsertDemo();
    ASSERT_TRUE(WaitFor([&] { return Record().Name == "Harbour Lights"; }));
    EXPECT_EQ(Record().Artist, "Anna Reyes & The Quay Quartet");
    EXPECT_EQ(Record().RecordLabel, "Tidewater Records");
    EXPECT_EQ(Record().Year, 1994);
    EXPECT_EQ(Child<QLabel>("labName")->text(), QStringLiteral("Harbour Lights"));
    EXPECT_EQ(window->Engine().Disc().Tracks().Cell(0, 1), "Low Tide");
    EXPECT_EQ(window->Engine().Disc().Tracks().Cell(0, 3), "Café Señora");
    EXPECT_EQ(window->Engine().Disc().Tracks().Cell(0, 4), "");
    // Stored only when the user stores it, as any new disc.
    EXPECT_EQ(window->Engine().Disc().Number(), 0);

    ASSERT_EQ(server.requests.size(), 1u);
    const DiscToc toc = *TocOfDisc(*device->GetDiscInfo());
    EXPECT_EQ(server.requests[0].Target.rfind(
                  "/mb/ws/2/discid/" + ComputeDiscIds(toc)->MusicBrainz + "?toc=", 0),
              0u);
    EXPECT_EQ(server.requests[0].UserAgent, LookupUserAgent());
}

TEST_F(LookupHandsetTest, NothingIsAskedWhileTheOptionIsOffOrWhenCdTextNamesTheDisc) {
    AppSettings().LookUpUnknownDiscs = false;
    server.routes = {{"/mb/", 200, Corpus("musicbrainz/exact_two_media.json")}};
    InsertDemo();
    Tick();
    QCoreApplication::processEvents();
    EXPECT_TRUE(server.requests.empty());
    EXPECT_NE(Record().Name, "Harbour Lights");

    // The demo disc as it is made carries its title and performer in CD-Text.
    AppSettings().LookUpUnknownDiscs = true;
    drives.VirtualDrive().OpenTray();
    Tick();
    ASSERT_TRUE(drives.VirtualDrive().Insert(test::DemoImage().string()));
    drives.VirtualDrive().CloseTray();
    Tick();
    QCoreApplication::processEvents();
    EXPECT_EQ(Record().Name, "Sonatrix Demo Disc");
    EXPECT_TRUE(server.requests.empty());
}

TEST_F(LookupHandsetTest, ThreeMatchesOpenTheChooserAndTheSecondIsTaken) {
    server.routes = {{"/mb/", 200, Corpus("musicbrainz/fuzzy_three_releases.json")}};
    WhenItOpens<TfrmLookup> choose([](TfrmLookup& dialog) {
        Ui::TfrmLookup& form = dialog.Form();
        EXPECT_EQ(form.lvCandidates->topLevelItemCount(), 3);
        EXPECT_FALSE(form.cbCover->isVisible());  // no picture for a disc not yet stored
        const QTreeWidgetItem* second = form.lvCandidates->topLevelItem(1);
        EXPECT_EQ(second->text(0), QStringLiteral("Northern Songs (Remastered)"));
        EXPECT_EQ(second->text(1), QStringLiteral("Kestrel"));
        EXPECT_EQ(second->text(2), QStringLiteral("2011"));
        EXPECT_EQ(second->text(3), QStringLiteral("Fieldfare Europe"));
        EXPECT_EQ(second->text(4), QStringLiteral("DE"));
        EXPECT_EQ(second->text(5), QStringLiteral("3"));
        EXPECT_TRUE(form.btnOK->isDefault());
        // The list has the keys as the chooser opens: Home, then Down, is the second release.
        QTreeWidget* list = form.lvCandidates;
        EXPECT_EQ(QApplication::focusWidget(), list);
        test::Key(Qt::Key_Home);
        test::Key(Qt::Key_Down);
        EXPECT_EQ(list->currentItem(), second);
        test::Shot(dialog, "lookup_chooser.png");
        test::Key(Qt::Key_Return);
    });
    InsertDemo();
    ASSERT_TRUE(WaitFor([&] { return choose.Ran(); }));
    EXPECT_EQ(Record().Name, "Northern Songs (Remastered)");
    EXPECT_EQ(Record().RecordLabel, "Fieldfare Europe");
}

TEST_F(LookupHandsetTest, AChooserDismissedLeavesTheRecordAsItWas) {
    server.routes = {{"/mb/", 200, Corpus("musicbrainz/fuzzy_three_releases.json")}};
    // Dismissed by Escape, once its keys and names are checked.
    WhenItOpens<TfrmLookup> dismiss([](TfrmLookup& dialog) { test::ExpectKeyboardMap(dialog); });
    InsertDemo();
    const std::string before = Record().Name;
    ASSERT_TRUE(WaitFor([&] { return dismiss.Ran(); }));
    EXPECT_EQ(Record().Name, before);
}

TEST_F(LookupHandsetTest, EachFailureIsOneLineOnTheDiscPanel) {
    const std::vector<std::pair<LocalServer::Route, std::string>> cases = {
        {{"/mb/", 404, "{\"error\":\"Not Found\"}"}, "No names found for this disc online."},
        {{"/mb/", 503, "busy"}, "MusicBrainz answered 503."},
        {{"/mb/", 200, "{\"releases\":[{\"title\":"},
         "MusicBrainz gave an answer that cannot be read."},
    };
    for (const auto& [route, line] : cases) {
        server.routes = {route};
        if (window) {
            drives.VirtualDrive().OpenTray();
            Tick();
            drives.VirtualDrive().CloseTray();
            Tick();
        } else {
            InsertDemo();
        }
        EXPECT_TRUE(WaitFor([&] { return DiscLine() == QString::fromStdString(line); }))
            << line << " / shown: " << DiscLine().toStdString();
    }
    EXPECT_TRUE(messages.Errors().empty());  // never a message box
}

TEST_F(LookupHandsetTest, TheCacheAnswersTheNextInsertionWithTheServerStopped) {
    server.routes = {{"/mb/", 200, ExactAnswer()}};
    InsertDemo();
    ASSERT_TRUE(WaitFor([&] { return Record().Name == "Harbour Lights"; }));
    server.Stop();
    Restart();
    Tick();
    ASSERT_TRUE(WaitFor([&] { return Record().Name == "Harbour Lights"; }));
    EXPECT_EQ(server.requests.size(), 1u);
}

TEST_F(LookupHandsetTest, TheEditorsLookUpFillsTheFieldsAndCancelStoresNone) {
    AppSettings().LookUpUnknownDiscs = false;
    server.routes = {{"/mb/", 200, ExactAnswer()}};
    InsertDemo();
    const std::string before = Record().Name;
    test::Activate(*window);
    test::Boxes boxes(&*window);
    boxes
        .Dialog<TfrmCDData>([&](TfrmCDData& dialog) {
            Ui::TfrmCDData& form = dialog.Form();
            EXPECT_EQ(form.btnLookup->text(), QStringLiteral("&Look up"));
            boxes
                .Dialog<TfrmLookup>([](TfrmLookup& chooser) {
                    EXPECT_TRUE(chooser.Form().cbCover->isVisible());
                    EXPECT_TRUE(chooser.Form().cbCover->isEnabled());
                    test::AltOnTop('o');
                })
                .Over(&dialog);
            test::AltOnTop('l');
            ASSERT_TRUE(
                WaitFor([&] { return form.edName->text() == QStringLiteral("Harbour Lights"); }));
            EXPECT_EQ(form.cbArt->lineEdit()->text(),
                      QStringLiteral("Anna Reyes & The Quay Quartet"));
            EXPECT_EQ(form.cbComp->lineEdit()->text(), QStringLiteral("M. Okafor, Anna Reyes"));
            EXPECT_EQ(form.cbLab->lineEdit()->text(), QStringLiteral("Tidewater Records"));
            EXPECT_EQ(form.cbCat->lineEdit()->text(), QStringLiteral("chamber folk"));
            EXPECT_EQ(form.edYear->text(), QStringLiteral("1994"));
            EXPECT_TRUE(form.lbTracks->Row(0).endsWith(QStringLiteral("Low Tide")));
            EXPECT_EQ(form.labLookup->text(),
                      QStringLiteral("Names filled from MusicBrainz; OK stores them."));
            test::Shot(dialog, "lookup_editor.png");
            test::FrontModal();
            test::Key(Qt::Key_Escape);
        })
        .Over(&*window);
    test::Menu(*window, "fd");
    EXPECT_TRUE(boxes.Done());
    EXPECT_EQ(Record().Name, before);
    DiscRecord stored;
    StringGrid tracks;
    TextBox memo;
    KeySnapshot keys;
    catalogue.LoadDiscRecord(window->Engine().Disc().Identity(), stored, tracks, memo, keys);
    EXPECT_NE(stored.Name, "Harbour Lights");
    EXPECT_NE(tracks.Cell(0, 1), "Low Tide");
}

TEST_F(LookupHandsetTest, TheCoverTakenIsStoredAsAPictureTheCheckerAccepts) {
    AppSettings().LookUpUnknownDiscs = false;
    const std::string release = "0f3c1a52-8a3e-4e52-9d2b-6b2f0c1d9e01";
    server.routes = {
        {"/mb/", 200, Corpus("musicbrainz/exact_two_media.json")},
        {"/caa/release/" + release + "/front-500", 200, PngOf(640, 480).toStdString()}};
    InsertDemo();
    test::Activate(*window);
    test::Boxes boxes(&*window);
    boxes
        .Dialog<TfrmCDData>([&](TfrmCDData& dialog) {
            boxes
                .Dialog<TfrmLookup>([](TfrmLookup& chooser) {
                    test::AltOnTop('c');
                    EXPECT_TRUE(chooser.Form().cbCover->isChecked());
                    test::AltOnTop('o');
                })
                .Over(&dialog);
            test::AltOnTop('l');
            ASSERT_TRUE(WaitFor([&] {
                return dialog.Form().labLookup->text().contains(QStringLiteral("picture"));
            })) << dialog.Form().labLookup->text().toStdString();
            test::FrontModal();
            test::Key(Qt::Key_Return);
        })
        .Over(&*window);
    test::Menu(*window, "fd");
    EXPECT_TRUE(boxes.Done());
    const std::int32_t address = Record().BitmapAddress;
    ASSERT_NE(address, 0);
    EXPECT_TRUE(CheckCatalogue(dir.Path()).empty());
    ASSERT_TRUE(catalogue.OpenDiscVlf());
    const std::filesystem::path shown = dir.Path() / "shown.img";
    ASSERT_TRUE(holder.Vlf.ExtractFile(address, shown, 0));
    catalogue.CloseDiscVlf();
    const QImage picture(QString::fromStdString(shown.string()));
    EXPECT_EQ(picture.width(), kMaxCoverSide);
    EXPECT_EQ(picture.height(), 375);
}

class OnlineLookupTest : public ::testing::Test {
  protected:
    OnlineLookupTest() {
        SetSettingsDirectories(dir.Path(), dir.Path());
        LoadSettings();
        AppSettings().MusicBrainzServer = server.Base() + "/mb";
        AppSettings().CddbServer = server.Base() + "/cddb";
    }
    LookupOutcome Look(OnlineLookup& lookup, const DiscToc& disc) {
        std::optional<LookupOutcome> outcome;
        lookup.Lookup(disc, [&](const LookupOutcome& o) { outcome = o; });
        EXPECT_TRUE(WaitFor([&] { return outcome.has_value(); }));
        return outcome.value_or(LookupOutcome{});
    }

    test::TempDir dir;
    LocalServer server;
    const DiscToc toc{1, 95462, {150, 20000, 50000}};
};

TEST_F(OnlineLookupTest, ASlowAnswerPastTheTimeoutIsItsOwnLine) {
    EXPECT_EQ(kLookupTimeoutMs, 10000);
    server.routes = {{"/mb/", 200, "{}", true}, {"/cddb", 200, "{}", true}};
    OnlineLookup lookup(dir.Path(), 300);  // the program waits 10 s; the test need not
    EXPECT_EQ(Look(lookup, toc).Message, "MusicBrainz: the server did not answer in time.");
}

TEST_F(OnlineLookupTest, TheCddbPathReadsEveryInexactMatchOverHttp) {
    AppSettings().MusicBrainzServer = "";
    server.routes = {{"cmd=cddb+query+", 200, Corpus("cddb/query_211_inexact.txt")},
                     {"cmd=cddb+read+misc+", 200, Corpus("cddb/read_401.txt")},
                     {"cmd=cddb+read+", 200, Corpus("cddb/read_210_multiline.txt")}};
    OnlineLookup lookup(dir.Path());
    const LookupOutcome outcome = Look(lookup, toc);
    ASSERT_EQ(outcome.Candidates.size(), 1u);
    EXPECT_EQ(outcome.Candidates[0].Name,
              "Harbour Lights, a Very Long Title That Goes On Over Two Lines");
    ASSERT_EQ(server.requests.size(), 3u);
    const std::string hello = "&hello=user+localhost+Sonatrix+" SONATRIX_VERSION_TEXT "&proto=6";
    EXPECT_EQ(server.requests[0].Target, "/cddb?cmd=cddb+query+" + ComputeDiscIds(toc)->Freedb +
                                             "+3+150+20000+50000+1272" + hello);
    EXPECT_EQ(server.requests[2].Target, "/cddb?cmd=cddb+read+misc+0a01c804" + hello);
}

TEST_F(OnlineLookupTest, TwoLookupsAskMusicBrainzASecondApart) {
    server.routes = {{"/mb/", 404, "{}"}};
    AppSettings().CddbServer = "";
    OnlineLookup lookup(dir.Path());
    int answered = 0;
    lookup.Lookup(toc, [&](const LookupOutcome&) { ++answered; });
    lookup.Lookup({1, 80000, {150, 30000}}, [&](const LookupOutcome&) { ++answered; });
    ASSERT_TRUE(WaitFor([&] { return answered == 2; }));
    ASSERT_EQ(server.requests.size(), 2u);
    EXPECT_GE(server.requests[1].AtMs - server.requests[0].AtMs, 990);
}

}  // namespace
}  // namespace snx
