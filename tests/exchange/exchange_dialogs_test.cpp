// The export and import windows driven through their controls, and the progress window they
// share: the files they write, the questions they ask, and stopping an import half way.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <functional>
#include <optional>
#include <regex>
#include <type_traits>

#include "exchange/export_dialog.h"
#include "exchange/import_dialog.h"
#include "tests/support/boxes.h"
#include "tests/support/handset_fixture.h"
#include "tests/support/keyboard_map.h"
#include "tests/support/locale_scope.h"
#include "tests/support/random_discs.h"
#include "tests/support/stored_disc.h"
#include "tests/support/user_input.h"
#include "widgets/help_window.h"
#include "widgets/progress_window.h"

namespace snx {
namespace {

using test::Disc;

// Calls action at every handling of events while a progress window is up, after making that
// window handle events at every report, so the count of calls follows the records.
class DuringWork {
  public:
    explicit DuringWork(std::function<void(TProgForm&, int)> action) : action_(std::move(action)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (auto* form = qobject_cast<TProgForm*>(QApplication::activeModalWidget())) {
                form->SetEventInterval(0);
                test::FrontModal();
                action_(*form, ++calls_);
            }
        });
        timer_.start(0);
    }
    int Calls() const { return calls_; }

  private:
    std::function<void(TProgForm&, int)> action_;
    QTimer timer_;
    int calls_ = 0;
};

class ExchangeDialogsTest : public test::HandsetFixture {
  protected:
    // The handset with no disc, active, its messages shown as boxes.
    void SetUp() override {
        Open(drives);
        test::Activate(*window);
        boxes.emplace(&*window);
        boxes->Passing<TProgForm>();
    }
    void TearDown() override { boxes.reset(); }

    std::vector<Disc> StoreDiscs(int count) {
        return test::StoreRandomDiscs(catalogue, count,
                                      {.Seed = 11,
                                       .IdentityStep = 0x3000000,
                                       .IdentityOffset = 5,
                                       .Quote = ", 'q'",
                                       .QuoteOneIn = 5,
                                       .NoUser2Every = 4,
                                       .TrackLimit = 25});
    }
    void AddDisc(const std::string& identity, const std::string& name) {
        test::StoreDisc(catalogue, identity, [&](test::StoredDisc& stored) {
            stored.Record.Name = name;
            stored.Notes.Text = identity + "\r\nNotes of " + name + "\r\n";
        });
    }
    DiscRecord Load(const std::string& identity) {
        DiscRecord record;
        KeySnapshot keys;
        EXPECT_GT(
            catalogue.LoadDiscRecord(identity, record, holder.catTracks, holder.catMemo, keys), 0)
            << identity;
        return record;
    }
    // A new empty catalogue in place of the old, the program's question answered Yes.
    void EmptyCatalogue() {
        for (const char* name : {"disc.DAT", "disc.IX", "disc.VLF"}) {
            std::filesystem::remove(dir / name);
        }
        boxes->Question("Please confirm that a new set of data files are to be created?", true);
        ASSERT_TRUE(catalogue.OpenDiscFiles());
        catalogue.CloseDiscFiles();
        EXPECT_TRUE(boxes->Done());
    }

