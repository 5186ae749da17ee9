// The catalogue browser driven through its controls over a handset with a disc in the virtual
// drive, on generated catalogues; the catalogue's checker after every change.
#include "catalogue_ui/catalogue_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QWindow>
#include <map>

#include "catalogue/catalogue_check.h"
#include "catalogue_ui/bitmap_dialog.h"
#include "catalogue_ui/browse_model.h"
#include "catalogue_ui/disc_data_dialog.h"
#include "catalogue_ui/print_layer.h"
#include "catalogue_ui/printing_dlg.h"
#include "samples/sample_recorder.h"
#include "samples/wave_playback.h"
#include "small_handset/small_handset_window.h"
#include "store/block_file/vlf.h"
#include "tests/samples/wave_test_support.h"
#include "tests/support/boxes.h"
#include "tests/support/handset_fixture.h"
#include "tests/support/modal_dialog.h"
#include "tests/support/random_discs.h"
#include "tests/support/user_input.h"
#include "ui_catalogue_dialog.h"
#include "ui_disc_data_dialog.h"
#include "util/text.h"
#include "widgets/help_window.h"

namespace snx {
namespace {

using test::FindAction;
using test::WriteWave;
using Strings = std::vector<std::string>;

constexpr std::int16_t kPictureBlock = 1025;  // the block type of a disc's picture

class BrowserTest : public test::HandsetFixture {
  protected:
    // The handset with a disc of two tracks in the drive.
    void SetUp() override {
        InsertDisc(2);
        shownBefore_ = messages.Messages().size();
    }
    // The messages and questions since the set-up.
    std::vector<test::ScriptedMessages::Message> Said() const {
        const auto& all = messages.Messages();
        return {all.begin() + static_cast<std::ptrdiff_t>(shownBefore_), all.end()};
    }

    // A record of these fields stored under identity; returns its record number.
    std::int32_t Store(const std::string& identity, const std::string& name,
                       const std::string& composer = "Comp", bool orphan = false) {
        DiscRecord record;
        StringGrid tracks;
        TextBox memo;
        KeySnapshot keys;
        catalogue.LoadDiscRecord(identity, record, tracks, memo, keys);
        record.Name = name;
        record.Composer = composer;
        record.Artist = "Artist of " + name;
        record.Orphan = orphan;
        tracks.SetCell(0, 1, name + " first");
        memo.Text = identity + "\r\nAbout " + name + "\r\n";
        return catalogue.StoreDiscRecord(record, tracks, memo, keys);
    }
    DiscRecord Stored(const std::string& identity) {
        DiscRecord record;
        StringGrid tracks;
        TextBox memo;
        KeySnapshot keys;
        EXPECT_GT(catalogue.LoadDiscRecord(identity, record, tracks, memo, keys), 0) << identity;
        return record;
    }
    std::unique_ptr<TfrmCat> Open() {
        return std::make_unique<TfrmCat>(catalogue, *wave, window->Engine(), window->Printing(),
                                         &*window);
    }
    // Each top-level node's text, a heading's marked with "# " and followed by its discs.
    static Strings Texts(const TfrmCat& browser) {
        Strings texts;
        for (const BrowseNode& node : browser.Model().Tree()) {
            texts.push_back((node.Heading ? "# " : "") + node.Text);
            for (const BrowseNode& child : node.Children) {
                texts.push_back("  " + child.Text);
            }
        }
        return texts;
    }
    static QModelIndex Find(const TfrmCat& browser, const std::string& text) {
        const BrowseModel& model = browser.Model();
        for (int row = 0; row < model.rowCount(); ++row) {
            const QModelIndex top = model.index(row, 0);
            if (model.Node(top)->Text == text) {
                return top;
            }
            for (int child = 0; child < model.rowCount(top); ++child) {
                if (model.Node(model.index(child, 0, top))->Text == text) {
                    return model.index(child, 0, top);
                }
            }
        }
        ADD_FAILURE() << "no node " << text;
        return {};
    }
    static void Select(TfrmCat& browser, const std::string& text) {
        browser.Form().TV->setCurrentIndex(Find(browser, text));
    }
    void ExpectSound() { EXPECT_EQ(CheckCatalogue(dir.Path()), Strings{}); }
    std::string Drive() { return window->Engine().Disc().Identity(); }

