// The disc data editor and its track, bitmap and programme dialogs, opened from the handset and
// the browser as the user opens them and worked by their keys, with the catalogue checked after
// every store.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "catalogue/catalogue_check.h"
#include "catalogue_ui/bitmap_dialog.h"
#include "catalogue_ui/disc_data_dialog.h"
#include "catalogue_ui/track_dialogs.h"
#include "programming/programme_dialog.h"
#include "programming/track_list.h"
#include "tests/catalogue_ui/catalogue_window_fixture.h"
#include "tests/support/modal_dialog.h"
#include "tests/support/temp_dir.h"
#include "tests/support/user_input.h"
#include "ui_disc_data_dialog.h"
#include "ui_single_track_dialog.h"

namespace snx {
namespace {

using test::Strings;

QLineEdit* Edit(QWidget& dialog, const char* name) {
    return dialog.findChild<QLineEdit*>(QString::fromLatin1(name));
}

// A click on a cell of the grid, which opens it for typing, its window brought to the front.
void ClickCell(QTableWidget& table, int row, int column) {
    QTest::mouseClick(table.viewport(), Qt::LeftButton, Qt::NoModifier,
                      table.visualItemRect(table.item(row, column)).center());
    test::CatalogueWindowTest::Front();
}

class EditorDialogTest : public test::CatalogueWindowTest {
  protected:
    EditorDialogTest() { tracks_ = 3; }

