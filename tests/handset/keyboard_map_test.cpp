// Every menu and dialog of the program, opened as a keyboard user opens them, checked for
// letters used twice, controls no key reaches, a default button and an Escape that cancels.
#include <gtest/gtest.h>

#include <QMenuBar>

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
#include "settings/config_dialog.h"
#include "settings/drive_dialog.h"
#include "tests/support/boxes.h"
#include "tests/support/handset_fixture.h"
#include "tests/support/keyboard_map.h"
#include "tests/support/user_input.h"

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
        SCOPED_TRACE(D::staticMetaObject.className());
        test::Boxes boxes(&*window);
        boxes
            .Dialog<D>([letter](D& dialog) {
                for (const std::string& fault : test::WindowFaults(dialog)) {
                    ADD_FAILURE() << fault;
                }
                test::Alt(letter);
            })
            .StaysOpen();
        boxes.Dialog<Inner>([](Inner& inner) { test::ExpectKeyboardMap(inner); });
        boxes.Dialog<D>([](D& dialog) { test::ExpectKeyboardMap(dialog); });
        keys();
        EXPECT_TRUE(boxes.Done());
    }
    void Menu(const char* letters) { test::Menu(*window, letters); }
};

TEST_F(KeyboardMapTest, EveryMenuAndDialogTakesTheKeyboard) {
    InsertDisc(3);
    test::Activate(*window);
    for (const std::string& fault : test::MenuBarFaults(*window->menuBar())) {
        ADD_FAILURE() << fault;
    }
    CheckWithin<TfrmCDData, TfrmEdTr>([this] { Menu("fd"); }, 't');
    CheckWithin<TfrmCDData, TfrmBitmap>([this] { Menu("fd"); }, 'b');
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