  private:
    std::size_t shownBefore_ = 0;
};

TEST_F(BrowserTest, AnEmptyCatalogueShowsNoDiscsAndItsControlsAsTheyStart) {
    auto browser = Open();
    Ui::TfrmCat& form = browser->Form();
    EXPECT_EQ(browser->windowTitle(), QStringLiteral("CD catalogue"));
    EXPECT_EQ(HelpContextOf(browser.get()), 1056);
    EXPECT_EQ(browser->Model().rowCount(), 0);
    EXPECT_EQ(form.labNo->text(), QStringLiteral("0"));
    EXPECT_TRUE(form.labStatus->text().isEmpty());
    EXPECT_TRUE(form.rbName->isChecked());
    EXPECT_EQ(form.btnSort->text(), QStringLiteral("Sort CDs by name"));
    EXPECT_FALSE(form.btnStop->isEnabled());
    EXPECT_FALSE(form.trBar->isEnabled());
    EXPECT_TRUE(form.labStart->text().isEmpty());
    EXPECT_EQ(form.TV->indentation(), 19);
    EXPECT_EQ(form.edTrack->toolTip(),
              QStringLiteral("Enter a text string to search for within the track data."));
    // Typed letters become capitals, as the filters compare.
    for (const QChar c : QStringLiteral("abc-xyz 1")) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(form.edName, &press);
    }
    EXPECT_EQ(form.edName->text(), QStringLiteral("ABC-XYZ 1"));
}

TEST_F(BrowserTest, ViewsFollowTheIndexWithHeadingsForCaseAndPastTheKeyLength) {
    const std::string longer(20, 'L');
    Store("00000000000000A1", "Zeta", "alpha");
    Store("00000000000000A2", "Beta", "Alpha");
    Store("00000000000000A3", "Gamma", "alpha");
    Store("00000000000000A4", "Delta", longer + "-one");
    Store("00000000000000A5", "Omega", longer + "-two");
    Store("00000000000000A6", "Kappa", longer + "-one");
    auto browser = Open();
    Ui::TfrmCat& form = browser->Form();
    EXPECT_EQ(form.labNo->text(), QStringLiteral("6"));
    EXPECT_EQ(Texts(*browser), (Strings{"Beta", "Delta", "Gamma", "Kappa", "Omega", "Zeta"}));

    form.rbComp->click();
    // Byte order puts "Alpha" before "alpha"; keys of 20 characters keep the three long
    // composers in record order, so each change of value opens a new heading.
    EXPECT_EQ(Texts(*browser), (Strings{"# Alpha", "  Beta", "# " + longer + "-one", "  Delta",
                                        "# " + longer + "-two", "  Omega", "# " + longer + "-one",
                                        "  Kappa", "# alpha", "  Zeta", "  Gamma"}));
    form.TV->expandAll();
    test::Shot(*browser, "browser_composer.png");

    form.rbArt->click();
    EXPECT_EQ(browser->Model().rowCount(), 6);
    EXPECT_EQ(Texts(*browser).front(), "# Artist of Beta");
    test::Shot(*browser, "browser_artist.png");
    form.rbType->click();
    // Every record's type is the drive's default, one heading for all.
    EXPECT_EQ(browser->Model().rowCount(), 1);
    EXPECT_EQ(browser->Model().rowCount(browser->Model().index(0, 0)), 6);
    test::Shot(*browser, "browser_type.png");
    form.rbLab->click();
    EXPECT_EQ(browser->Model().rowCount(), 1);
    test::Shot(*browser, "browser_label.png");
    form.rbName->click();
    EXPECT_EQ(browser->Model().rowCount(), 6);
    test::Shot(*browser, "browser_name.png");
}

TEST_F(BrowserTest, FiltersShowOnlyWhatTheirTextsFind) {
    const std::vector<test::Disc> discs = test::StoreRandomDiscs(catalogue, 40);
    auto browser = Open();
    Ui::TfrmCat& form = browser->Form();
    ASSERT_EQ(browser->Model().rowCount(), 40);

    form.cbFilter->click();
    EXPECT_EQ(browser->Model().rowCount(), 0) << "the filter on with no texts shows nothing";

    // A music type's text does not show the record; the same text as a name does.
    const test::Disc& typed = discs[3];
    const std::string type = UpperAscii(typed.Record.MusicType);
    form.edName->setText(QString::fromStdString(type));
    form.btnRefresh->click();
    EXPECT_EQ(browser->Model().rowCount(), 0);

    const std::string name = UpperAscii(discs[5].Record.Name);
    form.edName->setText(QString::fromStdString(name));
    form.btnRefresh->click();
    Strings want;
    for (const test::Disc& disc : discs) {
        if (UpperAscii(disc.Record.Name).find(name) != std::string::npos) {
            want.push_back(disc.Record.Name);
        }
    }
    std::sort(want.begin(), want.end());
    EXPECT_EQ(Texts(*browser), want);

    // A track text found only in the stored track tables: a user column of a track.
    form.edName->clear();
    const test::Disc& tracked = discs[7];
    ASSERT_GE(tracked.Record.TrackCount, 1);
    const std::string cell = UpperAscii(tracked.Tracks.Cell(1, 1));
    form.edTrack->setText(QString::fromStdString(cell));
    form.rbComp->click();
    want.clear();
    for (const test::Disc& disc : discs) {
        for (int row = 1; row <= disc.Record.TrackCount; ++row) {
            for (int column = 0; column < 3; ++column) {
                if (UpperAscii(disc.Tracks.Cell(column, row)).find(cell) != std::string::npos &&
                    std::find(want.begin(), want.end(), disc.Record.Name) == want.end()) {
                    want.push_back(disc.Record.Name);
                }
            }
        }
    }
    Strings shown;
    for (const BrowseNode& heading : browser->Model().Tree()) {
        ASSERT_TRUE(heading.Heading);
        for (const BrowseNode& disc : heading.Children) {
            shown.push_back(disc.Text);
        }
    }
    std::sort(want.begin(), want.end());
    std::sort(shown.begin(), shown.end());
    EXPECT_EQ(shown, want);
    EXPECT_FALSE(shown.empty());
    EXPECT_LT(shown.size(), discs.size() / 2) << cell;
    form.TV->expandAll();
    test::Shot(*browser, "browser_filtered.png");

    // The reference field looks at the reference only.
    form.edTrack->clear();
    form.edRef->setText(QString::fromStdString(UpperAscii(discs[9].Record.Reference)));
    form.rbName->click();
    EXPECT_NE(std::find(Texts(*browser).begin(), Texts(*browser).end(), discs[9].Record.Name),
              Texts(*browser).end());

    // An older catalogue's Windows-1252 composer is matched as it is shown: "saëns" typed becomes
    // "SAëNS" and finds "Saint-Saëns".
    form.edRef->clear();
    Store("00000000000000E1", "Carnival of the Animals", "Camille Saint-Sa\xEBns");
    form.edName->setFocus();
    for (const QChar c : QStringLiteral("sa\u00EBns")) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(form.edName, &press);
    }
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(form.edName, &enter);
    EXPECT_EQ(Texts(*browser), Strings{"Carnival of the Animals"});
}