    template <typename T>
    static T* Control(QWidget& dialog, const char* name) {
        T* control = dialog.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    // The export or import window opened from the File menu; act works it with keys.
    template <typename D>
    void Exchange(std::function<void(D&)> act) {
        boxes->Dialog<D>(std::move(act)).Over(&*window);
        test::Menu(*window, std::is_same_v<D, TfrmExport> ? "fx" : "fi");
        EXPECT_TRUE(boxes->Done());
    }
    // The file name typed over the offered one.
    static void SetFile(const std::filesystem::path& file) {
        test::Retype('e', QString::fromStdString(file.string()));
    }

    std::int32_t Held() {
        catalogue.OpenDiscFiles();
        const std::int32_t count = UsedKeys(catalogue.Handle(), kKeyIdentity);
        catalogue.CloseDiscFiles();
        return count;
    }

    // A version 4 file of count discs named "Disc n", one track each.
    void WriteVersion4(int count, const std::string& prefix = "Disc") {
        std::string text;
        for (int i = 0; i < count; ++i) {
            char id[17];
            std::snprintf(id, sizeof id, "%016X", i + 1);
            text += std::string("[") + id + "]\r\n" + prefix + " " + std::to_string(i) +
                    "\r\nA\r\nC\r\nR\r\nT\r\nL\r\nU1\r\nU2\r\n1999\r\n3.05\r\n1\r\n3.05\r\nOne\r\n"
                    "\r\n\r\n";
        }
        test::WriteFileText(file_, text);
    }

    std::filesystem::path file_ = dir / "EXPORT.TXT";
    std::optional<test::Boxes> boxes;
};

TEST_F(ExchangeDialogsTest, ExportControlsAndTheirDefaults) {
    Exchange<TfrmExport>([this](TfrmExport& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Export CD database"));
        EXPECT_EQ(HelpContextOf(&dialog), 1024);
        EXPECT_EQ(dialog.Options(), ExportOptions{});
        EXPECT_EQ(dialog.Separator(), ",");
        EXPECT_EQ(dialog.Quote(), "\"");
        EXPECT_EQ(Control<QLineEdit>(dialog, "edFile")->text().toStdString(),
                  (dir.Path() / "EXPORT.TXT").string());
        EXPECT_TRUE(Control<QPushButton>(dialog, "btnOK")->isDefault());

        auto* fields = Control<QSpinBox>(dialog, "edFields");
        EXPECT_EQ(fields->maximum(), 99);
        test::AltOnTop('v');
        EXPECT_FALSE(fields->isEnabled());
        test::AltOnTop('s');
        EXPECT_EQ(dialog.Quote(), "'");
        test::AltOnTop('f');
        EXPECT_TRUE(fields->isEnabled());
        EXPECT_EQ(dialog.focusWidget(), fields);

        test::AltOnTop('d');
        test::AltOnTop('1');
        auto* btnDefault = Control<QPushButton>(dialog, "btnDefault");
        EXPECT_EQ(btnDefault->toolTip(),
                  QStringLiteral("Set the default record format used for Sonatrix import."));
        test::AltOnTop('r');
        EXPECT_EQ(dialog.Options(), ExportOptions::SonatrixDefault());
        EXPECT_EQ(dialog.Separator(), "\r\n");
        EXPECT_EQ(dialog.Quote(), "");
        EXPECT_FALSE(fields->isEnabled());
        test::Key(Qt::Key_Escape);
    });
}

// One control changed from the defaults by its keys, and the options the core is given for it.
struct OptionCase {
    const char* Name;
    std::function<void()> Change;
    std::function<void(ExportOptions&)> Expect;
};

class ExportOptionTest : public ExchangeDialogsTest,
                         public testing::WithParamInterface<OptionCase> {};

TEST_P(ExportOptionTest, WritesWhatTheCoreWritesForTheSameOptions) {
    StoreDiscs(6);
    Exchange<TfrmExport>([this](TfrmExport& dialog) {
        GetParam().Change();
        SetFile(file_);
        test::AltOnTop('o');
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    });

    ExportOptions expected;
    GetParam().Expect(expected);
    const std::filesystem::path reference = dir / "reference.txt";
    ASSERT_EQ(ExportCatalogue(catalogue, reference, expected).Outcome, ExportOutcome::Done);
    const std::string written = test::ReadFileText(file_);
    EXPECT_TRUE(written == test::ReadFileText(reference));
    std::string header;
    AppendExportHeader(expected, header);
    EXPECT_EQ(written.starts_with(header), expected.Header);
}

// The count of track groups typed into the box that follows the fixed choice (already made).
void SetGroups(int groups) {
    test::AltOnTop('f');
    test::Key(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget()->objectName(), QStringLiteral("edFields"));
    test::Key('a', Qt::ControlModifier);
    test::Type(QString::number(groups));
}
std::function<void()> Letters(const char* letters) {
    return [letters] {
        for (const char* letter = letters; *letter != '\0'; ++letter) {
            test::AltOnTop(*letter);
        }
    };
}

INSTANTIATE_TEST_SUITE_P(
    EveryOption, ExportOptionTest,
    testing::Values(
        OptionCase{"Defaults", [] {}, [](ExportOptions&) {}},
        OptionCase{"LineFeed", Letters("l"),
                   [](ExportOptions& o) { o.Separator = ExportSeparator::LineFeed; }},
        OptionCase{"SingleQuotes", Letters("s"),
                   [](ExportOptions& o) { o.Quote = ExportQuote::Single; }},
        OptionCase{"NoQuotes", Letters("n"), [](ExportOptions& o) { o.Quote = ExportQuote::None; }},
        OptionCase{"ThreeTracks", [] { SetGroups(3); },
                   [](ExportOptions& o) { o.TrackGroups = 3; }},
        OptionCase{"NoTracks", [] { SetGroups(0); }, [](ExportOptions& o) { o.TrackGroups = 0; }},
        OptionCase{"VariableTracks", Letters("v"), [](ExportOptions& o) { o.FixedTracks = false; }},
        OptionCase{"NoHeader", Letters("h"), [](ExportOptions& o) { o.Header = false; }},
        OptionCase{"NoTimes", Letters("t"), [](ExportOptions& o) { o.Times = false; }},
        OptionCase{"NoNames", Letters("a"), [](ExportOptions& o) { o.Names = false; }},
        OptionCase{"UserField1", Letters("1"), [](ExportOptions& o) { o.User1 = true; }},
        OptionCase{"UserField2", Letters("2"), [](ExportOptions& o) { o.User2 = true; }},
        OptionCase{"NoTrackField", Letters("ta"),
                   [](ExportOptions& o) { o.Times = o.Names = false; }}),
    [](const testing::TestParamInfo<OptionCase>& param) { return std::string(param.param.Name); });

TEST_F(ExchangeDialogsTest, SonatrixDefaultRoundTripThroughBothWindows) {
    const test::CommaLocale locale;  // times keep their dot where numbers take a comma
    ASSERT_TRUE(locale.Active());
    const std::vector<Disc> discs = StoreDiscs(500);
    Exchange<TfrmExport>([](TfrmExport& dialog) {
        test::AltOnTop('r');
        test::AltOnTop('o');
        ASSERT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.LastResult().Discs, 500);
    });
    const std::string text = test::ReadFileText(file_);
    EXPECT_TRUE(std::regex_search(text, std::regex("\r\n[0-9]{2,}\\.[0-9]{2}\r\n")));
    EXPECT_FALSE(std::regex_search(text, std::regex("\r\n[0-9]{2,},[0-9]{2}\r\n")));
    EmptyCatalogue();
    // The file each window offers first is the same one.
    Exchange<TfrmImport>([](TfrmImport& dialog) {
        test::Key(Qt::Key_Return);
        ASSERT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.LastResult().Added, 500);
    });
    for (const Disc& disc : discs) {
        test::ExpectImported(disc, Load(disc.Record.Identity), holder.catTracks);
    }

    // A file an older version wrote under another case is the one both windows find.
    const std::filesystem::path older = dir / "Export.txt";
    std::filesystem::rename(file_, older);
    Exchange<TfrmExport>([this](TfrmExport& dialog) {
        test::AltOnTop('r');
        boxes->Question("File exists - do you wish to overwrite it?", false).Over(&dialog);
        test::AltOnTop('o');
        EXPECT_TRUE(boxes->Done());
        EXPECT_TRUE(dialog.isVisible());
        test::FrontModal();
        test::Key(Qt::Key_Escape);
    });
    Exchange<TfrmImport>([&](TfrmImport& dialog) {
        EXPECT_EQ(Control<QLineEdit>(dialog, "edFile")->text().toStdString(), older.string());
        test::AltOnTop('o');
        EXPECT_EQ(dialog.LastResult().Skipped, 500);
    });
    EXPECT_FALSE(std::filesystem::exists(file_));
}

