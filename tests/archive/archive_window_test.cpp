// The archive window reached as users reach it, from the handset's File menu, over the
// virtual drive while its image plays.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeView>
#include <QTreeWidget>

#include "archive/archive_index.h"
#include "archive/archive_source.h"
#include "archive/archive_window.h"
#include "catalogue_ui/catalogue_dialog.h"
#include "tests/support/handset_fixture.h"
#include "tests/support/modal_dialog.h"

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
        window->UseArchiveSource(
            [this] { return ArchiveSourceOf(drives, AppSettings().CdromInUse); });
    }

    // Runs the event loop, the handset ticking and the clock going, until the archive is done.
    bool WaitForArchive() {
        QElapsedTimer waited;
        waited.start();
        while (!window->OpenArchiveWindow()->Finished()) {
            if (waited.elapsed() > 30000) {
                return false;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            clock.Advance(100);
            Tick();
        }
        return true;
    }

    QString Status() {
        return window->OpenArchiveWindow()->findChild<QLabel*>(QStringLiteral("lblStatus"))->text();
    }
};

TEST_F(ArchiveWindowTest, ArchivesTheDiscWhileItPlaysAndCancels) {
    Child<QToolButton>("btnPlay")->click();
    Tick();
    // The first archive offers the database check; the user declines.
    messages.Answer(false);
    Action("&Archive disc...")->trigger();
    ArchiveWindow* archive = window->OpenArchiveWindow();
    ASSERT_NE(archive, nullptr);
    ASSERT_TRUE(WaitForArchive());
    EXPECT_EQ(device->GetMode(), CdMode::Playing);
    EXPECT_EQ(messages.UnusedAnswers(), 0u);
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
    const auto browsed = test::WhenOpened<TfrmCat>([&](TfrmCat& browser) {
        const auto* tree = browser.findChild<QTreeView*>(QStringLiteral("TV"));
        const QModelIndex disc = tree->model()->index(0, 0);
        EXPECT_EQ(disc.data(Qt::DisplayRole).toString(), QStringLiteral("Caf\u00e9 Society"));
        EXPECT_EQ(disc.data(Qt::ToolTipRole).toString(),
                  QStringLiteral("Archived in ") + QString::fromStdString(folder.string()));
    });
    Action("Bro&wse CD database")->trigger();

    // A second archive, cancelled from its window at once: nothing of it is left.
    Action("&Archive disc...")->trigger();
    archive = window->OpenArchiveWindow();
    archive->findChild<QPushButton*>(QStringLiteral("btnCancel"))->click();
    ASSERT_TRUE(WaitForArchive());
    EXPECT_TRUE(archive->Report().Cancelled);
    EXPECT_FALSE(std::filesystem::exists(dir / "music" / "Unknown - Caf\u00e9 Society (2)"));
    EXPECT_EQ(Status(), QStringLiteral("Cancelled: no unfinished file was kept."));
    archive->findChild<QPushButton*>(QStringLiteral("btnCancel"))->click();
    EXPECT_FALSE(archive->isVisible());
}

}  // namespace
}  // namespace snx
