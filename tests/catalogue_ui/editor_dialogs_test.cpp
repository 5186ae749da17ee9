// The disc data editor and its track and bitmap dialogs through their controls, with the
// catalogue checked after every store.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "catalogue/catalogue_check.h"
#include "catalogue_ui/bitmap_dialog.h"
#include "catalogue_ui/disc_data_dialog.h"
#include "catalogue_ui/track_dialogs.h"
#include "programming/programme_dialog.h"
#include "programming/track_list.h"
#include "tests/support/catalogue_fixture.h"
#include "tests/support/handset_fixture.h"
#include "tests/support/modal_dialog.h"
#include "tests/support/temp_dir.h"
#include "tests/support/user_input.h"
#include "ui_disc_data_dialog.h"
#include "ui_single_track_dialog.h"

namespace snx {
namespace {

// A key typed into widget: press, then release, as the user's keyboard sends them.
void Type(QWidget* widget, Qt::Key key, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &release);
}

QLineEdit* Edit(QWidget& dialog, const char* name) {
    return dialog.findChild<QLineEdit*>(QString::fromLatin1(name));
}

class EditorDialogTest : public test::CatalogueTest {
  protected:
    EditorDialogTest() { CreateFiles(); }

    // The stored record of identity, with its tracks and notes.
    struct Loaded {
        DiscRecord Record;
        StringGrid Tracks;
        TextBox Memo;
        KeySnapshot Keys;
    };
    Loaded Load(const std::string& identity) {
        Loaded loaded;
        catalogue_->LoadDiscRecord(identity, loaded.Record, loaded.Tracks, loaded.Memo,
                                   loaded.Keys);
        return loaded;
    }
    // What the handset does after the editor closes.
    void Store(Loaded& loaded, const DiscEditor& editor, bool ok) {
        if (ok) {
            editor.TakeOk(loaded.Record, loaded.Tracks, loaded.Memo);
        } else {
            editor.TakeCancel(loaded.Record);
        }
        catalogue_->StoreDiscRecord(loaded.Record, loaded.Tracks, loaded.Memo, loaded.Keys);
        EXPECT_EQ(CheckCatalogue(dir_.Path()), std::vector<std::string>{});
    }
};

TEST_F(EditorDialogTest, TypingCompletesFromTheListOnEveryKeyRelease) {
    test::WriteFileText(dir_.Path() / "composer.fle", "Bach\r\nAdagio\r\nZelenka\r\n");
    test::WriteFileText(dir_.Path() / "type.fle", "Jazz\r\n");
    Loaded disc = Load("00000000000374F6");
    DiscEditor editor = DiscEditor::Open(disc.Record, disc.Tracks, disc.Memo);
    TfrmCDData dialog(editor, *catalogue_);
    dialog.show();
    test::Activate(dialog);
    QComboBox* combo = dialog.Form().cbComp;
    ASSERT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->itemText(0), QStringLiteral("Adagio"));
    QLineEdit* edComp = Edit(dialog, "edComp");
    ASSERT_NE(edComp, nullptr);
    // The label's letter puts the focus on the field, which the keys then reach.
    test::Alt('o');
    test::Key('a', Qt::ControlModifier);
    test::Key(Qt::Key_Backspace);
    test::Type(QStringLiteral("a"));
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
    test::Alt('y');
    test::Key('a', Qt::ControlModifier);
    test::Type(QStringLiteral("jazz"));
    EXPECT_EQ(Edit(dialog, "edCat")->text(), QStringLiteral("Jazz"));
    // Choosing from the drop-down fills the edit box.
    emit combo->activated(1);
    EXPECT_EQ(edComp->text(), QStringLiteral("Bach"));
    test::Shot(dialog, "disc_data_dialog.png");
}

