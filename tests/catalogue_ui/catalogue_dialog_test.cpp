// The catalogue browser driven through its controls over a handset with a disc in the virtual
// drive, on generated catalogues; the catalogue's checker after every change.
#include "catalogue_ui/catalogue_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QWindow>
#include <functional>
#include <map>
#include <optional>

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
#include "tests/catalogue_ui/catalogue_window_fixture.h"
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

using test::Strings;

using test::FindAction;
using test::WriteWave;

constexpr std::int16_t kPictureBlock = 1025;  // the block type of a disc's picture

class BrowserTest : public test::CatalogueWindowTest {
  protected:
    // The sample's own timer ticks once, the virtual clock having moved before.
    static void NextTick(const TfrmCat& browser) {
        QSignalSpy tick(browser.Playback().Timer(), &QTimer::timeout);
        EXPECT_TRUE(tick.wait(5000)) << "the sample's timer does not tick";
    }
};

TEST_F(BrowserTest, AnEmptyCatalogueShowsNoDiscsAndItsControlsAsTheyStart) {
    Browse([](TfrmCat& browser) {
        Ui::TfrmCat& form = browser.Form();
        EXPECT_EQ(browser.windowTitle(), QStringLiteral("CD catalogue"));
        EXPECT_EQ(HelpContextOf(&browser), 1056);
        EXPECT_EQ(browser.Model().rowCount(), 0);
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
        Alt('i');
        test::Type(QStringLiteral("abc-xyz 1"));
        EXPECT_EQ(form.edName->text(), QStringLiteral("ABC-XYZ 1"));
    });
}

TEST_F(BrowserTest, ViewsFollowTheIndexWithHeadingsForCaseAndPastTheKeyLength) {
    const std::string longer(20, 'L');
    Store("00000000000000A1", "Zeta", "alpha");
    Store("00000000000000A2", "Beta", "Alpha");
    Store("00000000000000A3", "Gamma", "alpha");
    Store("00000000000000A4", "Delta", longer + "-one");
    Store("00000000000000A5", "Omega", longer + "-two");
    Store("00000000000000A6", "Kappa", longer + "-one");
    Browse([&](TfrmCat& browser) {
        Ui::TfrmCat& form = browser.Form();
        EXPECT_EQ(form.labNo->text(), QStringLiteral("6"));
        EXPECT_EQ(Texts(browser), (Strings{"Beta", "Delta", "Gamma", "Kappa", "Omega", "Zeta"}));

        Alt('c');
        // Byte order puts "Alpha" before "alpha"; keys of 20 characters keep the three long
        // composers in record order, so each change of value opens a new heading.
        EXPECT_EQ(Texts(browser),
                  (Strings{"# Alpha", "  Beta", "# " + longer + "-one", "  Delta",
                           "# " + longer + "-two", "  Omega", "# " + longer + "-one", "  Kappa",
                           "# alpha", "  Zeta", "  Gamma"}));
        form.TV->expandAll();
        test::Shot(browser, "browser_composer.png");

        Alt('a');
        EXPECT_EQ(browser.Model().rowCount(), 6);
        EXPECT_EQ(Texts(browser).front(), "# Artist of Beta");
        test::Shot(browser, "browser_artist.png");
        Alt('m');
        // Every record's type is the drive's default, one heading for all.
        EXPECT_EQ(browser.Model().rowCount(), 1);
        EXPECT_EQ(browser.Model().rowCount(browser.Model().index(0, 0)), 6);
        test::Shot(browser, "browser_type.png");
        Alt('l');
        EXPECT_EQ(browser.Model().rowCount(), 1);
        test::Shot(browser, "browser_label.png");
        Alt('n');
        EXPECT_EQ(browser.Model().rowCount(), 6);
        test::Shot(browser, "browser_name.png");
    });
}

