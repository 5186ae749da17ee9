// The configuration dialog opened from the handset and driven by its letters: which colour
// buttons each item allows, what a font or colour choice stores, the seconds fields, the pickers'
// starting points, and AutoPlay applied on the click.
#include "settings/config_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QRadioButton>
#include <QTabBar>
#include <cstdlib>
#include <functional>
#include <vector>

#include "settings/mime_apps.h"
#include "settings/qt_colour.h"
#include "settings/settings.h"
#include "tests/support/boxes.h"
#include "tests/support/handset_fixture.h"
#include "tests/support/modal_dialog.h"
#include "tests/support/temp_dir.h"
#include "tests/support/user_input.h"
#include "ui_config_dialog.h"
#include "widgets/help_window.h"

namespace snx {
namespace {

using test::ReadFileText;
using test::WriteFileText;

// The dialog opened from the handset's File menu, as the user opens it; the test's body runs
// while it is up, with AutoPlay registered in the test's folders, and Escape closes it after.
class ConfigDialogTest : public test::HandsetFixture {
  protected:
    ConfigDialogTest() {
        std::filesystem::create_directories(dir / "config");
        Open(drives);
    }
    void Configure(const std::function<void()>& body) {
        test::Boxes boxes(&*window);
        boxes_ = &boxes;
        boxes.Dialog<Tfrmconf>([&](Tfrmconf& dialog) {
            dialog_ = &dialog;
            dialog.AutoPlay.MimeAppsFile = MimeApps();
            dialog.AutoPlay.Entry = {
                dir / "applications", {}, std::filesystem::read_symlink("/proc/self/exe"), {}};
            body();
            test::Activate(dialog);  // again, should a message have closed over it
            test::Key(Qt::Key_Escape);
            dialog_ = nullptr;
        });
        test::Menu(*window, "fc");
        boxes_ = nullptr;
    }
    std::filesystem::path MimeApps() { return dir / "config" / "mimeapps.list"; }
    Ui::Tfrmconf& ui() { return dialog_->Controls(); }
    // Turns the pages with Ctrl+Tab until this one shows.
    void Page(int index) {
        for (int i = 0; i < 4 && ui().nbPages->currentIndex() != index; ++i) {
            test::Key(Qt::Key_Tab, Qt::ControlModifier);
        }
        ASSERT_EQ(ui().nbPages->currentIndex(), index);
    }
    // What OK would store: the dialog's controls copied over the settings.
    Settings CopiedBack() {
        Settings settings = AppSettings();
        dialog_->CopyBack(settings);
        return settings;
    }
    // Types over the whole text of the field whose label has this letter.
    static void Enter(char letter, const QString& text) {
        test::Alt(letter);
        test::Key(Qt::Key_A, Qt::ControlModifier);
        test::Type(text);
    }

    Tfrmconf* dialog_ = nullptr;
    test::Boxes* boxes_ = nullptr;
};

TEST_F(ConfigDialogTest, FormIsAFixedCentredDialogWithFourPagesAndOkAsDefault) {
    test::Boxes boxes(&*window);
    boxes.Dialog<Tfrmconf>([](Tfrmconf& dialog) {
        Ui::Tfrmconf& ui = dialog.Controls();
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Sonatrix system settings"));
        EXPECT_EQ(HelpContextOf(&dialog), kHelpConfiguration);
        // The pages' letters would clash with their controls'; Ctrl+Tab turns the pages.
        const QStringList pages = {QStringLiteral("Colours"), QStringLiteral("Fonts"),
                                   QStringLiteral("Data fields"), QStringLiteral("Other")};
        ASSERT_EQ(ui.nbPages->count(), 4);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(ui.nbPages->tabText(i), pages[i]);
        }
        EXPECT_TRUE(ui.btnOK->isDefault());
        EXPECT_FALSE(ui.btnCancel->isDefault());
        EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());  // fixed
        const QRect screen = dialog.screen()->availableGeometry();
        EXPECT_LE(std::abs(dialog.geometry().center().x() - screen.center().x()), 2);

        // Pictures of the pages, to look at, when asked for.
        if (const char* out = std::getenv("SONATRIX_SCREENSHOT_DIR"); out != nullptr) {
            for (int i = 0; i < 4; ++i) {
                dialog.grab().save(QStringLiteral("%1/config_page_%2.png")
                                       .arg(QString::fromLocal8Bit(out))
                                       .arg(ui.nbPages->currentIndex() + 1));
                test::Key(Qt::Key_Tab, Qt::ControlModifier);
            }
        }
        test::Key(Qt::Key_Escape);  // cancels
    });
    test::Menu(*window, "fc");
}

