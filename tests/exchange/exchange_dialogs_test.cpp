// The export and import windows driven through their controls, and the progress window they
// share: the files they write, the questions they ask, and stopping an import half way.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <functional>
#include <regex>

#include "exchange/export_dialog.h"
#include "exchange/import_dialog.h"
#include "tests/support/catalogue_fixture.h"
#include "tests/support/keyboard_map.h"
#include "tests/support/locale_scope.h"
#include "tests/support/random_discs.h"
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

class ExchangeDialogsTest : public test::CatalogueTest {
  protected:
    ExchangeDialogsTest() { CreateFiles(); }

    std::vector<Disc> StoreDiscs(int count) {
        return test::StoreRandomDiscs(*catalogue_, count,
                                      {.Seed = 11,
                                       .IdentityStep = 0x3000000,
                                       .IdentityOffset = 5,
                                       .Quote = ", 'q'",
                                       .QuoteOneIn = 5,
                                       .NoUser2Every = 4,
                                       .TrackLimit = 25});
    }

    template <typename T>
    static T* Control(QWidget& dialog, const char* name) {
        T* control = dialog.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    static void Click(QWidget& dialog, const char* name) {
        Control<QAbstractButton>(dialog, name)->click();
    }
    static void SetFile(QWidget& dialog, const std::filesystem::path& file) {
        Control<QLineEdit>(dialog, "edFile")->setText(QString::fromStdString(file.string()));
    }

    std::int32_t Held() {
        catalogue_->OpenDiscFiles();
        const std::int32_t count = UsedKeys(catalogue_->Handle(), kKeyIdentity);
        catalogue_->CloseDiscFiles();
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

    std::filesystem::path file_ = dir_ / "EXPORT.TXT";
};

TEST_F(ExchangeDialogsTest, ExportControlsAndTheirDefaults) {
    TfrmExport dialog(*catalogue_);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Export CD database"));
    EXPECT_EQ(HelpContextOf(&dialog), 1024);
    EXPECT_EQ(dialog.Options(), ExportOptions{});
    EXPECT_EQ(dialog.Separator(), ",");
    EXPECT_EQ(dialog.Quote(), "\"");
    EXPECT_EQ(Control<QLineEdit>(dialog, "edFile")->text().toStdString(),
              (dir_.Path() / "EXPORT.TXT").string());
    EXPECT_TRUE(Control<QPushButton>(dialog, "btnOK")->isDefault());

    auto* fields = Control<QSpinBox>(dialog, "edFields");
    EXPECT_EQ(fields->maximum(), 99);
    Click(dialog, "rbVariable");
    EXPECT_FALSE(fields->isEnabled());
    Click(dialog, "rbSingle");
    EXPECT_EQ(dialog.Quote(), "'");
    Click(dialog, "rbFixed");
    EXPECT_TRUE(fields->isEnabled());
    EXPECT_EQ(dialog.focusWidget(), fields);

    Click(dialog, "rbDouble");
    Click(dialog, "cbDef1");
    auto* btnDefault = Control<QPushButton>(dialog, "btnDefault");
    EXPECT_EQ(btnDefault->toolTip(),
              QStringLiteral("Set the default record format used for Sonatrix import."));
    btnDefault->click();
    EXPECT_EQ(dialog.Options(), ExportOptions::SonatrixDefault());
    EXPECT_EQ(dialog.Separator(), "\r\n");
    EXPECT_EQ(dialog.Quote(), "");
    EXPECT_FALSE(fields->isEnabled());
}

// One control changed from the defaults, and the options the core is given for it.
struct OptionCase {
    const char* Name;
    std::function<void(QWidget&)> Change;
    std::function<void(ExportOptions&)> Expect;
};

class ExportOptionTest : public ExchangeDialogsTest,
                         public testing::WithParamInterface<OptionCase> {};

TEST_P(ExportOptionTest, WritesWhatTheCoreWritesForTheSameOptions) {
    StoreDiscs(6);
    TfrmExport dialog(*catalogue_);
    dialog.show();
    GetParam().Change(dialog);
    SetFile(dialog, file_);
    Click(dialog, "btnOK");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);

    ExportOptions expected;
    GetParam().Expect(expected);
    const std::filesystem::path reference = dir_ / "reference.txt";
    ASSERT_EQ(ExportCatalogue(*catalogue_, reference, expected).Outcome, ExportOutcome::Done);
    const std::string written = test::ReadFileText(file_);
    EXPECT_TRUE(written == test::ReadFileText(reference));
    std::string header;
    AppendExportHeader(expected, header);
    EXPECT_EQ(written.starts_with(header), expected.Header);
    EXPECT_TRUE(messages_.Errors().empty());
}

void SetGroups(QWidget& dialog, int groups) {
    dialog.findChild<QSpinBox*>(QStringLiteral("edFields"))->setValue(groups);
}

INSTANTIATE_TEST_SUITE_P(
    EveryOption, ExportOptionTest,
    testing::Values(
        OptionCase{"Defaults", [](QWidget&) {}, [](ExportOptions&) {}},
        OptionCase{
            "LineFeed",
            [](QWidget& d) { d.findChild<QRadioButton*>(QStringLiteral("rbLine"))->click(); },
            [](ExportOptions& o) { o.Separator = ExportSeparator::LineFeed; }},
        OptionCase{
            "SingleQuotes",
            [](QWidget& d) { d.findChild<QRadioButton*>(QStringLiteral("rbSingle"))->click(); },
            [](ExportOptions& o) { o.Quote = ExportQuote::Single; }},
        OptionCase{
            "NoQuotes",
            [](QWidget& d) { d.findChild<QRadioButton*>(QStringLiteral("rbNone"))->click(); },
            [](ExportOptions& o) { o.Quote = ExportQuote::None; }},
        OptionCase{"ThreeTracks", [](QWidget& d) { SetGroups(d, 3); },
                   [](ExportOptions& o) { o.TrackGroups = 3; }},
        OptionCase{"NoTracks", [](QWidget& d) { SetGroups(d, 0); },
                   [](ExportOptions& o) { o.TrackGroups = 0; }},
        OptionCase{
            "VariableTracks",
            [](QWidget& d) { d.findChild<QRadioButton*>(QStringLiteral("rbVariable"))->click(); },
            [](ExportOptions& o) { o.FixedTracks = false; }},
        OptionCase{"NoHeader",
                   [](QWidget& d) { d.findChild<QCheckBox*>(QStringLiteral("cbHeader"))->click(); },
                   [](ExportOptions& o) { o.Header = false; }},
        OptionCase{"NoTimes",
                   [](QWidget& d) { d.findChild<QCheckBox*>(QStringLiteral("cbTimes"))->click(); },
                   [](ExportOptions& o) { o.Times = false; }},
        OptionCase{"NoNames",
                   [](QWidget& d) { d.findChild<QCheckBox*>(QStringLiteral("cbName"))->click(); },
                   [](ExportOptions& o) { o.Names = false; }},
        OptionCase{"UserField1",
                   [](QWidget& d) { d.findChild<QCheckBox*>(QStringLiteral("cbDef1"))->click(); },
                   [](ExportOptions& o) { o.User1 = true; }},
        OptionCase{"UserField2",
                   [](QWidget& d) { d.findChild<QCheckBox*>(QStringLiteral("cbDef2"))->click(); },
                   [](ExportOptions& o) { o.User2 = true; }},
        OptionCase{"NoTrackField",
                   [](QWidget& d) {
                       d.findChild<QCheckBox*>(QStringLiteral("cbTimes"))->click();
                       d.findChild<QCheckBox*>(QStringLiteral("cbName"))->click();
                   },
                   [](ExportOptions& o) { o.Times = o.Names = false; }}),
    [](const testing::TestParamInfo<OptionCase>& param) { return std::string(param.param.Name); });

TEST_F(ExchangeDialogsTest, SonatrixDefaultRoundTripThroughBothWindows) {
    const test::CommaLocale locale;  // times keep their dot where numbers take a comma
    ASSERT_TRUE(locale.Active());
    const std::vector<Disc> discs = StoreDiscs(500);
    {
        TfrmExport dialog(*catalogue_);
        dialog.show();
        Click(dialog, "btnDefault");
        Click(dialog, "btnOK");
        ASSERT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.LastResult().Discs, 500);
    }
    const std::string text = test::ReadFileText(file_);
    EXPECT_TRUE(std::regex_search(text, std::regex("\r\n[0-9]{2,}\\.[0-9]{2}\r\n")));
    EXPECT_FALSE(std::regex_search(text, std::regex("\r\n[0-9]{2,},[0-9]{2}\r\n")));
    EmptyCatalogue();
    {
        // The file each window offers first is the same one.
        TfrmImport dialog(*catalogue_);
        dialog.show();
        Click(dialog, "btnOK");
        ASSERT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.LastResult().Added, 500);
    }
    for (const Disc& disc : discs) {
        test::ExpectImported(disc, Load(disc.Record.Identity), holder_->catTracks);
    }
    EXPECT_TRUE(messages_.Errors().empty());

    // A file an older version wrote under another case is the one both windows find.
    const std::filesystem::path older = dir_ / "Export.txt";
    std::filesystem::rename(file_, older);
    {
        TfrmExport dialog(*catalogue_);
        dialog.show();
        Click(dialog, "btnDefault");
        messages_.Answer(false);
        Click(dialog, "btnOK");
        EXPECT_EQ(
            messages_.Messages().back(),
            (test::ScriptedMessages::Message{true, "File exists - do you wish to overwrite it?"}));
        EXPECT_TRUE(dialog.isVisible());
    }
    {
        TfrmImport dialog(*catalogue_);
        dialog.show();
        EXPECT_EQ(Control<QLineEdit>(dialog, "edFile")->text().toStdString(), older.string());
        Click(dialog, "btnOK");
        EXPECT_EQ(dialog.LastResult().Skipped, 500);
    }
    EXPECT_FALSE(std::filesystem::exists(file_));
}