    // The stored record of the disc in the drive, with its tracks and notes.
    struct Loaded {
        DiscRecord Record;
        StringGrid Tracks;
        TextBox Memo;
        KeySnapshot Keys;
    };
    Loaded Load() {
        Loaded loaded;
        EXPECT_GT(catalogue.LoadDiscRecord(Drive(), loaded.Record, loaded.Tracks, loaded.Memo,
                                           loaded.Keys),
                  0);
        return loaded;
    }
    // The editor of the disc in the drive opened from the handset's File menu; act works it and
    // closes it, and the handset stores what it gives.
    void EditDisc(std::function<void(TfrmCDData&)> act) {
        boxes->Dialog<TfrmCDData>(std::move(act)).Over(&*window);
        test::Menu(*window, "fd");
        EXPECT_TRUE(boxes->Done());
        ExpectSound();
    }
};

TEST_F(EditorDialogTest, TypingCompletesFromTheListOnEveryKeyRelease) {
    test::WriteFileText(dir.Path() / "composer.fle", "Bach\r\nAdagio\r\nZelenka\r\n");
    test::WriteFileText(dir.Path() / "type.fle", "Jazz\r\n");
    EditDisc([](TfrmCDData& dialog) {
        QComboBox* combo = dialog.Form().cbComp;
        ASSERT_EQ(combo->count(), 3);
        EXPECT_EQ(combo->itemText(0), QStringLiteral("Adagio"));
        QLineEdit* edComp = Edit(dialog, "edComp");
        ASSERT_NE(edComp, nullptr);
        // The label's letter puts the focus on the field, which the keys then reach.
        Retype('o', QStringLiteral("a"));
        EXPECT_EQ(edComp->text(), QStringLiteral("Adagio"));
        EXPECT_EQ(edComp->selectedText(), QStringLiteral("dagio"));
        test::Type(QStringLiteral("d"));
        EXPECT_EQ(edComp->text(), QStringLiteral("Adagio"));
        EXPECT_EQ(edComp->selectedText(), QStringLiteral("agio"));
        // Backspace takes the selection away; its own release completes again.
        test::Key(Qt::Key_Backspace);
        EXPECT_EQ(edComp->text(), QStringLiteral("Adagio"));
        EXPECT_EQ(edComp->selectedText(), QStringLiteral("agio"));
        // Typing on replaces the completion.
        test::Type(QStringLiteral("x"));
        EXPECT_EQ(edComp->text(), QStringLiteral("Adx"));
        test::Key('a', Qt::ControlModifier);
        test::Type(QStringLiteral("zel"));
        EXPECT_EQ(edComp->text(), QStringLiteral("Zelenka"));
        // The case is the list's; the focus moves on from a completed name.
        Alt('y');
        test::Key('a', Qt::ControlModifier);
        test::Type(QStringLiteral("jazz"));
        EXPECT_EQ(Edit(dialog, "edCat")->text(), QStringLiteral("Jazz"));
        // Choosing from the drop-down by the arrow keys fills the edit box.
        Alt('o');
        for (int i = combo->currentIndex(); i > 1; --i) {
            test::Key(Qt::Key_Up);
        }
        for (int i = combo->currentIndex(); i < 1; ++i) {
            test::Key(Qt::Key_Down);
        }
        EXPECT_EQ(edComp->text(), QStringLiteral("Bach"));
        test::Shot(dialog, "disc_data_dialog.png");
        test::Key(Qt::Key_Escape);
    });
}

TEST_F(EditorDialogTest, ControlsShowTheRecordAndTheSettings) {
    AppSettings().DiscUser1Label = "Conductor";
    AppSettings().DiscUser2Label = "Orchestra";
    // The year and a note typed and kept; the notes are reached by Tab from the year.
    EditDisc([](TfrmCDData& dialog) {
        Retype('e', QStringLiteral("1987"));
        test::Key(Qt::Key_Tab);
        test::Key(Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), dialog.Form().memDisc);
        test::Type(QStringLiteral("A note"));
        test::Click(dialog.Form().btnOK);
    });
    const std::string identity = Drive();
    const double time = device->DiscTotalTime;
    EditDisc([&](TfrmCDData& dialog) {
        Ui::TfrmCDData& form = dialog.Form();
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Edit CD data record"));
        EXPECT_EQ(form.labUser1->text(), QStringLiteral("Conductor"));
        EXPECT_EQ(form.labUser2->text(), QStringLiteral("Orchestra"));
        EXPECT_EQ(form.labID->text().toStdString(), identity);
        EXPECT_EQ(form.labTime->text().toStdString(), FormatMinSec(time));
        EXPECT_EQ(form.memDisc->toPlainText(), QStringLiteral("A note"));
        EXPECT_EQ(form.edYear->text(), QStringLiteral("1987"));
        EXPECT_EQ(form.lbTracks->count(), 3);
        // Each field takes what its stored width holds.
        for (const auto& [letter, edit, width] :
             {std::tuple{'m', form.edName, 100}, std::tuple{'d', Edit(dialog, "edLab"), 50},
              std::tuple{'r', form.edRef, 30}}) {
            Retype(letter, QString(width - 1, QLatin1Char('x')));
            test::TypeCharacters(QStringLiteral("\u00E9"));  // two bytes: one too many
            test::Type(QStringLiteral("aa"));
            EXPECT_EQ(edit->text(), QString(width - 1, QLatin1Char('x')) + QLatin1Char('a'));
        }
        EXPECT_FALSE(form.btnSample->isEnabled());
        EXPECT_FALSE(form.btnWaveDel->isEnabled());
        EXPECT_TRUE(form.btnOK->isDefault());
        // The year refuses what is not four digits.
        Retype('e', QStringLiteral("12345-"));
        EXPECT_EQ(form.edYear->text(), QStringLiteral("1234"));
        test::Key(Qt::Key_Escape);
    });
}

TEST_F(EditorDialogTest, NewNamesGoToTheirListsOnlyWhenAskedAndNotTwice) {
    test::WriteFileText(dir.Path() / "composer.fle", "Bach\r\n");
    const auto runEditor = [&](bool save, const char* composer, const char* label) {
        AppSettings().SaveNewEntries = save;
        EditDisc([&](TfrmCDData&) {
            Retype('o', QString::fromLatin1(composer));
            Retype('d', QString::fromLatin1(label));
            test::Key(Qt::Key_Return);
        });
    };
    runEditor(false, "Mozart", "");
    EXPECT_EQ(test::ReadFileText(dir.Path() / "composer.fle"), "Bach\r\n");
    EXPECT_EQ(Load().Record.Composer, "Mozart");
    // "bach" typed is completed to the listed "Bach", which is not listed again.
    runEditor(true, "bach", "Decca");
    EXPECT_EQ(test::ReadFileText(dir.Path() / "composer.fle"), "Bach\r\n");
    EXPECT_EQ(test::ReadFileText(dir.Path() / "label.fle"), "Decca\r\n");
    EXPECT_EQ(Load().Record.Composer, "Bach");
    // A list that cannot be written is reported by its editor name; the record is saved.
    std::filesystem::remove(dir.Path() / "type.fle");
    std::filesystem::create_directory(dir.Path() / "type.fle");
    AppSettings().SaveNewEntries = true;
    EditDisc([this](TfrmCDData& dialog) {
        boxes->Notice("Cannot save Category file!").Over(&dialog);
        Retype('y', QStringLiteral("Opera"));
        test::Key(Qt::Key_Return);
    });
    EXPECT_EQ(Load().Record.MusicType, "Opera");
}

TEST_F(EditorDialogTest, NoTracksMeansNoTrackDialogs) {
    // A record without tracks, as an import leaves one, edited from the browser.
    DiscRecord record;
    StringGrid tracks;
    TextBox memo;
    KeySnapshot keys;
    catalogue.LoadDiscRecord("0000000000000001", record, tracks, memo, keys);
    record.Name = "Trackless";
    record.TrackCount = 0;
    record.Orphan = true;
    catalogue.StoreDiscRecord(record, tracks, memo, keys);
    Browse([&](TfrmCat& browser) {
        Select(browser, "Trackless");
        boxes
            ->Dialog<TfrmCDData>([](TfrmCDData& dialog) {
                EXPECT_EQ(dialog.Form().lbTracks->count(), 0);
                // A dialog opened here fails the test as unexpected.
                QTest::mouseDClick(dialog.Form().lbTracks->viewport(), Qt::LeftButton);
                Alt('t');
                test::Key(Qt::Key_Return);
            })
            .Over(&browser);
        Alt('e');
        EXPECT_TRUE(boxes->Done());
    });
    ExpectSound();
}

TEST_F(EditorDialogTest, OneTrackIsEditedInItsOwnDialog) {
    AppSettings().TrackUser1Label = "Soloist";
    EditDisc([&](TfrmCDData& dialog) {
        boxes->Dialog<TfrmSTrack>([](TfrmSTrack& track) {
            EXPECT_EQ(track.windowTitle(), QStringLiteral("Track information"));
            EXPECT_EQ(track.ui->labNumber->text(), QStringLiteral("2"));
            EXPECT_EQ(track.ui->labTime->text(), QStringLiteral("01.00"));
            EXPECT_EQ(track.ui->labUser1->text(), QStringLiteral("Soloist"));
            EXPECT_EQ(track.ui->edName->text(), QStringLiteral("Song 2"));
            Retype('n', QStringLiteral("Renamed"));
            test::Key(Qt::Key_Tab);
            test::Key(Qt::Key_Tab);
            ASSERT_EQ(QApplication::focusWidget(), track.ui->edUser2);
            test::Type(QStringLiteral("Note"));
            test::Shot(track, "single_track_dialog.png");
            test::Key(Qt::Key_Return);
        });
        test::ClickListRow(*dialog.Form().lbTracks, 1, true);
        EXPECT_TRUE(boxes->Done());
        EXPECT_TRUE(dialog.Form().lbTracks->Row(1).endsWith(QStringLiteral("Renamed")));
        Front();
        // Enter on the chosen track opens it again; OK is clicked.
        boxes->Dialog<TfrmSTrack>([](TfrmSTrack&) { test::Key(Qt::Key_Escape); });
        test::Key(Qt::Key_Return);
        EXPECT_TRUE(boxes->Done());
        test::Click(dialog.Button("btnOK"));
    });
    const Loaded stored = Load();
    EXPECT_EQ(stored.Tracks.Cell(0, 2), "Renamed");
    EXPECT_EQ(stored.Tracks.Cell(2, 2), "Note");
    EXPECT_EQ(stored.Tracks.Cell(0, 1), "Song 1");
}

TEST_F(EditorDialogTest, TheTrackGridInsertsDeletesAndMovesOnlyTexts) {
    EditDisc([&](TfrmCDData&) {
        boxes->Dialog<TfrmEdTr>([](TfrmEdTr& grid) {
            QTableWidget* table = grid.edTracks();
            EXPECT_EQ(grid.windowTitle(), QStringLiteral("Track details for - Album"));
            EXPECT_EQ(table->rowCount(), 3);
            EXPECT_EQ(table->columnWidth(0), 250);
            EXPECT_EQ(table->horizontalHeaderItem(0)->text(), QStringLiteral("Track name"));
            EXPECT_EQ(table->currentRow(), 0);
            EXPECT_EQ(table->verticalHeaderItem(0)->foreground().color(), QColor(Qt::blue));
            test::Shot(grid, "track_grid_dialog.png");
            // Tab goes from cell to cell; the second column typed into on each row.
            for (int row = 1; row <= 3; ++row) {
                test::Key(Qt::Key_Tab);
                test::Type(QStringLiteral("U%1").arg(row));
                test::Key(Qt::Key_Tab);
                test::Key(Qt::Key_Tab);
            }
            ASSERT_EQ(grid.Tracks().Cell(1, 3), "U3");
            ASSERT_EQ(table->currentRow(), 0) << "Tab from the last cell goes round";
            test::Key(Qt::Key_Down);
            test::Key(Qt::Key_Down);
            ASSERT_EQ(table->currentRow(), 2);
            Alt('i');
            EXPECT_EQ(grid.Tracks().Cell(0, 3), "");  // the last row emptied, the others kept
            EXPECT_EQ(grid.Tracks().Cell(0, 2), "Song 2");
            test::Type(QStringLiteral("Song 3"));
            test::Key(Qt::Key_Return);
            Alt('d');
            EXPECT_EQ(grid.Tracks().Cell(0, 3), "");
            EXPECT_EQ(grid.Tracks().Cell(0, 2), "Song 2");

            // Dragging track 1's number below track 2: the texts move, the numbers stay 1, 2, 3.
            QHeaderView* numbers = table->verticalHeader();
            const int x = numbers->width() / 2;
            QTest::mousePress(numbers->viewport(), Qt::LeftButton, Qt::NoModifier,
                              QPoint(x, numbers->sectionViewportPosition(0) + 2));
            for (int y = numbers->sectionViewportPosition(0) + 2;
                 y <= numbers->sectionViewportPosition(1) + numbers->sectionSize(1) - 2; y += 2) {
                QTest::mouseMove(numbers->viewport(), QPoint(x, y));
            }
            QTest::mouseRelease(
                numbers->viewport(), Qt::LeftButton, Qt::NoModifier,
                QPoint(x, numbers->sectionViewportPosition(1) + numbers->sectionSize(1) - 2));
            EXPECT_EQ(grid.Tracks().Cell(0, 1), "Song 2");
            EXPECT_EQ(grid.Tracks().Cell(0, 2), "Song 1");
            EXPECT_EQ(grid.Tracks().Cell(1, 2), "U1");
            for (int row = 0; row < 3; ++row) {
                EXPECT_EQ(table->verticalHeader()->logicalIndex(row), row);
                EXPECT_EQ(table->verticalHeaderItem(row)->text(), QString::number(row + 1));
            }
            Alt('c');
        });
        Alt('t');
        test::Key(Qt::Key_Escape);
    });
}

TEST_F(EditorDialogTest, APictureIsWrittenAtOnceAndCancelKeepsItButNotTheNames) {
    EditDisc([](TfrmCDData&) { test::Key(Qt::Key_Return); });  // the record stored
    const std::filesystem::path picture = dir.Path() / "cover.png";
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(QString::fromStdString(picture.string())));