TEST_F(ConfigDialogTest, ColourButtonsFollowTheSelectedItem) {
    Configure([&] {
        struct Rule {
            QRadioButton* Item;
            char Letter;
            bool Fore;
            bool Back;
        };
        const std::vector<Rule> rules = {
            {ui().rbSelect, 'e', true, false},   {ui().rbVolBack, 'd', false, true},
            {ui().rbHandBack, 'h', false, true}, {ui().rbSmall, 's', true, false},
            {ui().rbTime, 't', true, true},      {ui().rbVolBar, 'v', true, true},
        };
        // Item 1 on creation.
        EXPECT_EQ(dialog_->ColourSelected(), 1);
        EXPECT_TRUE(ui().btnFore->isEnabled());
        EXPECT_TRUE(ui().btnBack->isEnabled());
        for (const Rule& rule : rules) {
            test::Alt(rule.Letter);
            EXPECT_TRUE(rule.Item->isChecked()) << rule.Item->objectName().toStdString();
            EXPECT_EQ(ui().btnFore->isEnabled(), rule.Fore)
                << rule.Item->objectName().toStdString();
            EXPECT_EQ(ui().btnBack->isEnabled(), rule.Back)
                << rule.Item->objectName().toStdString();
        }
    });
}

TEST_F(ConfigDialogTest, AColourChoiceIsPreviewedAndStoredAndOthersKeepTheirSystemColour) {
    Configure([&] {
        std::vector<QColor> offered;
        std::optional<QColor> answer = QColor(1, 2, 3);
        dialog_->PickColour = [&](QColor initial, QWidget*) {
            offered.push_back(initial);
            return answer;
        };
        test::Alt('n');
        test::Alt('f');
        test::Alt('b');  // offered the background
        answer.reset();  // cancelled: the item keeps its colour
        test::Alt('l');
        test::Alt('b');

        ASSERT_EQ(offered.size(), 3u);
        EXPECT_EQ(offered[0], ToQColor(AppSettings().TrackFontColor));
        EXPECT_EQ(offered[1], ToQColor(AppSettings().TrackBackColor));
        EXPECT_EQ(offered[2], ToQColor(AppSettings().DiscDataBackColor));
        EXPECT_EQ(ui().rbTrack->palette().color(QPalette::Window), QColor(1, 2, 3));
        EXPECT_EQ(ui().rbTrack->palette().color(QPalette::WindowText), QColor(1, 2, 3));
        // The preview is painted, not only set: the button's background shows the colour in its
        // group (a grab of the button alone would fill any background).
        QWidget* group = ui().rbTrack->parentWidget();
        const QImage preview = group->grab().toImage();
        const QRect button = ui().rbTrack->geometry();
        EXPECT_EQ(preview.pixelColor(button.right() - 2, button.center().y()), QColor(1, 2, 3));
        const Settings stored = CopiedBack();
        EXPECT_EQ(stored.TrackFontColor, 0x030201);
        EXPECT_EQ(stored.TrackBackColor, 0x030201);
        EXPECT_EQ(stored.DiscDataBackColor, 0xFFFFFF);
        EXPECT_EQ(stored.HandsetBackColor, kButtonFaceColour);
        EXPECT_EQ(stored.VolumeDisplayBackColor, kButtonFaceColour);
    });
}

TEST_F(ConfigDialogTest, AFontChoiceStoresNameSizeAndOnlyTheMainDisplaysBold) {
    Configure([&] {
        QFont chosen(QStringLiteral("DejaVu Serif"));
        chosen.setPointSize(14);
        chosen.setBold(true);
        chosen.setItalic(true);
        dialog_->PickFont = [&](const QFont&, QWidget*) { return std::optional<QFont>(chosen); };
        Page(1);
        test::Alt('h');  // item 1, the main display
        test::Alt('c');
        test::Alt('h');
        EXPECT_EQ(ui().rbTimeFont->font().pointSize(), 14);

        dialog_->PickFont = [](const QFont&, QWidget*) { return std::optional<QFont>(); };
        test::Alt('s');
        test::Alt('h');  // cancelled

        const Settings stored = CopiedBack();
        EXPECT_EQ(stored.DisplayFontName, "DejaVu Serif");
        EXPECT_EQ(stored.DisplayFontSize, 14);
        EXPECT_TRUE(stored.DisplayFontBold);
        EXPECT_EQ(stored.ReportFontName, "DejaVu Serif");
        EXPECT_EQ(stored.ReportFontSize, 14);
        EXPECT_EQ(stored.SmallFontName, "Small fonts");
        EXPECT_EQ(stored.SmallFontSize, 7);

        // A plain font for the main display clears its bold.
        chosen.setBold(false);
        dialog_->PickFont = [&](const QFont&, QWidget*) { return std::optional<QFont>(chosen); };
        test::Alt('t');
        test::Alt('h');
        EXPECT_FALSE(CopiedBack().DisplayFontBold);
    });
}