TEST_F(EditorDialogTest, ControlsShowTheRecordAndTheSettings) {
    AppSettings().DiscUser1Label = "Conductor";
    AppSettings().DiscUser2Label = "Orchestra";
    Loaded disc = Load("00000000000374F6");
    disc.Record.Year = 1987;
    disc.Memo.Text = "00000000000374F6\r\nA note\r\n";
    DiscEditor editor = DiscEditor::Open(disc.Record, disc.Tracks, disc.Memo);
    TfrmCDData dialog(editor, *catalogue_);
    Ui::TfrmCDData& form = dialog.Form();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Edit CD data record"));
    EXPECT_EQ(form.labUser1->text(), QStringLiteral("Conductor"));
    EXPECT_EQ(form.labUser2->text(), QStringLiteral("Orchestra"));
    EXPECT_EQ(form.labID->text(), QStringLiteral("00000000000374F6"));
    EXPECT_EQ(form.labTime->text().toStdString(), FormatMinSec(9.15));
    EXPECT_EQ(form.memDisc->toPlainText(), QStringLiteral("A note"));
    EXPECT_EQ(form.edYear->text(), QStringLiteral("1987"));
    EXPECT_EQ(form.lbTracks->count(), 3);
    // Each field takes what its stored width holds.
    for (const auto& [edit, width] :
         {std::pair{form.edName, 100}, std::pair{Edit(dialog, "edLab"), 50},
          std::pair{form.edRef, 30}}) {
        edit->setText(QString(width - 1, QLatin1Char('x')));
        Type(edit, Qt::Key_A, QStringLiteral("\u00E9"));  // two bytes: one too many
        Type(edit, Qt::Key_A, QStringLiteral("a"));
        Type(edit, Qt::Key_A, QStringLiteral("a"));
        EXPECT_EQ(edit->text(), QString(width - 1, QLatin1Char('x')) + QLatin1Char('a'));
    }
    EXPECT_FALSE(form.btnSample->isEnabled());
    EXPECT_FALSE(form.btnWaveDel->isEnabled());
    EXPECT_TRUE(form.btnOK->isDefault());
    // The year refuses what is not four digits.
    form.edYear->clear();
    form.edYear->setFocus();
    for (const char* digit : {"1", "2", "3", "4", "5"}) {
        Type(form.edYear, Qt::Key_1, QString::fromLatin1(digit));
    }
    Type(form.edYear, Qt::Key_Minus, QStringLiteral("-"));
    EXPECT_EQ(form.edYear->text(), QStringLiteral("1234"));
}

TEST_F(EditorDialogTest, NewNamesGoToTheirListsOnlyWhenAskedAndNotTwice) {
    test::WriteFileText(dir_.Path() / "composer.fle", "Bach\r\n");
    Loaded disc = Load("00000000000374F6");
    const auto runEditor = [&](bool save, const char* composer, const char* label) {
        AppSettings().SaveNewEntries = save;
        DiscEditor editor = DiscEditor::Open(disc.Record, disc.Tracks, disc.Memo);
        TfrmCDData dialog(editor, *catalogue_);
        dialog.show();
        Edit(dialog, "edComp")->setText(QString::fromLatin1(composer));
        Edit(dialog, "edLab")->setText(QString::fromLatin1(label));
        dialog.Form().btnOK->click();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        Store(disc, editor, true);
    };
    runEditor(false, "Mozart", "");
    EXPECT_EQ(test::ReadFileText(dir_.Path() / "composer.fle"), "Bach\r\n");
    EXPECT_EQ(Load("00000000000374F6").Record.Composer, "Mozart");
    runEditor(true, "BACH", "Decca");
    EXPECT_EQ(test::ReadFileText(dir_.Path() / "composer.fle"), "Bach\r\n");
    EXPECT_EQ(test::ReadFileText(dir_.Path() / "label.fle"), "Decca\r\n");
    EXPECT_EQ(Load("00000000000374F6").Record.Composer, "BACH");
    // A list that cannot be written is reported by its editor name; the record is saved.
    std::filesystem::remove(dir_.Path() / "type.fle");
    std::filesystem::create_directory(dir_.Path() / "type.fle");
    AppSettings().SaveNewEntries = true;
    DiscEditor editor = DiscEditor::Open(disc.Record, disc.Tracks, disc.Memo);
    TfrmCDData dialog(editor, *catalogue_);
    dialog.show();
    Edit(dialog, "edCat")->setText(QStringLiteral("Opera"));
    dialog.Form().btnOK->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    Store(disc, editor, true);
    EXPECT_EQ(Load("00000000000374F6").Record.MusicType, "Opera");
    EXPECT_EQ(messages_.Errors(), std::vector<std::string>{"Cannot save Category file!"});
}