TEST_F(BrowserTest, FiltersShowOnlyWhatTheirTextsFind) {
    const std::vector<test::Disc> discs = test::StoreRandomDiscs(catalogue, 40);
    Browse([&](TfrmCat& browser) {
        Ui::TfrmCat& form = browser.Form();
        ASSERT_EQ(browser.Model().rowCount(), 40);

        Alt('y');
        EXPECT_EQ(browser.Model().rowCount(), 0) << "the filter on with no texts shows nothing";

        // A music type's text does not show the record; the same text as a name does.
        const test::Disc& typed = discs[3];
        Retype('i', QString::fromStdString(typed.Record.MusicType));
        Alt('r');
        EXPECT_EQ(browser.Model().rowCount(), 0);

        const std::string name = UpperAscii(discs[5].Record.Name);
        Retype('i', QString::fromStdString(discs[5].Record.Name));
        EXPECT_EQ(form.edName->text().toStdString(), name);
        Alt('r');
        Strings want;
        for (const test::Disc& disc : discs) {
            if (UpperAscii(disc.Record.Name).find(name) != std::string::npos) {
                want.push_back(disc.Record.Name);
            }
        }
        std::sort(want.begin(), want.end());
        EXPECT_EQ(Texts(browser), want);

        // A track text found only in the stored track tables: a user column of a track.
        Retype('i', {});
        const test::Disc& tracked = discs[7];
        ASSERT_GE(tracked.Record.TrackCount, 1);
        const std::string cell = UpperAscii(tracked.Tracks.Cell(1, 1));
        Retype('k', QString::fromStdString(cell));
        Alt('c');
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
        for (const BrowseNode& heading : browser.Model().Tree()) {
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
        test::Shot(browser, "browser_filtered.png");

        // The reference field looks at the reference only.
        Retype('k', {});
        Retype('f', QString::fromStdString(discs[9].Record.Reference));
        Alt('n');
        const Strings byReference = Texts(browser);
        EXPECT_NE(std::find(byReference.begin(), byReference.end(), discs[9].Record.Name),
                  byReference.end());

        // An older catalogue's Windows-1252 composer is matched as it is shown: "saëns" typed
        // becomes "SAëNS" and finds "Saint-Saëns"; Enter in the field refreshes.
        Retype('f', {});
        Store("00000000000000E1", "Carnival of the Animals", "Camille Saint-Sa\xEBns");
        Alt('i');
        test::TypeCharacters(QStringLiteral("sa\u00EBns"));
        test::Key(Qt::Key_Return);
        EXPECT_EQ(Texts(browser), Strings{"Carnival of the Animals"});
    });
}

TEST_F(BrowserTest, AHeadingOrNothingSelectedGivesEachButtonsMessage) {
    Store("00000000000000B1", "One", "Bach");
    Browse([&](TfrmCat& browser) {
        // Each button's letter in turn: Edit, Delete, Bitmap, Sample, Attach.
        const std::vector<std::pair<char, std::string>> expected = {
            {'e', "Please first select the CD to be edited."},
            {'d', "Please first select the data record to delete."},
            {'b', "Please first select a CD whose Bitmap is to be viewed."},
            {'s', "Please first select a CD whose Wave file is to be played."},
            {'t', "Please first select the data record to attach to."},
        };
        const auto pressAll = [&] {
            for (const auto& [letter, message] : expected) {
                boxes->Notice(message).Over(&browser);
                Alt(letter);
                EXPECT_TRUE(boxes->Done()) << letter;
            }
        };
        pressAll();
        Alt('c');
        Select(browser, "Bach");
        pressAll();
        EXPECT_EQ(browser.Model().rowCount(), 1);
    });
    ExpectSound();
}

TEST_F(BrowserTest, TheDrivesRecordIsEditedOnlyFromTheHandsetAndNeverDeletedHere) {
    Store(Drive(), "In the drive");
    window->Engine().ReloadRecord();
    Browse([&](TfrmCat& browser) {
        Select(browser, "In the drive");
        boxes
            ->Notice(
                "You may only edit the record of the disc currently inserted via the main "
                "handset.")
            .Over(&browser);
        Alt('e');
        boxes->Question("Would you like to delete the CD data record called In the drive?", true)
            .Over(&browser);
        boxes->Notice("You cannot delete the data record for the CD currently inserted.")
            .Over(&browser);
        Alt('d');
        EXPECT_TRUE(boxes->Done());
        EXPECT_EQ(Texts(browser), Strings{"In the drive"});
    });
    EXPECT_EQ(Stored(Drive()).Name, "In the drive");
    ExpectSound();
}

TEST_F(BrowserTest, EditingRenamesTheNodeInPlaceAndStoresTheRecord) {
    Store("00000000000000C1", "Aardvark", "Zed");
    Store("00000000000000C2", "Badger", "Zed");
    Browse([&](TfrmCat& browser) {
        Select(browser, "Badger");
        boxes
            ->Dialog<TfrmCDData>([](TfrmCDData& dialog) {
                EXPECT_EQ(dialog.Form().edName->text(), QStringLiteral("Badger"));
                Retype('m', QStringLiteral("Aaa renamed"));
                test::Key(Qt::Key_Return);
            })
            .Over(&browser);
        Alt('e');
        EXPECT_TRUE(boxes->Done());
        // Not moved until the next refresh.
        EXPECT_EQ(Texts(browser), (Strings{"Aardvark", "Aaa renamed"}));
        EXPECT_EQ(Stored("00000000000000C2").Name, "Aaa renamed");
        ExpectSound();
        Alt('r');
        EXPECT_EQ(Texts(browser), (Strings{"Aaa renamed", "Aardvark"}));
    });
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
    const std::string question = "Would you like to delete the CD data record called Lonely?";
    Browse([&](TfrmCat& browser) {
        Alt('c');
        ASSERT_EQ(Texts(browser).back(), "  Lonely");
        Select(browser, "Lonely");
        boxes->Question(question, false).Over(&browser);
        Alt('d');
        EXPECT_EQ(Texts(browser).back(), "  Lonely") << "No keeps the record";
        boxes->Question(question, true).Over(&browser);
        Alt('d');
        EXPECT_EQ(Texts(browser).back(), "# ~Last composer") << "the heading stays, empty";
        EXPECT_TRUE(boxes->Done());
        ExpectSound();
        EXPECT_TRUE(AppSettings().DeletedRecordsPresent);
        DiscRecord gone;
        StringGrid tracks;
        TextBox memo;
        KeySnapshot keys;
        EXPECT_EQ(catalogue.LoadDiscRecord("00000000000000D1", gone, tracks, memo, keys), 0);

        Alt('r');
        EXPECT_EQ(browser.Model().rowCount(), 12);
    });
    // Opened again, the counts show the space a rebuild would recover.
    Browse([](TfrmCat& again) {
        EXPECT_EQ(again.Form().labNo->text(), QStringLiteral("12"));
        EXPECT_EQ(again.Form().labStatus->text(), QStringLiteral("Unused space - Rebuild."));
    });
}

TEST_F(BrowserTest, AttachWithoutACurrentRecordTakesTheDiscsIdentityCountsAndTimes) {
    ASSERT_EQ(window->Engine().Disc().Number(), 0) << "the disc in the drive has no record";
    Store("00000000000000E1", "Imported", "Comp", true);
    Browse([&](TfrmCat& browser) {
        EXPECT_EQ(browser.Model().Tree().front().Picture, NodePicture::Orphan);
        Select(browser, "Imported");
        Alt('t');  // no question without a current record
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

        // The tree is refreshed: the disc has lost its orphan picture; the handset has its
        // record.
        ASSERT_EQ(browser.Model().rowCount(), 1);
        EXPECT_EQ(browser.Model().Tree().front().Picture, NodePicture::Cd);
        EXPECT_GT(window->Engine().Disc().Number(), 0);
        EXPECT_EQ(window->Engine().Disc().Record().Name, "Imported");

        Select(browser, "Imported");
        // No stops before anything is checked.
        boxes
            ->Question(
                "There is a current data record for this CD, if you continue it will be "
                "deleted. Do you wish to attach the CD to Imported?",
                false)
            .Over(&browser);
        Alt('t');
    });
}

TEST_F(BrowserTest, AttachWithACurrentRecordDeletesItAndItsBlocksAfterTheQuestion) {
    test::StoreRandomDiscs(catalogue, 6);
    Store(Drive(), "Current");
    window->Engine().ReloadRecord();
    Store("00000000000000F1", "Wanted", "Comp", true);
    const auto question = [](const std::string& name) {
        return "There is a current data record for this CD, if you continue it will be deleted. "
               "Do you wish to attach the CD to " +
               name + "?";
    };
    Browse([&](TfrmCat& browser) {
        Select(browser, "Wanted");
        boxes->Question(question("Wanted"), false).Over(&browser);
        Alt('t');
        EXPECT_EQ(Stored(Drive()).Name, "Current") << "No changes nothing";
        EXPECT_EQ(browser.Model().rowCount(), 8);

        Select(browser, "Current");
        boxes->Question(question("Current"), true).Over(&browser);
        boxes->Notice("The CD is already attached to this data record.").Over(&browser);
        Alt('t');

        Select(browser, "Wanted");
        boxes->Question(question("Wanted"), true).Over(&browser);
        Alt('t');
        EXPECT_TRUE(boxes->Done());
        ExpectSound();
        EXPECT_EQ(Stored(Drive()).Name, "Wanted");
        EXPECT_EQ(browser.Model().rowCount(), 7) << "the current record is gone";
        EXPECT_TRUE(AppSettings().DeletedRecordsPresent);
    });
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
    Browse([&](TfrmCat& browser) {
        Ui::TfrmCat& form = browser.Form();
        EXPECT_EQ(Texts(browser), (Strings{"Alpha", "Gamma", "alpha two", "beta", "Äpfel"}));
        Select(browser, "beta");
        test::Click(form.btnSort);
        EXPECT_EQ(form.btnSort->text(), QStringLiteral("Do not sort CDs by name"));
        EXPECT_EQ(Texts(browser), (Strings{"Alpha", "alpha two", "Äpfel", "beta", "Gamma"}));
        EXPECT_EQ(browser.Model().Node(form.TV->currentIndex())->Text, "beta")
            << "the selection follows its node";
        test::Click(form.btnSort);
        EXPECT_EQ(form.btnSort->text(), QStringLiteral("Sort CDs by name"));
        EXPECT_EQ(Texts(browser), (Strings{"Alpha", "alpha two", "Äpfel", "beta", "Gamma"}));
        test::Click(form.btnSort);
        Alt('n');
        EXPECT_EQ(form.btnSort->text(), QStringLiteral("Sort CDs by name"));
        EXPECT_EQ(Texts(browser).back(), "Äpfel") << "a refresh turns sorting off";
    });
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
    Store("0000000000000203", "Orphaned", "Comp", true);
    Browse([&](TfrmCat& browser) {
        Ui::TfrmCat& form = browser.Form();
        EXPECT_EQ(browser.Model().Node(Find(browser, "Heard"))->Picture, NodePicture::Sound);
        Alt('c');
        form.TV->expandAll();
        test::Shot(browser, "browser_pictures.png");
        Select(browser, "Quiet");
        boxes->Notice("Select CD does not have a recorded sample.").Over(&browser);
        Alt('s');
        EXPECT_TRUE(boxes->Done());
        EXPECT_FALSE(wave->IsOpen());

        Select(browser, "Heard");
        Alt('s');
        ASSERT_TRUE(wave->IsOpen());
        EXPECT_EQ(form.labStart->text(), QStringLiteral("0"));
        EXPECT_EQ(form.labEnd->text(), QStringLiteral(" 12.50"));
        EXPECT_EQ(form.trBar->maximum(), 12);
        EXPECT_TRUE(form.btnStop->isEnabled());
        EXPECT_TRUE(browser.Playback().Timer()->isActive());
        EXPECT_EQ(browser.Playback().Timer()->interval(), 100);
        EXPECT_FALSE(std::filesystem::exists(dir.Path() / "Disc.wav")) << "the name is gone";

        clock.AdvanceSeconds(3.2);
        NextTick(browser);
        EXPECT_EQ(form.trBar->value(), 3);
        EXPECT_NEAR(static_cast<double>(wave->GetWavePosition()), 3200, 150);
        // The bar by its letter, then six steps on: the sample plays from the ninth second.
        Alt('g');
        for (int i = 0; i < 6; ++i) {
            test::Key(Qt::Key_Right);
        }
        EXPECT_EQ(form.trBar->value(), 9);
        EXPECT_EQ(wave->GetWavePosition(), 9000);
        clock.AdvanceSeconds(4);
        NextTick(browser);
        EXPECT_FALSE(wave->IsOpen()) << "the end of the sample stops it";
        EXPECT_FALSE(form.trBar->isEnabled());
        EXPECT_EQ(form.trBar->value(), 0);
        EXPECT_TRUE(form.labEnd->text().isEmpty());
        EXPECT_FALSE(browser.Playback().Timer()->isActive());

        Alt('s');
        ASSERT_TRUE(wave->IsOpen());
        test::Click(form.btnStop);
        EXPECT_FALSE(wave->IsOpen());
        Alt('s');
        ASSERT_TRUE(wave->IsOpen());
        Front();
        test::Key(Qt::Key_Escape);
    });
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
    Browse([&](TfrmCat& browser) {
        Select(browser, "Plain");
        boxes->Notice("Select CD does not have a bitmap attached to it.").Over(&browser);
        Alt('b');
        Select(browser, "Pictured");
        boxes
            ->Dialog<TfrmBitmap>([](TfrmBitmap& bitmap) {
                for (const char* name : {"btnLoad", "btnSave", "btnClear", "btnCancel"}) {
                    EXPECT_FALSE(bitmap.Button(name)->isEnabled()) << name;
                }
                EXPECT_TRUE(bitmap.Button("btnOK")->isEnabled());
                EXPECT_EQ(bitmap.imgBit()->pixmap().toImage().pixelColor(2, 2), QColor(Qt::red));
                Alt('o');
            })
            .Over(&browser);
        Alt('b');
        EXPECT_TRUE(boxes->Done());
    });
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "Disc.bmp"));
    ExpectSound();
}