TEST_F(BrowserTest, AHeadingOrNothingSelectedGivesEachButtonsMessage) {
    Store("00000000000000B1", "One", "Bach");
    auto browser = Open();
    Ui::TfrmCat& form = browser->Form();
    const Strings expected = {
        "Please first select the CD to be edited.",
        "Please first select the data record to delete.",
        "Please first select a CD whose Bitmap is to be viewed.",
        "Please first select a CD whose Wave file is to be played.",
        "Please first select the data record to attach to.",
    };
    const auto pressAll = [&] {
        for (QPushButton* button :
             {form.btnEdit, form.btnDelete, form.btnBitmap, form.btnPlay, form.btnAttach}) {
            button->click();
        }
    };
    pressAll();
    EXPECT_EQ(messages.Errors(), expected);
    form.rbComp->click();
    Select(*browser, "Bach");
    pressAll();
    Strings twice = expected;
    twice.insert(twice.end(), expected.begin(), expected.end());
    EXPECT_EQ(messages.Errors(), twice);
    EXPECT_EQ(browser->Model().rowCount(), 1);
    ExpectSound();
}

TEST_F(BrowserTest, TheDrivesRecordIsEditedOnlyFromTheHandsetAndNeverDeletedHere) {
    Store(Drive(), "In the drive");
    window->Engine().ReloadRecord();
    auto browser = Open();
    Select(*browser, "In the drive");
    browser->Form().btnEdit->click();
    messages.Answer(true);
    browser->Form().btnDelete->click();
    EXPECT_EQ(Said(),
              (std::vector<test::ScriptedMessages::Message>{
                  {false,
                   "You may only edit the record of the disc currently inserted via the main "
                   "handset."},
                  {true, "Would you like to delete the CD data record called In the drive?"},
                  {false, "You cannot delete the data record for the CD currently inserted."}}));
    EXPECT_EQ(Texts(*browser), Strings{"In the drive"});
    EXPECT_EQ(Stored(Drive()).Name, "In the drive");
    ExpectSound();
}