    EditDisc([&](TfrmCDData&) {
        Retype('m', QStringLiteral("Not kept"));
        boxes->Dialog<TfrmBitmap>([&](TfrmBitmap& bitmap) {
            EXPECT_EQ(bitmap.windowTitle(), QStringLiteral("CD bitmap form"));
            EXPECT_TRUE(bitmap.ChosenFile().empty());
            boxes->Dialog<QFileDialog>([&](QFileDialog&) {
                test::Type(QString::fromStdString(picture.string()));
                test::Key(Qt::Key_Return);
            });
            Alt('l');
            EXPECT_EQ(bitmap.ChosenFile(), picture.string());
            test::Shot(bitmap, "bitmap_dialog.png");
            Alt('o');
        });
        Alt('b');
        EXPECT_TRUE(boxes->Done());
        EXPECT_NE(Load().Record.BitmapAddress, 0);  // written while open
        EXPECT_TRUE(AppSettings().DeletedRecordsPresent);
        Front();
        test::Key(Qt::Key_Escape);
    });
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "disc.bmp"));
    const Loaded stored = Load();
    EXPECT_EQ(stored.Record.Name, "Album");
    ASSERT_NE(stored.Record.BitmapAddress, 0);
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(catalogue.OpenDiscVlf());
    EXPECT_EQ(holder.Vlf.BlockType(stored.Record.BitmapAddress), 1025);
    ASSERT_TRUE(holder.Vlf.ReadBlock(stored.Record.BitmapAddress, bytes));
    catalogue.CloseDiscVlf();
    const std::string file = test::ReadFileText(picture);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), file);  // the PNG's own bytes

    // OK without a choice changes nothing; Clear then OK removes the block.
    EditDisc([&](TfrmCDData&) {
        boxes->Dialog<TfrmBitmap>([](TfrmBitmap& bitmap) {
            EXPECT_FALSE(bitmap.imgBit()->pixmap().isNull());  // the stored picture shown
            Alt('o');
        });
        Alt('b');
        EXPECT_EQ(Load().Record.BitmapAddress, stored.Record.BitmapAddress);
        boxes->Dialog<TfrmBitmap>([](TfrmBitmap& bitmap) {
            Alt('c');
            EXPECT_EQ(bitmap.ChosenFile(), "...");
            EXPECT_TRUE(bitmap.imgBit()->pixmap().isNull());
            Alt('o');
        });
        Alt('b');
        EXPECT_EQ(Load().Record.BitmapAddress, 0);
        Front();
        test::Key(Qt::Key_Return);
    });
    EXPECT_EQ(Load().Record.BitmapAddress, 0);
}