TEST_F(EditorDialogTest, NoTracksMeansNoTrackDialogs) {
    drive_.Count = 0;
    Loaded disc = Load("0000000000000001");
    ASSERT_EQ(disc.Record.TrackCount, 0);
    DiscEditor editor = DiscEditor::Open(disc.Record, disc.Tracks, disc.Memo);
    TfrmCDData dialog(editor, *catalogue_);
    dialog.show();
    EXPECT_EQ(dialog.Form().lbTracks->count(), 0);
    // A dialog opened here would be modal; the check closes it and fails the test.
    QTimer::singleShot(0, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            ADD_FAILURE() << "a dialog opened";
            modal->close();
        }
    });
    dialog.lbTracksDblClick();
    dialog.Form().btnTracks->click();
    QApplication::processEvents();
    dialog.Form().btnOK->click();
    Store(disc, editor, true);
}

TEST_F(EditorDialogTest, OneTrackIsEditedInItsOwnDialog) {
    AppSettings().TrackUser1Label = "Soloist";
    AddDisc("00000000000374F6", "Disc");
    Loaded disc = Load("00000000000374F6");
    DiscEditor editor = DiscEditor::Open(disc.Record, disc.Tracks, disc.Memo);
    TfrmCDData dialog(editor, *catalogue_);
    dialog.show();
    dialog.Form().lbTracks->setCurrentRow(1);
    {
        const auto opened = test::WhenOpened<TfrmSTrack>([](TfrmSTrack& track) {
            EXPECT_EQ(track.windowTitle(), QStringLiteral("Track information"));
            EXPECT_EQ(track.ui->labNumber->text(), QStringLiteral("2"));
            EXPECT_EQ(track.ui->labTime->text(), QStringLiteral("04.10"));
            EXPECT_EQ(track.ui->labUser1->text(), QStringLiteral("Soloist"));
            EXPECT_EQ(track.ui->edName->text(), QStringLiteral("Disc two"));
            track.ui->edName->setText(QStringLiteral("Renamed"));
            track.ui->edUser2->setText(QStringLiteral("Note"));
            test::Shot(track, "single_track_dialog.png");
            track.accept();
        });
        emit dialog.Form().lbTracks->itemDoubleClicked(dialog.Form().lbTracks->item(1));
    }
    EXPECT_TRUE(dialog.Form().lbTracks->Row(1).endsWith(QStringLiteral("Renamed")));
    dialog.Form().btnOK->click();
    Store(disc, editor, true);
    const Loaded stored = Load("00000000000374F6");
    EXPECT_EQ(stored.Tracks.Cell(0, 2), "Renamed");
    EXPECT_EQ(stored.Tracks.Cell(2, 2), "Note");
    EXPECT_EQ(stored.Tracks.Cell(0, 1), "Disc one");
}