TEST_F(BrowserTest, EditingRenamesTheNodeInPlaceAndStoresTheRecord) {
    Store("00000000000000C1", "Aardvark", "Zed");
    Store("00000000000000C2", "Badger", "Zed");
    auto browser = Open();
    Select(*browser, "Badger");
    {
        const auto opened = test::WhenOpened<TfrmCDData>([](TfrmCDData& dialog) {
            EXPECT_EQ(dialog.Form().edName->text(), QStringLiteral("Badger"));
            dialog.Form().edName->setText(QStringLiteral("Aaa renamed"));
            dialog.Form().btnOK->click();
        });
        browser->Form().btnEdit->click();
    }
    // Not moved until the next refresh.
    EXPECT_EQ(Texts(*browser), (Strings{"Aardvark", "Aaa renamed"}));
    EXPECT_EQ(Stored("00000000000000C2").Name, "Aaa renamed");
    ExpectSound();
    browser->Form().btnRefresh->click();
    EXPECT_EQ(Texts(*browser), (Strings{"Aaa renamed", "Aardvark"}));
}

TEST_F(BrowserTest, DeletingTheLastDiscOfAHeadingFreesItsBlocksAndLeavesTheOthers) {
    WriteWave(dir.Path() / "s.wav", {8000, 8, 1}, std::vector<std::uint8_t>(800, 128));
    test::StoreRandomDiscs(catalogue, 12);
    Store("00000000000000D1", "Lonely", "~Last composer");
    {
        DiscRecord record = Stored("00000000000000D1");
        ASSERT_TRUE(catalogue.OpenDiscVlf());
        record.SampleAddress = holder.Vlf.StoreFile(0, dir.Path() / "s.wav", kSampleBlockType);
        catalogue.CloseDiscVlf();
        catalogue.WriteDiscRecord(record);
    }
    auto browser = Open();
    browser->Form().rbComp->click();
    ASSERT_EQ(Texts(*browser).back(), "  Lonely");
    Select(*browser, "Lonely");
    messages.Answer(false);
    browser->Form().btnDelete->click();
    EXPECT_EQ(Texts(*browser).back(), "  Lonely") << "No keeps the record";
    messages.Answer(true);
    browser->Form().btnDelete->click();
    EXPECT_EQ(Texts(*browser).back(), "# ~Last composer") << "the heading stays, empty";
    EXPECT_EQ(messages.Errors(), Strings{});
    ExpectSound();
    EXPECT_TRUE(AppSettings().DeletedRecordsPresent);
    DiscRecord gone;
    StringGrid tracks;
    TextBox memo;
    KeySnapshot keys;
    EXPECT_EQ(catalogue.LoadDiscRecord("00000000000000D1", gone, tracks, memo, keys), 0);

    browser->Form().btnRefresh->click();
    EXPECT_EQ(browser->Model().rowCount(), 12);
    // Opened again, the counts show the space a rebuild would recover.
    auto again = Open();
    EXPECT_EQ(again->Form().labNo->text(), QStringLiteral("12"));
    EXPECT_EQ(again->Form().labStatus->text(), QStringLiteral("Unused space - Rebuild."));
}

TEST_F(BrowserTest, AttachWithoutACurrentRecordTakesTheDiscsIdentityCountsAndTimes) {
    ASSERT_EQ(window->Engine().Disc().Number(), 0) << "the disc in the drive has no record";
    Store("00000000000000E1", "Imported", "Comp", true);
    auto browser = Open();
    EXPECT_EQ(browser->Model().Tree().front().Picture, NodePicture::Orphan);
    Select(*browser, "Imported");
    browser->Form().btnAttach->click();
    EXPECT_EQ(Said(), (std::vector<test::ScriptedMessages::Message>{}))
        << "no question without a current record";
    ExpectSound();

    const DiscRecord attached = Stored(Drive());
    EXPECT_EQ(attached.Name, "Imported");
    EXPECT_FALSE(attached.Orphan);
    EXPECT_EQ(attached.TrackCount, 2);
    EXPECT_EQ(attached.TrackLengths[0], device->TrackLength[1]);
    EXPECT_EQ(attached.TrackLengths[1], device->TrackLength[2]);
    EXPECT_EQ(attached.TrackLengths[2], 0u);
    EXPECT_DOUBLE_EQ(attached.PlayingTime, device->DiscTotalTime);
    DiscRecord old;
    StringGrid tracks;
    TextBox memo;
    KeySnapshot keys;
    EXPECT_EQ(catalogue.LoadDiscRecord("00000000000000E1", old, tracks, memo, keys), 0);
    ASSERT_GT(catalogue.LoadDiscRecord(Drive(), old, tracks, memo, keys), 0);
    EXPECT_EQ(tracks.Cell(0, 0), Drive());
    EXPECT_EQ(tracks.Cell(0, 1), "Imported first");
    EXPECT_EQ(memo.Lines(), (Strings{Drive(), "About Imported"}));

    // The tree is refreshed: the disc has lost its orphan picture; the handset has its record.
    ASSERT_EQ(browser->Model().rowCount(), 1);
    EXPECT_EQ(browser->Model().Tree().front().Picture, NodePicture::Cd);
    EXPECT_GT(window->Engine().Disc().Number(), 0);
    EXPECT_EQ(window->Engine().Disc().Record().Name, "Imported");

    Select(*browser, "Imported");
    messages.Answer(false);
    browser->Form().btnAttach->click();
    EXPECT_EQ(messages.Messages().back().Text,
              "There is a current data record for this CD, if you continue it will be deleted. "
              "Do you wish to attach the CD to Imported?");
    EXPECT_EQ(messages.Errors(), Strings{}) << "No stops before anything is checked";
}