TEST_F(ConfigDialogTest, SecondsFieldsShowWholeSecondsAndAcceptOnly0To59) {
    AppSettings().SkipTime = 0.05;
    AppSettings().IntroTime = 0.25;
    Configure([&] {
        EXPECT_EQ(ui().edSkip->value(), 5);
        EXPECT_EQ(ui().edIntro->value(), 25);
        EXPECT_DOUBLE_EQ(CopiedBack().SkipTime, 0.05);
        EXPECT_DOUBLE_EQ(CopiedBack().IntroTime, 0.25);

        Page(3);
        Enter('r', QStringLiteral("59"));
        EXPECT_EQ(ui().edSkip->value(), 59);
        EXPECT_DOUBLE_EQ(CopiedBack().SkipTime, 0.59);
        Enter('m', QStringLiteral("60"));
        EXPECT_NE(ui().edIntro->value(), 60);
        EXPECT_LE(ui().edIntro->value(), 59);
    });
}

TEST_F(ConfigDialogTest, PickersStartAtTheNamedFileAndStoreTheChoice) {
    AppSettings().BackgroundBitmap = "/pictures/tiles/sand.bmp";
    AppSettings().MixerControlProgram = "/opt/mixer/bin/mix";
    AppSettings().RecordingControlProgram = "";
    Configure([&] {
        std::vector<Tfrmconf::FilePick> picks;
        QString answer = QStringLiteral("/chosen/file");
        dialog_->PickFile = [&](const Tfrmconf::FilePick& pick, QWidget*) {
            picks.push_back(pick);
            return answer;
        };
        // The labels' letters press the pickers' buttons.
        Page(3);
        test::Alt('x');
        test::Alt('e');
        answer.clear();  // cancelled
        Page(0);
        test::Alt('m');

        ASSERT_EQ(picks.size(), 3u);
        EXPECT_EQ(picks[0].Title, QStringLiteral("Select mixer control program"));
        EXPECT_EQ(picks[0].Directory, QStringLiteral("/opt/mixer/bin"));
        EXPECT_TRUE(picks[0].Applications);
        EXPECT_EQ(picks[1].Title, QStringLiteral("Select recording control program"));
        EXPECT_EQ(picks[1].Directory, QString::fromStdString(AppSettings().ProgramDirectory));
        EXPECT_EQ(picks[2].Title, QStringLiteral("Select bitmap to use"));
        EXPECT_EQ(picks[2].Directory, QStringLiteral("/pictures/tiles"));
        EXPECT_EQ(picks[2].Name, QStringLiteral("sand.bmp"));
        EXPECT_FALSE(picks[2].Applications);
        EXPECT_EQ(ui().labMix->toolTip(), QStringLiteral("/chosen/file"));

        // A long name keeps its start and its file name in the label's width, the whole in the tip.
        const QString longName = QStringLiteral("/home/collector/pictures/handset backgrounds/") +
                                 QString(60, QLatin1Char('x')) + QStringLiteral("/marble.bmp");
        answer = longName;
        test::Alt('m');
        QLabel* label = ui().labBitmap;
        EXPECT_EQ(label->toolTip(), longName);
        EXPECT_TRUE(label->text().startsWith(QStringLiteral("/home/")));
        EXPECT_TRUE(label->text().endsWith(QStringLiteral("/marble.bmp")));
        EXPECT_TRUE(label->text().contains(QChar(0x2026)));
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()),
                  label->contentsRect().width());
        answer = QStringLiteral("/pictures/tiles/sand.bmp");
        test::Alt('m');
        EXPECT_EQ(label->text(), answer);  // a name that fits is shown whole

        const Settings stored = CopiedBack();
        EXPECT_EQ(stored.MixerControlProgram, "/chosen/file");
        EXPECT_EQ(stored.RecordingControlProgram, "/chosen/file");
        EXPECT_EQ(stored.BackgroundBitmap, "/pictures/tiles/sand.bmp");
    });
}