TEST_F(ExchangeDialogsTest, ExportAsksBeforeReplacingAndStaysOpenOnFailure) {
    AddDisc("0000000000000001", "One");
    test::WriteFileText(file_, "old");
    Exchange<TfrmExport>([this](TfrmExport& dialog) {
        SetFile(file_);
        boxes->Question("File exists - do you wish to overwrite it?", false).Over(&dialog);
        test::AltOnTop('o');
        EXPECT_TRUE(boxes->Done());
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(test::ReadFileText(file_), "old");

        SetFile(dir / "missing" / "out.txt");
        boxes->Notice("Cannot create file requested.").Over(&dialog);
        test::AltOnTop('o');
        EXPECT_TRUE(boxes->Done());
        EXPECT_TRUE(dialog.isVisible());

        SetFile(file_);
        boxes->Question("File exists - do you wish to overwrite it?", true).Over(&dialog);
        test::AltOnTop('o');
        EXPECT_TRUE(boxes->Done());
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    });
    EXPECT_NE(test::ReadFileText(file_).find("[0000000000000001]"), std::string::npos);
}

TEST_F(ExchangeDialogsTest, ImportControlsAndMissingFiles) {
    Exchange<TfrmImport>([this](TfrmImport& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Import CD database"));
        EXPECT_EQ(HelpContextOf(&dialog), 1028);
        auto* edFile = Control<QLineEdit>(dialog, "edFile");
        EXPECT_EQ(edFile->text().toStdString(), (dir.Path() / "EXPORT.TXT").string());
        EXPECT_FALSE(dialog.Options().Merge);
        EXPECT_FALSE(Control<QCheckBox>(dialog, "cbMerge")->toolTip().isEmpty());

        test::AltOnTop('w');
        EXPECT_EQ(
            edFile->text().toStdString(),
            (std::filesystem::path(AppSettings().WindowsDirectory) / "sonatrix.ini").string());
        EXPECT_EQ(dialog.FilterIndex(), 1);
        EXPECT_EQ(dialog.Options().Format, ImportFormat::Ini);
        test::AltOnTop('3');
        EXPECT_EQ(dialog.FilterIndex(), 0);
        EXPECT_EQ(dialog.Options().Format, ImportFormat::Version3);

        SetFile(dir / "nothing.txt");
        boxes->Notice("File not found").Over(&dialog);
        test::AltOnTop('o');
        EXPECT_TRUE(dialog.isVisible());
        SetFile(dir.Path());
        boxes->Notice("Cannot open requested file.").Over(&dialog);
        test::AltOnTop('o');
        EXPECT_TRUE(boxes->Done());
        EXPECT_TRUE(dialog.isVisible());
        test::FrontModal();
        test::Key(Qt::Key_Escape);
    });
}