TEST_F(BrowserTest, AttachWithACurrentRecordDeletesItAndItsBlocksAfterTheQuestion) {
    test::StoreRandomDiscs(catalogue, 6);
    Store(Drive(), "Current");
    window->Engine().ReloadRecord();
    Store("00000000000000F1", "Wanted", "Comp", true);
    auto browser = Open();
    Select(*browser, "Wanted");
    messages.Answer(false);
    browser->Form().btnAttach->click();
    EXPECT_EQ(Stored(Drive()).Name, "Current") << "No changes nothing";
    EXPECT_EQ(browser->Model().rowCount(), 8);

    Select(*browser, "Current");
    messages.Answer(true);
    browser->Form().btnAttach->click();
    EXPECT_EQ(messages.Errors(), Strings{"The CD is already attached to this data record."});

    Select(*browser, "Wanted");
    messages.Answer(true);
    browser->Form().btnAttach->click();
    ExpectSound();
    EXPECT_EQ(Stored(Drive()).Name, "Wanted");
    EXPECT_EQ(browser->Model().rowCount(), 7) << "the current record is gone";
    EXPECT_TRUE(AppSettings().DeletedRecordsPresent);
    browser->reject();
    // After the browser closes the handset shows the attached record.
    EXPECT_EQ(Child<QLabel>("labName")->text(), QStringLiteral("Wanted"));
}

TEST_F(BrowserTest, SortingByNameUsesTheLocaleAndASecondPressOnlyTurnsItOff) {
    // The user's locale; the tests' own is C, which sorts as the index does.
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    Store("0000000000000101", "beta");
    Store("0000000000000102", "Alpha");
    Store("0000000000000103", "alpha two");
    Store("0000000000000104", "Äpfel");
    Store("0000000000000105", "Gamma");
    auto browser = Open();
    Ui::TfrmCat& form = browser->Form();
    EXPECT_EQ(Texts(*browser), (Strings{"Alpha", "Gamma", "alpha two", "beta", "Äpfel"}));
    Select(*browser, "beta");
    form.btnSort->click();
    EXPECT_EQ(form.btnSort->text(), QStringLiteral("Do not sort CDs by name"));
    EXPECT_EQ(Texts(*browser), (Strings{"Alpha", "alpha two", "Äpfel", "beta", "Gamma"}));
    EXPECT_EQ(browser->Model().Node(form.TV->currentIndex())->Text, "beta")
        << "the selection follows its node";
    form.btnSort->click();
    EXPECT_EQ(form.btnSort->text(), QStringLiteral("Sort CDs by name"));
    EXPECT_EQ(Texts(*browser), (Strings{"Alpha", "alpha two", "Äpfel", "beta", "Gamma"}));
    form.btnSort->click();
    form.rbName->click();
    EXPECT_EQ(form.btnSort->text(), QStringLiteral("Sort CDs by name"));
    EXPECT_EQ(Texts(*browser).back(), "Äpfel") << "a refresh turns sorting off";
    QLocale::setDefault(before);
}