TEST_F(ConfigDialogTest, ChecksLabelsAndCollectorNameGoBackToTheirSettings) {
    Configure([&] {
        EXPECT_EQ(ui().edCollector->text().toStdString(), DefaultCollectorName());
        EXPECT_EQ(CopiedBack().CollectorName, "");  // the account's name is not stored
        test::Alt('u');
        Page(2);
        Enter('i', QStringLiteral("Performer"));
        Enter('n', QStringLiteral("  J. Collector "));
        Page(3);
        test::Alt('k');
        const Settings stored = CopiedBack();
        EXPECT_EQ(stored.UseColorButtons, !AppSettings().UseColorButtons);
        EXPECT_EQ(stored.KeepOnTop, !AppSettings().KeepOnTop);
        EXPECT_EQ(stored.TrackUser1Label, "Performer");
        EXPECT_EQ(stored.TrackUser2Label, "Composer");
        EXPECT_EQ(stored.CollectorName, "J. Collector");
    });
}

TEST_F(ConfigDialogTest, OnlineLookupIsOffUntilTheUserTurnsItOn) {
    Configure([&] {
        EXPECT_FALSE(AppSettings().LookUpUnknownDiscs);
        EXPECT_FALSE(ui().cbLookup->isChecked());
        EXPECT_EQ(ui().cbLookup->text(), QStringLiteral("&Look up unknown discs online"));
        Page(3);
        test::Shot(*dialog_, "config_other.png");
        test::Alt('l');
        EXPECT_TRUE(CopiedBack().LookUpUnknownDiscs);
    });
}

TEST_F(ConfigDialogTest, FillingTheAutoPlayBoxTouchesNothingAndAClickAppliesAtOnce) {
    const std::string list = "[Default Applications]\nx-content/audio-cdda=other.desktop\n";
    WriteFileText(MimeApps(), list);
    AppSettings().AutoPlayHandler = true;
    Configure([&] {
        EXPECT_TRUE(ui().cbAuto->isChecked());
        EXPECT_EQ(ReadFileText(dialog_->AutoPlay.MimeAppsFile), list);
        EXPECT_FALSE(std::filesystem::exists(dir / "SONATRIX.INI"));

        Page(3);
        test::Alt('u');  // off: ours was never there, so the other handler stays
        test::Alt('u');  // on
        EXPECT_TRUE(AppSettings().AutoPlayHandler);
        EXPECT_EQ(AppSettings().PreviousCommandLine, "other.desktop");
        EXPECT_EQ(ReadFileText(dialog_->AutoPlay.MimeAppsFile),
                  "[Default Applications]\nx-content/audio-cdda=sonatrix.desktop\n");
        EXPECT_NE(ReadFileText(dir / "SONATRIX.INI").find("Use Sonatrix to auto play=1\n"),
                  std::string::npos);
        // Nothing installed here: the entry named is written for this program, and goes again.
        EXPECT_TRUE(std::filesystem::exists(dir / "applications" / "sonatrix.desktop"));
        test::Alt('u');
        EXPECT_FALSE(std::filesystem::exists(dir / "applications" / "sonatrix.desktop"));
        EXPECT_EQ(ReadFileText(dialog_->AutoPlay.MimeAppsFile), list);
        EXPECT_FALSE(AppSettings().AutoPlayHandler);
    });
}

TEST_F(ConfigDialogTest, AnUnwritableConfigDirectoryIsReportedAndTheBoxGoesBack) {
    // A file where the directory should be: no one, root included, can write into it.
    const std::filesystem::path config = dir / "config";
    std::filesystem::remove(config);
    WriteFileText(config, "");
    const Settings before = AppSettings();
    Configure([&] {
        Page(3);
        boxes_
            ->Notice("Cannot register Sonatrix for auto play. Unable to write to " +
                     MimeApps().string())
            .Over<Tfrmconf>();
        test::Alt('u');
        test::Activate(*dialog_);
        EXPECT_FALSE(ui().cbAuto->isChecked());
        EXPECT_FALSE(AppSettings().AutoPlayHandler);
        EXPECT_EQ(AppSettings().PreviousCommandLine, before.PreviousCommandLine);
        EXPECT_EQ(ReadFileText(config), "");
        EXPECT_FALSE(std::filesystem::exists(dir / "SONATRIX.INI"));
    });
}

}  // namespace
}  // namespace snx