TEST_F(ExchangeDialogsTest, ExportAsksBeforeReplacingAndStaysOpenOnFailure) {
    AddDisc("0000000000000001", "One");
    test::WriteFileText(file_, "old");
    TfrmExport dialog(*catalogue_);
    dialog.show();
    SetFile(dialog, file_);
    messages_.Answer(false);
    Click(dialog, "btnOK");
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(test::ReadFileText(file_), "old");
    EXPECT_EQ(
        messages_.Messages().back(),
        (test::ScriptedMessages::Message{true, "File exists - do you wish to overwrite it?"}));

    SetFile(dialog, dir_ / "missing" / "out.txt");
    Click(dialog, "btnOK");
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(messages_.Errors(), std::vector<std::string>{"Cannot create file requested."});

    SetFile(dialog, file_);
    messages_.Answer(true);
    Click(dialog, "btnOK");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_NE(test::ReadFileText(file_).find("[0000000000000001]"), std::string::npos);
}

TEST_F(ExchangeDialogsTest, ImportControlsAndMissingFiles) {
    TfrmImport dialog(*catalogue_);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Import CD database"));
    EXPECT_EQ(HelpContextOf(&dialog), 1028);
    auto* edFile = Control<QLineEdit>(dialog, "edFile");
    EXPECT_EQ(edFile->text().toStdString(), (dir_.Path() / "EXPORT.TXT").string());
    EXPECT_FALSE(dialog.Options().Merge);
    EXPECT_FALSE(Control<QCheckBox>(dialog, "cbMerge")->toolTip().isEmpty());

    Click(dialog, "rbwin");
    EXPECT_EQ(edFile->text().toStdString(),
              (std::filesystem::path(AppSettings().WindowsDirectory) / "sonatrix.ini").string());
    EXPECT_EQ(dialog.FilterIndex(), 1);
    EXPECT_EQ(dialog.Options().Format, ImportFormat::Ini);
    Click(dialog, "rbv3");
    EXPECT_EQ(dialog.FilterIndex(), 0);
    EXPECT_EQ(dialog.Options().Format, ImportFormat::Version3);

    SetFile(dialog, dir_ / "nothing.txt");
    Click(dialog, "btnOK");
    EXPECT_TRUE(dialog.isVisible());
    SetFile(dialog, dir_.Path());
    Click(dialog, "btnOK");
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(messages_.Errors(),
              (std::vector<std::string>{"File not found", "Cannot open requested file."}));
}