TEST_F(BrowserTest, TheSampleSliderFollowsAndMovesAStoredSample) {
    // 12.5 s of silence, mono 8 bits at 11025.
    WriteWave(dir.Path() / "long.wav", {11025, 8, 1}, std::vector<std::uint8_t>(137813, 128));
    Store("0000000000000201", "Quiet");
    Store("0000000000000202", "Heard");
    {
        DiscRecord record = Stored("0000000000000202");
        ASSERT_TRUE(catalogue.OpenDiscVlf());
        record.SampleAddress = holder.Vlf.StoreFile(0, dir.Path() / "long.wav", kSampleBlockType);
        catalogue.CloseDiscVlf();
        catalogue.WriteDiscRecord(record);
    }
    auto browser = Open();
    Ui::TfrmCat& form = browser->Form();
    EXPECT_EQ(browser->Model().Node(Find(*browser, "Heard"))->Picture, NodePicture::Sound);
    Store("0000000000000203", "Orphaned", "Comp", true);
    form.rbComp->click();
    form.TV->expandAll();
    test::Shot(*browser, "browser_pictures.png");
    Select(*browser, "Quiet");
    form.btnPlay->click();
    EXPECT_EQ(messages.Errors(), Strings{"Select CD does not have a recorded sample."});
    EXPECT_FALSE(wave->IsOpen());

    Select(*browser, "Heard");
    form.btnPlay->click();
    ASSERT_TRUE(wave->IsOpen());
    EXPECT_EQ(form.labStart->text(), QStringLiteral("0"));
    EXPECT_EQ(form.labEnd->text(), QStringLiteral(" 12.50"));
    EXPECT_EQ(form.trBar->maximum(), 12);
    EXPECT_TRUE(form.btnStop->isEnabled());
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "Disc.wav")) << "the name is gone";

    clock.AdvanceSeconds(3.2);
    browser->Playback().TimerTimer();
    EXPECT_EQ(form.trBar->value(), 3);
    EXPECT_NEAR(static_cast<double>(wave->GetWavePosition()), 3200, 150);
    form.trBar->setValue(9);
    EXPECT_EQ(wave->GetWavePosition(), 9000);
    clock.AdvanceSeconds(4);
    browser->Playback().TimerTimer();
    EXPECT_FALSE(wave->IsOpen()) << "the end of the sample stops it";
    EXPECT_FALSE(form.trBar->isEnabled());
    EXPECT_EQ(form.trBar->value(), 0);
    EXPECT_TRUE(form.labEnd->text().isEmpty());

    form.btnPlay->click();
    ASSERT_TRUE(wave->IsOpen());
    form.btnStop->click();
    EXPECT_FALSE(wave->IsOpen());
    form.btnPlay->click();
    browser->reject();
    EXPECT_FALSE(wave->IsOpen()) << "closing stops the sample";
    ExpectSound();
}

TEST_F(BrowserTest, TheBitmapIsShownWithOnlyOk) {
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::red);
    picture.save(QString::fromStdString((dir.Path() / "p.bmp").string()));
    Store("0000000000000301", "Plain");
    Store("0000000000000302", "Pictured");
    {
        DiscRecord record = Stored("0000000000000302");
        ASSERT_TRUE(catalogue.OpenDiscVlf());
        record.BitmapAddress = holder.Vlf.StoreFile(0, dir.Path() / "p.bmp", kPictureBlock);
        catalogue.CloseDiscVlf();
        catalogue.WriteDiscRecord(record);
    }
    auto browser = Open();
    Select(*browser, "Plain");
    browser->Form().btnBitmap->click();
    EXPECT_EQ(messages.Errors(), Strings{"Select CD does not have a bitmap attached to it."});
    Select(*browser, "Pictured");
    {
        const auto opened = test::WhenOpened<TfrmBitmap>([](TfrmBitmap& bitmap) {
            for (const char* name : {"btnLoad", "btnSave", "btnClear", "btnCancel"}) {
                EXPECT_FALSE(bitmap.Button(name)->isEnabled()) << name;
            }
            EXPECT_TRUE(bitmap.Button("btnOK")->isEnabled());
            EXPECT_EQ(bitmap.imgBit()->pixmap().toImage().pixelColor(2, 2), QColor(Qt::red));
            bitmap.Button("btnOK")->click();
        });
        browser->Form().btnBitmap->click();
    }
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "Disc.bmp"));
    ExpectSound();
}