TEST_F(EditorDialogTest, TheTrackGridInsertsDeletesAndMovesOnlyTexts) {
    StringGrid tracks(3, 4);
    for (int row = 1; row <= 3; ++row) {
        tracks.SetCell(0, row, "T" + std::to_string(row));
        tracks.SetCell(1, row, "U" + std::to_string(row));
    }
    TfrmEdTr grid(tracks, 3, QStringLiteral("Album"));
    QTableWidget* table = grid.edTracks();
    EXPECT_EQ(grid.windowTitle(), QStringLiteral("Track details for - Album"));
    EXPECT_EQ(table->rowCount(), 3);
    EXPECT_EQ(table->columnWidth(0), 250);
    EXPECT_EQ(table->horizontalHeaderItem(0)->text(), QStringLiteral("Track name"));
    EXPECT_EQ(table->currentRow(), 0);
    EXPECT_EQ(table->verticalHeaderItem(0)->foreground().color(), QColor(Qt::blue));
    grid.show();
    test::Shot(grid, "track_grid_dialog.png");

    table->setCurrentCell(2, 0);
    grid.Button("btnInsert")->click();
    EXPECT_EQ(grid.Tracks().Cell(0, 3), "");  // the last row emptied, the others as they were
    EXPECT_EQ(grid.Tracks().Cell(0, 2), "T2");
    table->item(2, 0)->setText(QStringLiteral("T3"));
    grid.Button("btnDelete")->click();
    EXPECT_EQ(grid.Tracks().Cell(0, 3), "");
    EXPECT_EQ(grid.Tracks().Cell(0, 2), "T2");

    // Dragging track 1's number below track 2: the texts move, the numbers stay 1, 2, 3.
    table->verticalHeader()->moveSection(0, 1);
    EXPECT_EQ(grid.Tracks().Cell(0, 1), "T2");
    EXPECT_EQ(grid.Tracks().Cell(0, 2), "T1");
    EXPECT_EQ(grid.Tracks().Cell(1, 2), "U1");
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(table->verticalHeader()->logicalIndex(row), row);
        EXPECT_EQ(table->verticalHeaderItem(row)->text(), QString::number(row + 1));
    }
}

TEST_F(EditorDialogTest, APictureIsWrittenAtOnceAndCancelKeepsItButNotTheNames) {
    AddDisc("00000000000374F6", "Disc");
    const std::filesystem::path picture = dir_.Path() / "cover.png";
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(QString::fromStdString(picture.string())));

    Loaded disc = Load("00000000000374F6");
    DiscEditor editor = DiscEditor::Open(disc.Record, disc.Tracks, disc.Memo);
    {
        TfrmCDData dialog(editor, *catalogue_);
        dialog.show();
        dialog.Form().edName->setText(QStringLiteral("Not kept"));
        const auto opened = test::WhenOpened<TfrmBitmap>([&](TfrmBitmap& bitmap) {
            EXPECT_EQ(bitmap.windowTitle(), QStringLiteral("CD bitmap form"));
            EXPECT_TRUE(bitmap.ChosenFile().empty());
            const auto chosen = test::WhenOpened<QFileDialog>([&](QFileDialog& files) {
                files.selectFile(QString::fromStdString(picture.string()));
                QMetaObject::invokeMethod(&files, "accept");
            });
            bitmap.Button("btnLoad")->click();
            EXPECT_EQ(bitmap.ChosenFile(), picture.string());
            test::Shot(bitmap, "bitmap_dialog.png");
            bitmap.accept();
        });
        dialog.Form().btnBit->click();
        EXPECT_NE(editor.Working.BitmapAddress, 0);
        EXPECT_TRUE(AppSettings().DeletedRecordsPresent);
        dialog.reject();
    }
    EXPECT_FALSE(std::filesystem::exists(dir_.Path() / "disc.bmp"));
    EXPECT_NE(Load("00000000000374F6").Record.BitmapAddress, 0);  // written while open
    Store(disc, editor, false);
    Loaded stored = Load("00000000000374F6");
    EXPECT_EQ(stored.Record.Name, "Disc");
    ASSERT_NE(stored.Record.BitmapAddress, 0);
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(catalogue_->OpenDiscVlf());
    EXPECT_EQ(holder_->Vlf.BlockType(stored.Record.BitmapAddress), 1025);
    ASSERT_TRUE(holder_->Vlf.ReadBlock(stored.Record.BitmapAddress, bytes));
    catalogue_->CloseDiscVlf();
    const std::string file = test::ReadFileText(picture);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), file);  // the PNG's own bytes

    // OK without a choice changes nothing; Clear then OK removes the block.
    DiscEditor again = DiscEditor::Open(stored.Record, stored.Tracks, stored.Memo);
    TfrmCDData dialog(again, *catalogue_);
    {
        const auto opened = test::WhenOpened<TfrmBitmap>([](TfrmBitmap& bitmap) {
            EXPECT_FALSE(bitmap.imgBit()->pixmap().isNull());  // the stored picture shown
            bitmap.accept();
        });
        dialog.Form().btnBit->click();
    }
    EXPECT_EQ(again.Working.BitmapAddress, stored.Record.BitmapAddress);
    {
        const auto opened = test::WhenOpened<TfrmBitmap>([](TfrmBitmap& bitmap) {
            bitmap.Button("btnClear")->click();
            EXPECT_EQ(bitmap.ChosenFile(), "...");
            EXPECT_TRUE(bitmap.imgBit()->pixmap().isNull());
            bitmap.accept();
        });
        dialog.Form().btnBit->click();
    }
    EXPECT_EQ(again.Working.BitmapAddress, 0);
    EXPECT_EQ(Load("00000000000374F6").Record.BitmapAddress, 0);
    Store(stored, again, true);
}