TEST_F(EditorDialogTest, ClearingTheSampleAsksAndDeletesItsBlock) {
    EditDisc([](TfrmCDData&) { test::Key(Qt::Key_Return); });  // the record stored
    Loaded disc = Load();
    ASSERT_TRUE(catalogue.OpenDiscVlf());
    TextBox sample{"RIFF sample bytes"};
    disc.Record.SampleAddress = holder.Vlf.StoreText(0, sample);
    catalogue.CloseDiscVlf();
    catalogue.WriteDiscRecord(disc.Record);
    window->Engine().ReloadRecord();

    const std::string question = "Do you wish to delete the sample for the CD?";
    EditDisc([&](TfrmCDData& dialog) {
        EXPECT_TRUE(dialog.Form().btnSample->isEnabled());
        boxes->Question(question, false).Over(&dialog);
        Alt('c');
        EXPECT_NE(Load().Record.SampleAddress, 0);
        boxes->Question(question, true).Over(&dialog);
        Alt('c');
        EXPECT_TRUE(boxes->Done());
        EXPECT_FALSE(dialog.Form().btnSample->isEnabled());
        EXPECT_FALSE(dialog.Form().btnWaveDel->isEnabled());
        EXPECT_EQ(Load().Record.SampleAddress, 0);
        Alt('s');  // a disabled button's letter does nothing
        Front();
        test::Key(Qt::Key_Escape);
    });
    EXPECT_EQ(Load().Record.SampleAddress, 0);
}