TEST_F(BrowserTest, ThePrintButtonsPrintTheSelectedDiscAndTheTreeAsShown) {
    Store("0000000000000401", "Printed disc", "Holst");
    Store("0000000000000402", "Other disc", "Elgar");
    auto browser = Open();
    browser->Form().rbComp->click();
    const std::filesystem::path pdf = dir.Path() / "out.pdf";
    window->Printing().PrintToPdf(pdf);
    browser->Form().btnPrintCat->click();
    ASSERT_TRUE(std::filesystem::exists(pdf));
    EXPECT_GT(std::filesystem::file_size(pdf), 0u);
    EXPECT_FALSE(window->PrintingDialog()->isModal()) << "the progress window does not block";
    EXPECT_FALSE(window->PrintingDialog()->isVisible()) << "hidden once the report has ended";
    std::filesystem::remove(pdf);

    browser->Form().btnPrintCD->click();
    EXPECT_EQ(messages.Errors(), Strings{"Please first select the CD to be printed."});
    Select(*browser, "Printed disc");
    messages.Answer(false);
    browser->Form().btnPrintCD->click();
    EXPECT_EQ(messages.Messages().back().Text,
              "Do you wish to include the user defined fields for the track listing?");
    EXPECT_TRUE(std::filesystem::exists(pdf));
    ExpectSound();
}

TEST_F(BrowserTest, WhileAReportPrintsOnlyItsProgressWindowAnswers) {
    test::StoreRandomDiscs(catalogue, 70);
    Store("0000000000000501", "Chosen");
    auto browser = Open();
    browser->show();
    Ui::TfrmCat& form = browser->Form();
    const Strings before = Texts(*browser);
    TPrintingDlg* printing = window->PrintingDialog();
    const std::filesystem::path pdf = dir.Path() / "busy.pdf";
    window->Printing().PrintToPdf(pdf);

    struct During {
        bool Ran = false;
        bool BrowserEnabled = true;
        bool AbortUsable = false;
    };
    // Everything a user could do to the browser from the keyboard, the mouse or the window
    // manager while the report lets events through; none of it may reach the browser.
    const auto pokeWhilePrinting = [&](During& during) {
        QTimer::singleShot(0, [&] {
            during.Ran = true;
            during.BrowserEnabled = browser->isEnabled();
            during.AbortUsable = printing->isVisible() && printing->isEnabled() &&
                                 printing->AbortButton()->isEnabled();
            if (during.BrowserEnabled) {
                return;  // acting now would free the tree under the report
            }
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(browser.get(), &escape);
            form.btnRefresh->click();
            form.rbComp->click();
            browser->close();
        });
    };

    During listing;
    pokeWhilePrinting(listing);
    form.btnPrintCat->click();
    EXPECT_TRUE(listing.Ran);
    EXPECT_FALSE(listing.BrowserEnabled);
    EXPECT_TRUE(listing.AbortUsable);
    EXPECT_TRUE(browser->isVisible()) << "not closed under the report";
    EXPECT_TRUE(browser->isEnabled()) << "usable again once the report has ended";
    EXPECT_TRUE(form.rbName->isChecked());
    EXPECT_EQ(Texts(*browser), before);
    EXPECT_EQ(messages.Errors(), Strings{});
    ASSERT_TRUE(std::filesystem::exists(pdf));
    std::filesystem::remove(pdf);

    During sheet;
    Select(*browser, "Chosen");
    messages.Answer(false);
    pokeWhilePrinting(sheet);
    form.btnPrintCD->click();
    EXPECT_TRUE(sheet.Ran);
    EXPECT_FALSE(sheet.BrowserEnabled);
    EXPECT_TRUE(sheet.AbortUsable);
    EXPECT_TRUE(browser->isVisible());
    EXPECT_TRUE(browser->isEnabled());
    EXPECT_EQ(Texts(*browser), before);
    EXPECT_TRUE(std::filesystem::exists(pdf));
    EXPECT_EQ(messages.Errors(), Strings{});
    ExpectSound();
    browser->close();
    EXPECT_FALSE(browser->isVisible()) << "closes as usual after the report";
}