TEST_F(BrowserTest, ThePrintButtonsPrintTheSelectedDiscAndTheTreeAsShown) {
    Store("0000000000000401", "Printed disc", "Holst");
    Store("0000000000000402", "Other disc", "Elgar");
    const std::filesystem::path pdf = dir.Path() / "out.pdf";
    window->Printing().PrintToPdf(pdf);
    Browse([&](TfrmCat& browser) {
        Alt('c');
        test::Click(browser.Form().btnPrintCat);
        ASSERT_TRUE(std::filesystem::exists(pdf));
        EXPECT_GT(std::filesystem::file_size(pdf), 0u);
        EXPECT_FALSE(window->PrintingDialog()->isModal()) << "the progress window does not block";
        EXPECT_FALSE(window->PrintingDialog()->isVisible()) << "hidden once the report has ended";
        std::filesystem::remove(pdf);

        boxes->Notice("Please first select the CD to be printed.").Over(&browser);
        test::Click(browser.Form().btnPrintCD);
        Select(browser, "Printed disc");
        boxes
            ->Question("Do you wish to include the user defined fields for the track listing?",
                       false)
            .Over(&browser);
        test::Click(browser.Form().btnPrintCD);
        EXPECT_TRUE(boxes->Done());
        EXPECT_TRUE(std::filesystem::exists(pdf));
    });
    ExpectSound();
}