TEST_F(EditorDialogTest, TheProgrammeIsBuiltFromTheGridsNamesAndWrittenAtOnce) {
    EditDisc([](TfrmCDData&) { test::Key(Qt::Key_Return); });  // the record stored
    Loaded disc = Load();
    disc.Record.Programme = {3};
    catalogue.WriteDiscRecord(disc.Record);
    window->Engine().ReloadRecord();
    const std::vector<std::uint8_t> built = {3, 2, 2};
    EditDisc([&](TfrmCDData&) {
        // Renamed in the grid first, which the programme's list shows.
        boxes->Dialog<TfrmEdTr>([](TfrmEdTr& grid) {
            QTableWidget* table = grid.edTracks();
            ClickCell(*table, 1, 0);
            test::Key('a', Qt::ControlModifier);
            test::Type(QStringLiteral("Renamed in the grid"));
            test::Key(Qt::Key_Return);
            Alt('o');
        });
        Alt('t');
        boxes->Dialog<TfrmProgramme>([](TfrmProgramme& programme) {
            ASSERT_EQ(programme.SrcList()->count(), 3);
            EXPECT_TRUE(
                programme.SrcList()->Row(1).contains(QStringLiteral("Renamed in the grid")));
            ASSERT_EQ(programme.DstList()->count(), 1);  // the stored programme
            EXPECT_TRUE(programme.DstList()->Row(0).startsWith(QStringLiteral(" 3")));
            Alt('t');
            test::Key(Qt::Key_Home);
            test::Key(Qt::Key_Down);
            Alt('a');
            Alt('a');
            test::Shot(programme, "editor_programme.png");
            Alt('o');
        });
        Alt('p');
        EXPECT_EQ(Load().Record.Programme, built);  // written while open
        boxes->Dialog<TfrmProgramme>([](TfrmProgramme&) {
            Alt('c');
            test::Key(Qt::Key_Escape);
        });
        Alt('p');
        EXPECT_EQ(Load().Record.Programme, built);
        Front();
        test::Key(Qt::Key_Escape);
    });
    // Cancel of the editor keeps the programme already written, but not the grid's new name.
    const Loaded stored = Load();
    EXPECT_EQ(stored.Record.Programme, built);
    EXPECT_EQ(stored.Tracks.Cell(0, 2), "Song 2");
}