TEST_F(EditorDialogTest, ClearingTheSampleAsksAndDeletesItsBlock) {
    AddDisc("00000000000374F6", "Disc");
    Loaded disc = Load("00000000000374F6");
    ASSERT_TRUE(catalogue_->OpenDiscVlf());
    TextBox sample{"RIFF sample bytes"};
    disc.Record.SampleAddress = holder_->Vlf.StoreText(0, sample);
    catalogue_->CloseDiscVlf();
    catalogue_->WriteDiscRecord(disc.Record);

    DiscEditor editor = DiscEditor::Open(disc.Record, disc.Tracks, disc.Memo);
    TfrmCDData dialog(editor, *catalogue_);
    EXPECT_TRUE(dialog.Form().btnSample->isEnabled());
    messages_.Answer(false);
    dialog.Form().btnWaveDel->click();
    EXPECT_NE(editor.Working.SampleAddress, 0);
    messages_.Answer(true);
    dialog.Form().btnWaveDel->click();
    EXPECT_EQ(editor.Working.SampleAddress, 0);
    EXPECT_FALSE(dialog.Form().btnSample->isEnabled());
    EXPECT_FALSE(dialog.Form().btnWaveDel->isEnabled());
    EXPECT_EQ(Load("00000000000374F6").Record.SampleAddress, 0);
    dialog.btnSampleClick();
    EXPECT_EQ(messages_.Messages().back().Text, "Selected disk does not have a recorded sample.");
    dialog.reject();
    Store(disc, editor, false);
}

TEST_F(EditorDialogTest, TheProgrammeIsBuiltFromTheGridsNamesAndWrittenAtOnce) {
    AddDisc("00000000000374F6", "Disc");
    Loaded disc = Load("00000000000374F6");
    disc.Record.Programme = {3};
    catalogue_->WriteDiscRecord(disc.Record);
    DiscEditor editor = DiscEditor::Open(disc.Record, disc.Tracks, disc.Memo);
    editor.Tracks.SetCell(0, 2, "Renamed in the grid");
    TfrmCDData dialog(editor, *catalogue_);
    {
        const auto opened = test::WhenOpened<TfrmProgramme>([](TfrmProgramme& programme) {
            ASSERT_EQ(programme.SrcList()->count(), 3);
            EXPECT_TRUE(
                programme.SrcList()->Row(1).contains(QStringLiteral("Renamed in the grid")));
            ASSERT_EQ(programme.DstList()->count(), 1);  // the stored programme
            EXPECT_TRUE(programme.DstList()->Row(0).startsWith(QStringLiteral(" 3")));
            programme.SrcList()->item(1)->setSelected(true);
            programme.IncludeBtnClick();
            programme.IncludeBtnClick();
            test::Shot(programme, "editor_programme.png");
            programme.accept();
        });
        dialog.Form().btnProg->click();
    }
    const std::vector<std::uint8_t> built = {3, 2, 2};
    EXPECT_EQ(editor.Working.Programme, built);
    EXPECT_EQ(Load("00000000000374F6").Record.Programme, built);  // written while open
    {
        const auto opened = test::WhenOpened<TfrmProgramme>([](TfrmProgramme& programme) {
            programme.ExcAllBtnClick();
            programme.reject();
        });
        dialog.Form().btnProg->click();
    }
    EXPECT_EQ(editor.Working.Programme, built);
    dialog.reject();
    // Cancel of the editor keeps the programme already written, but not the grid's new name.
    Store(disc, editor, false);
    Loaded stored = Load("00000000000374F6");
    EXPECT_EQ(stored.Record.Programme, built);
    EXPECT_EQ(stored.Tracks.Cell(0, 2), "Disc two");
}