TEST_F(BrowserTest, WhileAReportPrintsOnlyItsProgressWindowAnswers) {
    test::StoreRandomDiscs(catalogue, 70);
    Store("0000000000000501", "Chosen");
    TPrintingDlg* printing = window->PrintingDialog();
    const std::filesystem::path pdf = dir.Path() / "busy.pdf";
    window->Printing().PrintToPdf(pdf);

    struct During {
        bool Ran = false;
        bool BrowserEnabled = true;
        bool AbortUsable = false;
        bool OverBrowser = false;
    };
    Browse([&](TfrmCat& browser) {
        Ui::TfrmCat& form = browser.Form();
        const Strings before = Texts(browser);
        // Everything a user could do to the browser from the keyboard, the mouse or the window
        // manager while the report lets events through; none of it may reach the browser. The
        // progress window stands over the modal browser, where the user can reach it.
        // Looks at every pass of the report's event loop; acts once its progress window is up.
        QTimer look;
        const auto pokeWhilePrinting = [&](During& during) {
            look.disconnect();
            QObject::connect(&look, &QTimer::timeout, [&] {
                if (!printing->isVisible()) {
                    return;
                }
                look.stop();
                during.Ran = true;
                during.BrowserEnabled = browser.isEnabled();
                during.AbortUsable = printing->isEnabled() && printing->AbortButton()->isEnabled();
                during.OverBrowser =
                    printing->windowHandle() != nullptr &&
                    printing->windowHandle()->transientParent() == browser.windowHandle();
                if (during.BrowserEnabled) {
                    return;  // acting now would free the tree under the report
                }
                test::Key(Qt::Key_Escape);
                for (QAbstractButton* button :
                     std::initializer_list<QAbstractButton*>{form.btnRefresh, form.rbComp}) {
                    QTest::mouseClick(button, Qt::LeftButton);
                }
                browser.close();
            });
            look.start(0);
        };

        During listing;
        pokeWhilePrinting(listing);
        test::Click(form.btnPrintCat);
        EXPECT_TRUE(listing.Ran);
        EXPECT_FALSE(listing.BrowserEnabled);
        EXPECT_TRUE(listing.AbortUsable);
        EXPECT_TRUE(listing.OverBrowser);
        EXPECT_TRUE(printing->PrinterLabel()->text().startsWith(QStringLiteral("Printing on ")));
        EXPECT_TRUE(browser.isVisible()) << "not closed under the report";
        EXPECT_TRUE(browser.isEnabled()) << "usable again once the report has ended";
        EXPECT_TRUE(form.rbName->isChecked());
        EXPECT_EQ(Texts(browser), before);
        ASSERT_TRUE(std::filesystem::exists(pdf));
        std::filesystem::remove(pdf);

        During sheet;
        Select(browser, "Chosen");
        boxes
            ->Question("Do you wish to include the user defined fields for the track listing?",
                       false)
            .Over(&browser);
        pokeWhilePrinting(sheet);
        test::Click(form.btnPrintCD);
        EXPECT_TRUE(sheet.Ran);
        EXPECT_FALSE(sheet.BrowserEnabled);
        EXPECT_TRUE(sheet.AbortUsable);
        EXPECT_TRUE(browser.isVisible());
        EXPECT_TRUE(browser.isEnabled());
        EXPECT_EQ(Texts(browser), before);
        EXPECT_TRUE(std::filesystem::exists(pdf));
        EXPECT_TRUE(boxes->Done());
        ExpectSound();
        Front();
        test::Key(Qt::Key_Escape);
        EXPECT_FALSE(browser.isVisible()) << "closes as usual after the report";
    });
    EXPECT_EQ(printing->parentWidget(), &*window) << "still the handset's, made once";
}