TEST_F(EditorDialogTest, ARecordTypedIsStoredReloadedAndShownAsTyped) {
    QString name;
    for (int i = 0; i < 60; ++i) {
        name += QChar(0x00E9);  // é: 60 characters, 120 bytes
    }
    EditDisc([&](TfrmCDData& dialog) {
        Ui::TfrmCDData& form = dialog.Form();
        EXPECT_EQ(form.edName->text(), QStringLiteral("Album"));
        // The field takes what its 100 bytes hold, and the rest is refused as it is typed.
        Retype('m', {});
        test::TypeCharacters(name);
        EXPECT_EQ(form.edName->text(), name.left(50));
        Alt('o');
        test::TypeCharacters(QStringLiteral("Dvořák"));
        Retype('a', QStringLiteral("Artist"));
        test::Key(Qt::Key_Tab);  // the first user field follows the artist
        ASSERT_EQ(QApplication::focusWidget(), form.ed1);
        test::Type(QStringLiteral("One"));
        Retype('r', QStringLiteral("REF-1"));
        Retype('e', QStringLiteral("2001"));
        test::Key(Qt::Key_Tab);
        test::Key(Qt::Key_Tab);
        test::Key('a', Qt::ControlModifier);
        test::Type(QStringLiteral("Line one"));
        test::Key(Qt::Key_Return);
        test::Type(QStringLiteral("Line two"));
        test::Click(form.btnOK);
    });
    const std::string identity = Drive();
    const Loaded stored = Load();
    const DiscRecord& record = stored.Record;
    EXPECT_EQ(record.Name, name.left(50).toStdString());  // 100 bytes of whole characters
    EXPECT_EQ(record.Composer, "Dvořák");
    EXPECT_EQ(record.Year, 2001);
    EXPECT_EQ(stored.Memo.Text, identity + "\r\nLine one\r\nLine two\r\n");
    EXPECT_EQ(Child<QLabel>("labName")->text(), name.left(50));
    EXPECT_EQ(Child<QLabel>("LabComp")->text(), QStringLiteral("Dvořák"));

    // Opened again by the handset's button, it shows what was stored, and Cancel changes
    // nothing.
    boxes
        ->Dialog<TfrmCDData>([&](TfrmCDData& dialog) {
            EXPECT_EQ(dialog.Form().edName->text(), name.left(50));
            EXPECT_EQ(Edit(dialog, "edComp")->text(), QStringLiteral("Dvořák"));
            EXPECT_EQ(dialog.Form().edRef->text(), QStringLiteral("REF-1"));
            EXPECT_EQ(dialog.Form().memDisc->toPlainText(), QStringLiteral("Line one\nLine two"));
            Retype('m', QStringLiteral("Lost"));
            test::Key(Qt::Key_Escape);
        })
        .Over(&*window);
    test::Click(window->findChild<QToolButton*>(QStringLiteral("btnData")));
    EXPECT_TRUE(boxes->Done());
    DiscRecord again = Load().Record;
    // Stored again whole, so its blocks may have moved; every field is as it was.
    again.TracksAddress = record.TracksAddress;
    again.NotesAddress = record.NotesAddress;
    EXPECT_EQ(again, record);
    ExpectSound();
}

}  // namespace
}  // namespace snx