TEST_F(ExchangeDialogsTest, MergeOnAndOffOverHeldDiscs) {
    AddDisc("0000000000000001", "Held name");
    WriteVersion4(2, "Filed");
    const auto import = [&](bool merge) {
        ImportResult result;
        Exchange<TfrmImport>([&](TfrmImport& dialog) {
            SetFile(file_);
            if (merge) {
                test::AltOnTop('m');
            }
            test::AltOnTop('o');
            EXPECT_EQ(dialog.result(), QDialog::Accepted);
            result = dialog.LastResult();
        });
        return result;
    };
    ImportResult result = import(false);
    EXPECT_EQ(std::tie(result.Added, result.Merged, result.Skipped), std::tuple(1, 0, 1));
    EXPECT_EQ(Load("0000000000000001").Name, "Held name");
    EXPECT_EQ(Load("0000000000000002").Name, "Filed 1");

    result = import(true);
    EXPECT_EQ(std::tie(result.Added, result.Merged, result.Skipped), std::tuple(0, 2, 0));
    const DiscRecord merged = Load("0000000000000001");
    EXPECT_EQ(merged.Name, "Filed 0");
    EXPECT_TRUE(merged.Orphan);
    // Notes are not in the file: the held ones stay.
    EXPECT_EQ(holder.catMemo.Lines().at(1), "Notes of Held name");
}