TEST_F(BrowserTest, EachAltLetterBelongsToOneControlAndDoesItsJob) {
    Browse([&](TfrmCat& browser) {
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
        for (const QAbstractButton* button : browser.findChildren<QAbstractButton*>()) {
            note(button->text());
        }
        for (const QLabel* label : browser.findChildren<QLabel*>()) {
            note(label->text());
        }
        for (const auto& [letter, captions] : owners) {
            EXPECT_EQ(captions.size(), 1u) << "Alt+" << QString(letter).toStdString();
        }
        EXPECT_EQ(browser.Form().cbFilter->toolTip(),
                  QStringLiteral("Check to apply text filters entered above."));

        // A clashing letter only moves the focus between its owners; a unique one presses the
        // button, which clicks once its press has shown.
        Store("0000000000000601", "Added behind its back");
        EXPECT_EQ(browser.Model().rowCount(), 0);
        Alt('r');
        EXPECT_EQ(Texts(browser), Strings{"Added behind its back"}) << "Alt+R refreshes";
        Alt('y');
        EXPECT_TRUE(browser.Form().cbFilter->isChecked()) << "Alt+Y applies the filter";
        EXPECT_EQ(browser.Model().rowCount(), 0) << "three empty texts find nothing";
        Alt('l');
        EXPECT_TRUE(browser.Form().rbLab->isChecked()) << "Alt+L shows record labels";
        Alt('o');
        EXPECT_FALSE(browser.isVisible()) << "Alt+O closes";
    });
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
    // The handset's tick names the current track.
    auto* track = Child<QLabel>("labTrack");
    EXPECT_TRUE(QTest::qWaitFor([track] { return !track->text().isEmpty(); }));
    // Renamed behind the handset's back; closing the browser shows the stored record.
    DiscRecord record = window->Engine().Disc().Record();
    record.Name = "After";
    catalogue.WriteDiscRecord(record);
    boxes
        ->Dialog<TfrmCat>([](TfrmCat& browser) {
            EXPECT_EQ(browser.Form().labNo->text(), QStringLiteral("1"));
            test::Shot(browser, "browser_opened.png");
            test::Key(Qt::Key_Escape);
        })
        .Over(&*window);
    test::Click(button);
    EXPECT_TRUE(boxes->Done());
    EXPECT_EQ(Child<QLabel>("labName")->text(), QStringLiteral("After"));
    EXPECT_TRUE(track->text().isEmpty());
    Browse([](TfrmCat&) {});
    boxes->Dialog<TfrmCat>([](TfrmCat&) { test::Key(Qt::Key_Escape); }).Over(&*window);
    test::Menu(*window, "fw");
    EXPECT_TRUE(boxes->Done());

    test::Menu(*window, "a");
    TfrmSmall* small = window->SmallHandset();
    ASSERT_NE(small, nullptr);
    ASSERT_TRUE(small->isVisible());
    EXPECT_NE(FindAction(*small, "Edit current CD &data record"), nullptr);
    // The small handset's menu, from a right click, offers the browser by its letter.
    test::Activate(*small);
    boxes->Dialog<TfrmCat>([](TfrmCat&) { test::Key(Qt::Key_Escape); });
    QTest::mouseClick(small->windowHandle(), Qt::RightButton, Qt::NoModifier, QPoint(5, 5));
    auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(popup, nullptr) << "the right click opened no menu";
    test::Key('b');
    EXPECT_TRUE(boxes->Done());
}

}  // namespace
}  // namespace snx
