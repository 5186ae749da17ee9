// Every menu and dialog of the program, opened as a keyboard user opens them, checked for
// letters used twice, controls no key reaches, a default button and an Escape that cancels.
#include <gtest/gtest.h>

#include <QMenu>
#include <QMenuBar>

#include "archive/archive_source.h"
#include "archive/archive_window.h"
#include "catalogue_ui/bitmap_dialog.h"
#include "catalogue_ui/catalogue_dialog.h"
#include "catalogue_ui/disc_data_dialog.h"
#include "catalogue_ui/item_dialog.h"
#include "catalogue_ui/list_dialog.h"
#include "catalogue_ui/track_dialogs.h"
#include "exchange/export_dialog.h"
#include "exchange/import_dialog.h"
#include "programming/fit_dialog.h"
#include "programming/mode_dialog.h"
#include "programming/programme_dialog.h"
#include "programming/tracks_dialog.h"
#include "samples/adjust_dialog.h"
#include "samples/record_dialog.h"
#include "samples/sample_recorder.h"
#include "samples/select_play_dialog.h"
#include "settings/config_dialog.h"
#include "settings/drive_dialog.h"
#include "small_handset/small_handset_window.h"
#include "tests/support/boxes.h"
#include "tests/support/handset_fixture.h"
#include "tests/support/keyboard_map.h"
#include "tests/support/user_input.h"
#include "widgets/help_window.h"

namespace snx {
namespace {

class KeyboardMapTest : public test::HandsetFixture {
  protected:
    // The dialog opened by keys checked and cancelled.
    template <typename D>
    void Check(const std::function<void()>& keys) {
        SCOPED_TRACE(D::staticMetaObject.className());
        test::Boxes boxes(&*window);
        boxes.Dialog<D>([](D& dialog) { test::ExpectKeyboardMap(dialog); });
        keys();
        EXPECT_TRUE(boxes.Done());
    }
    // The dialog opened by keys checked, then inner opened from it by its letter and checked.
    template <typename D, typename Inner>
    void CheckWithin(const std::function<void()>& keys, char letter) {
        CheckWithin<D, Inner>(keys, [letter] { test::Alt(letter); });
    }
    // The same, inner opened from the dialog by the keys within.
    template <typename D, typename Inner>
    void CheckWithin(const std::function<void()>& keys, const std::function<void()>& within) {
        SCOPED_TRACE(D::staticMetaObject.className());
        test::Boxes boxes(&*window);
        boxes
            .Dialog<D>([within](D& dialog) {
                for (const std::string& fault : test::WindowFaults(dialog)) {
                    ADD_FAILURE() << fault;
                }
                within();
            })
            .StaysOpen();
        boxes.Dialog<Inner>([](Inner& inner) { test::ExpectKeyboardMap(inner); });
        boxes.Dialog<D>([](D& dialog) { test::ExpectKeyboardMap(dialog); });
        keys();
        EXPECT_TRUE(boxes.Done());
    }
    void Menu(const char* letters) { test::Menu(*window, letters); }
    static void ExpectNoFaults(const std::vector<std::string>& faults) {
        for (const std::string& fault : faults) {
            ADD_FAILURE() << fault;
        }
    }
};

TEST_F(KeyboardMapTest, EveryMenuAndDialogTakesTheKeyboard) {
    InsertDisc(3);
    test::Activate(*window);
    for (const std::string& fault : test::MenuBarFaults(*window->menuBar())) {
        ADD_FAILURE() << fault;
    }
    CheckWithin<TfrmCDData, TfrmEdTr>([this] { Menu("fd"); }, 't');
    CheckWithin<TfrmCDData, TfrmBitmap>([this] { Menu("fd"); }, 'b');
    // The single track's editor: Enter on a track of the editor's list.
    CheckWithin<TfrmCDData, TfrmSTrack>([this] { Menu("fd"); },
                                        [] {
                                            test::Alt('k');
                                            test::Key(Qt::Key_Down);
                                            test::Key(Qt::Key_Return);
                                        });
    CheckWithin<TfrmLists, TfrmItem>([this] { Menu("ffc"); }, 'a');
    Check<TfrmCat>([this] { Menu("fw"); });
    {
        // Each page of the settings in turn.
        test::Boxes boxes(&*window);
        boxes.Dialog<Tfrmconf>([](Tfrmconf& dialog) {
            for (int page = 0; page < 3; ++page) {
                for (const std::string& fault : test::WindowFaults(dialog)) {
                    ADD_FAILURE() << "page " << page << ": " << fault;
                }
                test::Key(Qt::Key_Tab, Qt::ControlModifier);
            }
            test::ExpectKeyboardMap(dialog);
        });
        Menu("fc");
        EXPECT_TRUE(boxes.Done());
    }
    Check<TfrmCD>([this] { Menu("fs"); });
    Check<TfrmExport>([this] { Menu("fx"); });
    Check<TfrmImport>([this] { Menu("fi"); });
    Check<TfrmTracks>([this] { Menu("ot"); });
    Check<TfrmProgramme>([this] { Menu("oo"); });
    Check<TfrmFit>([this] { Menu("of"); });
    Check<TfrmMode>([this] { Menu("mm"); });
    Check<TfrmSelectPlay>([this] {
        test::Activate(*window);
        test::Alt('y');
    });

    // The help F1 opens.
    test::Activate(*window);
    test::Key(Qt::Key_F1);
    HelpWindow* help = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* shown = qobject_cast<HelpWindow*>(top); shown != nullptr && shown->isVisible()) {
            help = shown;
        }
    }
    ASSERT_NE(help, nullptr) << "F1 opens no help";
    ExpectNoFaults(test::WindowFaults(*help));
    help->close();