TEST_F(ExchangeDialogsTest, MergeOnAndOffOverHeldDiscs) {
    AddDisc("0000000000000001", "Held name");
    WriteVersion4(2, "Filed");
    const auto import = [&](bool merge) {
        TfrmImport dialog(*catalogue_);
        dialog.show();
        SetFile(dialog, file_);
        if (merge) {
            Click(dialog, "cbMerge");
        }
        Click(dialog, "btnOK");
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        return dialog.LastResult();
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
    EXPECT_EQ(holder_->catMemo.Lines().at(1), "Notes of Held name");
    EXPECT_TRUE(messages_.Errors().empty());
}

TEST_F(ExchangeDialogsTest, CancelledImportKeepsWhatItStoredAndSaysHowMany) {
    WriteVersion4(5000);
    TfrmImport dialog(*catalogue_);
    dialog.show();
    SetFile(dialog, file_);
    bool shown = false;
    DuringWork work([&](TProgForm& form, int calls) {
        shown = form.isVisible() && form.windowTitle() == QStringLiteral("Importing");
        if (calls == 1) {
            EXPECT_EQ(test::WindowFaults(form), std::vector<std::string>{});
        }
        if (calls == 40) {
            form.CancelButton()->click();
        }
    });
    Click(dialog, "btnOK");
    EXPECT_TRUE(shown);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    const ImportResult& result = dialog.LastResult();
    EXPECT_TRUE(result.Cancelled);
    EXPECT_GT(result.Added, 0);
    EXPECT_LT(result.Added, 5000);
    EXPECT_EQ(Held(), result.Added);
    EXPECT_EQ(messages_.Errors(),
              std::vector<std::string>{"Import cancelled - " + std::to_string(result.Added) +
                                       " discs were stored."});
    EXPECT_FALSE(TProgForm::WorkRunning());
}

TEST_F(ExchangeDialogsTest, CancelledExportLeavesTheOldFile) {
    StoreDiscs(300);
    test::WriteFileText(file_, "old");
    TfrmExport dialog(*catalogue_);
    dialog.show();
    SetFile(dialog, file_);
    messages_.Answer(true);
    DuringWork work([](TProgForm& form, int calls) {
        if (calls == 20) {
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(&form, &escape);
            EXPECT_TRUE(form.isVisible());
        }
    });
    Click(dialog, "btnOK");
    EXPECT_EQ(dialog.LastResult().Outcome, ExportOutcome::Cancelled);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(test::ReadFileText(file_) == "old");
    EXPECT_TRUE(messages_.Errors().empty());
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