class HandsetEditorTest : public test::HandsetFixture {};

TEST_F(HandsetEditorTest, ARecordTypedIsStoredReloadedAndShownAsTyped) {
    InsertDisc(2);
    QString name;
    for (int i = 0; i < 60; ++i) {
        name += QChar(0x00E9);  // é: 60 characters, 120 bytes
    }
    {
        const auto opened = test::WhenOpened<TfrmCDData>([&](TfrmCDData& dialog) {
            Ui::TfrmCDData& form = dialog.Form();
            EXPECT_EQ(form.edName->text(), QStringLiteral("Album"));
            // The field takes what its 100 bytes hold, and the rest is refused as it is typed.
            form.edName->clear();
            for (const QChar c : name) {
                QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
                QApplication::sendEvent(form.edName, &press);
            }
            EXPECT_EQ(form.edName->text(), name.left(50));
            Edit(dialog, "edComp")->setText(QStringLiteral("Dvořák"));
            Edit(dialog, "edArt")->setText(QStringLiteral("Artist"));
            form.ed1->setText(QStringLiteral("One"));
            form.edRef->setText(QStringLiteral("REF-1"));
            form.edYear->setText(QStringLiteral("2001"));
            form.memDisc->setPlainText(QStringLiteral("Line one\nLine two"));
            form.btnOK->click();
        });
        Action("Edit current CD &data record")->trigger();
    }
    EXPECT_EQ(CheckCatalogue(dir.Path()), std::vector<std::string>{});
    const std::string identity = window->Engine().Disc().Identity();
    DiscRecord record;
    StringGrid tracks;
    TextBox memo;
    KeySnapshot keys;
    ASSERT_GT(catalogue.LoadDiscRecord(identity, record, tracks, memo, keys), 0);
    EXPECT_EQ(record.Name, name.left(50).toStdString());  // 100 bytes of whole characters
    EXPECT_EQ(record.Composer, "Dvořák");
    EXPECT_EQ(record.Year, 2001);
    EXPECT_EQ(memo.Text, identity + "\r\nLine one\r\nLine two\r\n");
    EXPECT_EQ(Child<QLabel>("labName")->text(), name.left(50));
    EXPECT_EQ(Child<QLabel>("LabComp")->text(), QStringLiteral("Dvořák"));

    // Opened again, it shows what was stored, and Cancel changes nothing.
    {
        const auto opened = test::WhenOpened<TfrmCDData>([&](TfrmCDData& dialog) {
            EXPECT_EQ(dialog.Form().edName->text(), name.left(50));
            EXPECT_EQ(Edit(dialog, "edComp")->text(), QStringLiteral("Dvořák"));
            EXPECT_EQ(dialog.Form().edRef->text(), QStringLiteral("REF-1"));
            EXPECT_EQ(dialog.Form().memDisc->toPlainText(), QStringLiteral("Line one\nLine two"));
            dialog.Form().edName->setText(QStringLiteral("Lost"));
            dialog.reject();
        });
        window->findChild<QToolButton*>(QStringLiteral("btnData"))->click();
    }
    DiscRecord again;
    catalogue.LoadDiscRecord(identity, again, tracks, memo, keys);
    // Stored again whole, so its blocks may have moved; every field is as it was.
    again.TracksAddress = record.TracksAddress;
    again.NotesAddress = record.NotesAddress;
    EXPECT_EQ(again, record);
    EXPECT_EQ(CheckCatalogue(dir.Path()), std::vector<std::string>{});
}

}  // namespace
}  // namespace snx