    // The small handset and its pop-up menu; its letter "f" leads back.
    Menu("a");
    ASSERT_NE(window->SmallHandset(), nullptr);
    test::Activate(*window->SmallHandset());
    ExpectNoFaults(test::WindowFaults(*window->SmallHandset()));
    auto* popup = window->SmallHandset()->findChild<QMenu*>(QStringLiteral("PopupMenu1"));
    ASSERT_NE(popup, nullptr);
    ExpectNoFaults(test::MenuFaults(popup->actions(), "small handset's pop-up menu"));
    test::ContextMenu("f");
    ASSERT_EQ(window->SmallHandset(), nullptr);

    // The archive window, which starts copying at once; Escape cancels the copy.
    AppSettings().ArchiveFolder = (dir / "music").string();
    window->UseArchiveSource([this] { return ArchiveSourceOf(drives, AppSettings().CdromInUse); });
    {
        test::Boxes boxes(&*window);
        boxes.Question(
            "Check the archived tracks against the AccurateRip database? This tells the "
            "AccurateRip server of the settings which disc you archive.",
            false);
        Menu("fa");
        EXPECT_TRUE(boxes.Done());
    }
    ArchiveWindow* archive = window->OpenArchiveWindow();
    ASSERT_NE(archive, nullptr);
    test::Activate(*archive);
    ExpectNoFaults(test::WindowFaults(*archive));
    test::Key(Qt::Key_Escape);
    // The copy stops at its next second of audio, read as the handset ticks.
    EXPECT_TRUE(QTest::qWaitFor(
        [this, archive] {
            clock.Advance(100);
            Tick();
            return archive->Finished();
        },
        30000));
    test::Key(Qt::Key_Escape);
    EXPECT_FALSE(archive->isVisible());
    test::Activate(*window);

    // The recording options, made once by the program, and the bookmark's adjustment.
    window->close();
    window.reset();
    SampleRecorder recorder(catalogue);
    TfrmRecord record(recorder);
    Open(drives);
    window->UseRecordDialog(record);
    Tick();
    window->Engine().State.BookmarkStart = device->TrackStart[1];
    window->Engine().State.BookmarkEnd = device->TrackStart[2];
    test::Activate(*window);
    CheckWithin<TfrmRecord, TfrmAdjust>([] { test::Alt('j'); }, 'a');
    window->close();
    window.reset();
}

}  // namespace
}  // namespace snx