TEST_F(BrowserTest, EachAltLetterBelongsToOneControlAndDoesItsJob) {
    auto browser = Open();
    std::map<QChar, Strings> owners;
    const auto note = [&owners](const QString& text) {
        for (qsizetype i = 0; i + 1 < text.size(); ++i) {
            if (text[i] == QLatin1Char('&')) {
                if (text[i + 1] != QLatin1Char('&')) {
                    owners[text[i + 1].toUpper()].push_back(text.toStdString());
                }
                ++i;
            }
        }
    };
    for (const QAbstractButton* button : browser->findChildren<QAbstractButton*>()) {
        note(button->text());
    }
    for (const QLabel* label : browser->findChildren<QLabel*>()) {
        note(label->text());
    }
    for (const auto& [letter, captions] : owners) {
        EXPECT_EQ(captions.size(), 1u) << "Alt+" << QString(letter).toStdString();
    }
    EXPECT_EQ(browser->Form().cbFilter->toolTip(),
              QStringLiteral("Check to apply text filters entered above."));

    // Pressed as the user presses them, through the window's shortcuts.
    browser->show();
    browser->activateWindow();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::activeWindow(), browser.get());
    // A clashing letter only moves the focus between its owners; a unique one presses the
    // button, which clicks once its press has shown.
    const auto altKey = [&](Qt::Key key, QAbstractButton* owner) {
        QTest::keyClick(browser.get(), key, Qt::AltModifier);
        EXPECT_TRUE(owner->isDown()) << owner->objectName().toStdString();
        EXPECT_TRUE(QTest::qWaitFor([owner] { return !owner->isDown(); }));
    };
    Store("0000000000000601", "Added behind its back");
    EXPECT_EQ(browser->Model().rowCount(), 0);
    altKey(Qt::Key_R, browser->Form().btnRefresh);
    EXPECT_EQ(Texts(*browser), Strings{"Added behind its back"}) << "Alt+R refreshes";
    altKey(Qt::Key_Y, browser->Form().cbFilter);
    EXPECT_TRUE(browser->Form().cbFilter->isChecked()) << "Alt+Y applies the filter";
    EXPECT_EQ(browser->Model().rowCount(), 0) << "three empty texts find nothing";
    altKey(Qt::Key_L, browser->Form().rbLab);
    EXPECT_TRUE(browser->Form().rbLab->isChecked()) << "Alt+L shows record labels";
}

TEST_F(BrowserTest, TheProgressWindowStaysReachableAboveTheModalBrowser) {
    TPrintingDlg* printing = window->PrintingDialog();
    {
        const auto opened = test::WhenOpened<TfrmCat>([printing](TfrmCat& browser) {
            printing->FormShow(QStringLiteral("PDF"));
            ASSERT_NE(printing->windowHandle(), nullptr);
            EXPECT_EQ(printing->windowHandle()->transientParent(), browser.windowHandle());
            EXPECT_EQ(printing->PrinterLabel()->text(), QStringLiteral("Printing on PDF"));
            printing->hide();
        });
        window->btnBrowseClick();
    }
    EXPECT_EQ(printing->parentWidget(), &*window) << "still the handset's, made once";
}

TEST_F(BrowserTest, TheHandsetOpensTheBrowserByButtonKeyAndMenuAndBothHandsetsOfferIt) {
    auto* button = Child<QToolButton>("btnBrowse");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->toolTip(), QStringLiteral("Disc catalogue."));
    EXPECT_EQ(button->geometry(), QRect(279, 106, 25, 25));
    EXPECT_FALSE(button->icon().isNull());
    QAction* menu = Action("Bro&wse CD database");
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_W));
    Store(Drive(), "Before");
    window->Engine().ReloadRecord();
    Child<QLabel>("labTrack")->setText(QStringLiteral("a track"));
    // Renamed behind the handset's back; closing the browser shows the stored record.
    DiscRecord record = window->Engine().Disc().Record();
    record.Name = "After";
    catalogue.WriteDiscRecord(record);
    {
        const auto opened = test::WhenOpened<TfrmCat>([](TfrmCat& browser) {
            EXPECT_EQ(browser.Form().labNo->text(), QStringLiteral("1"));
            test::Shot(browser, "browser_opened.png");
        });
        button->click();
    }
    EXPECT_EQ(Child<QLabel>("labName")->text(), QStringLiteral("After"));
    EXPECT_TRUE(Child<QLabel>("labTrack")->text().isEmpty());
    test::Activate(*window);
    {
        test::Boxes boxes(&*window);
        boxes.Dialog<TfrmCat>([](TfrmCat&) { test::Key(Qt::Key_Escape); });
        test::Alt('w');
        EXPECT_TRUE(boxes.Done());
    }
    {
        const auto opened = test::WhenOpened<TfrmCat>([](TfrmCat&) {});
        menu->trigger();
    }
    window->Small2Click();
    TfrmSmall* small = window->SmallHandset();
    ASSERT_NE(small, nullptr);
    QAction* fromSmall = FindAction(*small, "&Browse CD database");
    ASSERT_NE(fromSmall, nullptr);
    EXPECT_NE(FindAction(*small, "Edit current CD &data record"), nullptr);
    {
        const auto opened = test::WhenOpened<TfrmCat>([](TfrmCat&) {});
        fromSmall->trigger();
    }
}

}  // namespace
}  // namespace snx
