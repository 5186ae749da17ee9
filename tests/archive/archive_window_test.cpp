// The archive window reached as users reach it, from the handset's File menu, over the
// virtual drive while its image plays.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>
#include <atomic>
#include <optional>

#include "archive/archive_index.h"
#include "archive/archive_source.h"
#include "archive/archive_window.h"
#include "catalogue_ui/catalogue_dialog.h"
#include "tests/support/boxes.h"
#include "tests/support/handset_fixture.h"
#include "tests/support/user_input.h"

namespace snx {
namespace {

class ArchiveWindowTest : public test::HandsetFixture {
  protected:
    ArchiveWindowTest() {
        AppSettings().ArchiveFolder = (dir / "music").string();
        LoadDisc(3);
        // Catalogued under a name stored by another system (Windows-1252).
        DiscRecord record;
        StringGrid tracks;
        TextBox memo;
        KeySnapshot keys;
        catalogue.LoadDiscRecord(DiscIdentity(*drives.VirtualDrive().Status().Disc), record, tracks,
                                 memo, keys);
        record.Name = "Caf\xE9 Society";
        record.TrackCount = 3;
        tracks.SetCell(0, 1, "Overture");
        catalogue.StoreDiscRecord(record, tracks, memo, keys);
        Open(drives);
        Tick();
        window->UseArchiveSource([this] {
            std::optional<ArchiveSource> source = ArchiveSourceOf(drives, AppSettings().CdromInUse);
            if (source && holdReading_) {
                // A drive slow to start: the copy reads nothing until the test lets it.
                source->OpenReader = [open = source->OpenReader, this] {
                    readingAllowed_.wait(false);
                    return open();
                };
            }
            return source;
        });
    }
    // The copy's thread may wait on this test's gate: it is let go and joined (by the window's
    // end) before the gate goes.
    ~ArchiveWindowTest() override {
        AllowReading();
        if (window) {
            window->close();
        }
        window.reset();
    }

    void AllowReading() {
        readingAllowed_ = true;
        readingAllowed_.notify_all();
    }

    // Runs the event loop and the handset's ticks until the archive is done. However slow the
    // machine, the copy ends (it reads a file), so no wall-clock limit, which a loaded machine
    // can overrun. The clock moves the disc on by at most a minute, so it is still playing.
    void WaitForArchive() {
        int advanced = 0;
        while (!window->OpenArchiveWindow()->Finished()) {
            QTest::qWait(10);
            if (advanced < 600) {
                clock.Advance(100'000);
                ++advanced;
            }
            Tick();
        }
    }

    bool holdReading_ = false;
    std::atomic<bool> readingAllowed_ = false;

    QString Status() {
        return window->OpenArchiveWindow()->findChild<QLabel*>(QStringLiteral("lblStatus"))->text();
    }
};

TEST_F(ArchiveWindowTest, ArchivesTheDiscWhileItPlaysAndCancels) {
    test::Menu(*window, "op");
    Tick();
    ASSERT_EQ(device->GetMode(), CdMode::Playing);
    // The first archive offers the database check; the user declines.
    {
        test::Boxes boxes(&*window);
        boxes.Question(
            "Check the archived tracks against the AccurateRip database? This tells the "
            "AccurateRip server of the settings which disc you archive.",
            false);
        test::Menu(*window, "fa");
    }
    ArchiveWindow* archive = window->OpenArchiveWindow();
    ASSERT_NE(archive, nullptr);
    WaitForArchive();
    EXPECT_EQ(device->GetMode(), CdMode::Playing);
    EXPECT_TRUE(AppSettings().VerificationOffered);
    EXPECT_FALSE(AppSettings().VerifyArchives);

    const auto* rows = archive->findChild<QTreeWidget*>(QStringLiteral("twTracks"));
    ASSERT_EQ(rows->topLevelItemCount(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(rows->topLevelItem(i)->text(2), QStringLiteral("done"));
        EXPECT_EQ(rows->topLevelItem(i)->text(4).size(), 8);
        EXPECT_EQ(rows->topLevelItem(i)->text(5), QStringLiteral("Not checked"));
    }
    EXPECT_EQ(archive->findChild<QProgressBar*>(QStringLiteral("pbTotal"))->value(), 1000);
    EXPECT_EQ(Status(), QStringLiteral("All 3 tracks copied; not checked against AccurateRip."));
    const std::filesystem::path folder = archive->Report().Folder;
    EXPECT_EQ(folder.filename(), "Unknown - Caf\u00e9 Society");
    EXPECT_TRUE(std::filesystem::exists(folder / "01 - Overture.flac"));
    EXPECT_TRUE(ArchiveIndex::Load(dir.Path(), dir / "music").Contains(archive->Report().Identity));

    // The browser marks the disc as archived.
    {
        test::Boxes boxes(&*window);
        boxes.Dialog<TfrmCat>([&](TfrmCat& browser) {
            const auto* tree = browser.findChild<QTreeView*>(QStringLiteral("TV"));
            const QModelIndex disc = tree->model()->index(0, 0);
            EXPECT_EQ(disc.data(Qt::DisplayRole).toString(), QStringLiteral("Caf\u00e9 Society"));
            EXPECT_EQ(disc.data(Qt::ToolTipRole).toString(),
                      QStringLiteral("Archived in ") + QString::fromStdString(folder.string()));
            test::Key(Qt::Key_Escape);
        });
        test::Menu(*window, "fw");
    }

    // A second archive, cancelled from its window before it reads a sector: nothing of it is
    // left.
    holdReading_ = true;
    test::Menu(*window, "fa");
    archive = window->OpenArchiveWindow();
    test::WaitUntilActive(*archive);
    test::Key(Qt::Key_Escape);
    EXPECT_EQ(Status(), QStringLiteral("Cancelling..."));
    AllowReading();
    WaitForArchive();
    EXPECT_TRUE(archive->Report().Cancelled);
    EXPECT_FALSE(std::filesystem::exists(dir / "music" / "Unknown - Caf\u00e9 Society (2)"));
    EXPECT_EQ(Status(), QStringLiteral("Cancelled: no unfinished file was kept."));
    test::Key(Qt::Key_Return);
    EXPECT_FALSE(archive->isVisible());
}

}  // namespace
}  // namespace snx
