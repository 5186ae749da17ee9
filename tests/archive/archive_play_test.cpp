// An archived disc played as users reach it: from the browser opened from the handset, the disc
// chosen by keys and played by its letter; the disc's record, mode and times apply as with the
// disc itself, and a missing file is told once on the handset.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include "archive/archive_cue.h"
#include "archive/archive_index.h"
#include "archive/disc_archiver.h"
#include "archive/flac_image.h"
#include "catalogue_ui/catalogue_dialog.h"
#include "cd/cdio_disc.h"
#include "tests/support/boxes.h"
#include "tests/support/handset_fixture.h"
#include "tests/support/modal_dialog.h"
#include "tests/support/stored_disc.h"
#include "tests/support/user_input.h"

namespace snx {
namespace {

class ArchivePlayTest : public test::HandsetFixture {
  protected:
    // Catalogues a disc of two tracks under name, in the given mode, and archives it if asked.
    std::string Catalogue(const std::string& image, const std::string& name, PlayMode mode,
                          bool archive) {
        const std::filesystem::path cue = test::GenerateImage(
            dir.Path(), image, {test::Track(0, 20), test::Track(0, archive ? 9 : 11, 40)});
        const std::shared_ptr<DiscInfo> disc = ReadDiscInfo(OpenImage(cue.string()).get());
        const std::string identity = DiscIdentity(*disc);
        test::StoreDisc(catalogue, identity, [&](test::StoredDisc& stored) {
            stored.Record.Name = name;
            stored.Record.TrackCount = 2;
            stored.Record.SavedPlayMode = static_cast<std::int16_t>(mode);
        });
        if (archive) {
            ArchiveRequest request;
            request.Disc = disc;
            request.Source = cue.string();
            request.OpenReader = [cue] { return OpenImageReader(cue.string()); };
            request.Folder = dir / "music" / name;
            request.Metadata.Identity = identity;
            const std::atomic<bool> cancel = false;
            const ArchiveReport report = ExtractDisc(request, {}, cancel);
            EXPECT_EQ(report.Error, "");
            ArchiveIndex::Load(dir.Path(), dir / "music").Remember(identity, report.Folder);
            archive_ = CueSheetPath(report.Folder);
        }
        return identity;
    }

    // Ticks, the clock going, until the mode line changes from what it was.
    std::string NextModeLine() {
        const std::string before = window->Engine().ModeLine();
        for (int i = 0; i < 500 && window->Engine().ModeLine() == before; ++i) {
            QTest::qWait(5);
            clock.Advance(200'000);
            Tick();
        }
        return window->Engine().ModeLine();
    }

    std::filesystem::path archive_;
};

TEST_F(ArchivePlayTest, TheBrowserPlaysAnArchivedDiscAsTheDisc) {
    AppSettings().ArchiveFolder = (dir / "music").string();
    const std::string archived = Catalogue("shelved", "Nocturnes", PlayMode::Track, true);
    Catalogue("other", "Partitas", PlayMode::Disc, false);
    // The second track's file has gone: its length is in the sheet, its sound is silence.
    std::filesystem::remove(archive_.parent_path() / "02 - Track 02.flac");
    drives.VirtualDrive().SetImageOpener(OpenArchiveImage);
    LoadDisc(3);
    Open(drives);
    Tick();
    test::Activate(*window);

    // What --play-archive plays.
    EXPECT_EQ(ArchivedCueSheet(dir.Path(), dir / "music", archived), archive_);
    EXPECT_EQ(ArchivedCueSheet(dir.Path(), dir / "music", "00000000000374F6"), "");

    std::vector<bool> playable;
    {
        test::Boxes boxes(&*window);
        boxes.Dialog<TfrmCat>([&](TfrmCat& browser) {
            auto* play = browser.findChild<QPushButton*>(QStringLiteral("btnArchive"));
            // Tabbed to the tree, as the user gets there.
            auto* tree = browser.findChild<QTreeView*>(QStringLiteral("TV"));
            for (int i = 0; i < 20 && QApplication::focusWidget() != tree; ++i) {
                test::Key(Qt::Key_Tab);
            }
            ASSERT_EQ(QApplication::focusWidget(), tree);
            playable.push_back(play->isEnabled());  // nothing selected yet
            test::Key(Qt::Key_End);                 // "Partitas", without an archive
            playable.push_back(play->isEnabled());
            test::Key(Qt::Key_Home);  // "Nocturnes"
            playable.push_back(play->isEnabled());
            test::Alt('p');
            test::Key(Qt::Key_Escape);
        });
        test::Alt('w');
        EXPECT_TRUE(boxes.Done());
    }
    EXPECT_EQ(playable, (std::vector<bool>{false, false, true}));

    // The archive is in the virtual drive, selected, and plays as the disc: its identity, its
    // record and its mode.
    EXPECT_EQ(drives.VirtualDrive().ImagePath(), archive_.string());
    EXPECT_EQ(AppSettings().CdromInUse, drives.VirtualDriveIndex());
    EXPECT_EQ(AppSettings().VirtualDriveImage, archive_.string());
    EXPECT_EQ(window->Engine().Disc().Identity(), archived);
    EXPECT_EQ(window->Engine().DiscNameText(), "Nocturnes");
    EXPECT_EQ(window->Engine().State.Mode, PlayMode::Track);
    EXPECT_EQ(device->GetMode(), CdMode::Playing);
    EXPECT_EQ(device->TrackCount, 2);
    clock.AdvanceSeconds(3.5);
    Tick();
    EXPECT_EQ(window->Engine().StatusTitle(), "SNX [1] 00.03");

    // Into the missing track: the handset says which file, once, then shows the mode again.
    test::Click(Child<QToolButton>("btnForward"));
    EXPECT_EQ(NextModeLine(), "Cannot read 02 - Track 02.flac");
    EXPECT_EQ(NextModeLine(), "Mode: Track");
    test::Click(Child<QToolButton>("btnBack"));
    test::Click(Child<QToolButton>("btnForward"));
    for (int i = 0; i < 10; ++i) {
        clock.Advance(500'000);
        Tick();
        EXPECT_EQ(window->Engine().ModeLine(), "Mode: Track");
    }
}

}  // namespace
}  // namespace snx