TEST_F(ExchangeDialogsTest, CancelledImportKeepsWhatItStoredAndSaysHowMany) {
    WriteVersion4(5000);
    Exchange<TfrmImport>([this](TfrmImport& dialog) {
        SetFile(file_);
        bool shown = false;
        {
            DuringWork work([&](TProgForm& form, int calls) {
                shown = form.isVisible() && form.windowTitle() == QStringLiteral("Importing");
                if (calls == 1) {
                    EXPECT_EQ(test::WindowFaults(form), std::vector<std::string>{});
                }
                if (calls == 40) {
                    test::Click(form.CancelButton());
                }
            });
            // The count is only known once the import has stopped.
            boxes->Dialog<QMessageBox>([](QMessageBox& box) {
                EXPECT_TRUE(box.text().startsWith(QStringLiteral("Import cancelled - ")));
                test::Key(Qt::Key_Return);
            });
            test::AltOnTop('o');
        }
        EXPECT_TRUE(boxes->Done());
        EXPECT_TRUE(shown);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        const ImportResult& result = dialog.LastResult();
        EXPECT_TRUE(result.Cancelled);
        EXPECT_GT(result.Added, 0);
        EXPECT_LT(result.Added, 5000);
        EXPECT_EQ(Held(), result.Added);
        EXPECT_EQ(boxes->Shown().back(),
                  "Import cancelled - " + std::to_string(result.Added) + " discs were stored.");
    });
    EXPECT_FALSE(TProgForm::WorkRunning());
}

TEST_F(ExchangeDialogsTest, CancelledExportLeavesTheOldFile) {
    StoreDiscs(300);
    test::WriteFileText(file_, "old");
    Exchange<TfrmExport>([this](TfrmExport& dialog) {
        SetFile(file_);
        boxes->Question("File exists - do you wish to overwrite it?", true).Over(&dialog);
        {
            DuringWork work([](TProgForm& form, int calls) {
                if (calls == 20) {
                    test::Key(Qt::Key_Escape);
                    EXPECT_TRUE(form.isVisible());
                }
            });
            test::AltOnTop('o');
        }
        EXPECT_TRUE(boxes->Done());
        EXPECT_EQ(dialog.LastResult().Outcome, ExportOutcome::Cancelled);
        EXPECT_TRUE(dialog.isVisible());
        test::FrontModal();
        test::Key(Qt::Key_Escape);
    });
    EXPECT_TRUE(test::ReadFileText(file_) == "old");
}

TEST(ProgressGaugeTest, DonePartOnAquaWithThePercentage) {
    QImage image(200, 20, QImage::Format_RGB32);
    QPainter painter(&image);
    PaintProgressGauge(painter, image.rect(), 30);
    painter.end();
    EXPECT_EQ(image.pixelColor(5, 2), QColor(0, 0, 128));
    EXPECT_EQ(image.pixelColor(59, 2), QColor(0, 0, 128));
    EXPECT_EQ(image.pixelColor(61, 2), QColor(0, 255, 255));
    EXPECT_EQ(image.pixelColor(195, 18), QColor(0, 255, 255));
    // The text in the middle is drawn in the done colour over the aqua.
    bool text = false;
    for (int x = 80; x < 120; ++x) {
        for (int y = 0; y < 20; ++y) {
            text = text || image.pixelColor(x, y) != QColor(0, 255, 255);
        }
    }
    EXPECT_TRUE(text);
}

}  // namespace
}  // namespace snx
