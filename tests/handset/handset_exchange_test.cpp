// The handset's export, import and rebuild commands: the rebuild's refusal and result, and a
// disc that plays on through an import and then shows the names imported for it.
#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>
#include <QTimer>
#include <set>

#include "catalogue/catalogue_check.h"
#include "exchange/export_dialog.h"
#include "exchange/import_dialog.h"
#include "store/record_file/record_file.h"
#include "tests/support/boxes.h"
#include "tests/support/handset_fixture.h"
#include "tests/support/modal_dialog.h"
#include "tests/support/user_input.h"
#include "widgets/help_window.h"
#include "widgets/progress_window.h"

namespace snx {
namespace {

class HandsetExchangeTest : public test::HandsetFixture {
  protected:
    void StoreDisc(const std::string& identity, const std::string& name) {
        Tfvlf& tables = catalogue.Holder();
        DiscRecord record;
        KeySnapshot keys;
        catalogue.LoadDiscRecord(identity, record, tables.catTracks, tables.catMemo, keys);
        record.Name = name;
        tables.catTracks.SetCell(0, 1, name + " one");
        catalogue.StoreDiscRecord(record, tables.catTracks, tables.catMemo, keys);
    }
    std::int32_t Held() {
        catalogue.OpenDiscFiles();
        const std::int32_t count = UsedKeys(catalogue.Handle(), kKeyIdentity);
        catalogue.CloseDiscFiles();
        return count;
    }
};

TEST_F(HandsetExchangeTest, FileMenuOpensTheExportAndImportWindows) {
    Open(drives);
    test::Activate(*window);
    test::Boxes boxes(&*window);
    for (const char* letters : {"fx", "fi"}) {
        const bool exporting = letters[1] == 'x';
        if (exporting) {
            boxes.Dialog<TfrmExport>([](TfrmExport& dialog) {
                EXPECT_EQ(HelpContextOf(&dialog), kHelpExport);
                test::Key(Qt::Key_Escape);
            });
        } else {
            boxes.Dialog<TfrmImport>([](TfrmImport& dialog) {
                EXPECT_EQ(HelpContextOf(&dialog), kHelpImport);
                test::Key(Qt::Key_Escape);
            });
        }
        boxes.Over(&*window);
        test::Menu(*window, letters);
    }
}

TEST_F(HandsetExchangeTest, RebuildIsRefusedWithADiscInTheDrive) {
    InsertDisc(2);
    StoreDisc("00000000000000A1", "Kept");
    const auto before = test::ReadFileText(dir / "disc.DAT");
    test::Menu(*window, "fr");
    EXPECT_EQ(messages.Errors(),
              std::vector<std::string>{"Please remove CD before selecting this option."});
    EXPECT_EQ(messages.UnusedAnswers(), 0u);
    EXPECT_EQ(test::ReadFileText(dir / "disc.DAT"), before);
}

TEST_F(HandsetExchangeTest, RebuildWithoutADiscPacksTheCatalogue) {
    Open(drives);
    Tick();
    for (int i = 1; i <= 4; ++i) {
        StoreDisc("00000000000000A" + std::to_string(i), "Disc " + std::to_string(i));
    }
    // A replaced record leaves dead space that the rebuild drops.
    StoreDisc("00000000000000A2", "Disc 2 again");
    messages.Answer(false);
    test::Menu(*window, "fr");
    EXPECT_FALSE(std::filesystem::exists(dir / "disc-old.DAT")) << "declined";
    messages.Answer(true);
    test::Menu(*window, "fr");
    EXPECT_TRUE(messages.Errors().empty());
    EXPECT_EQ(CheckCatalogue(dir.Path()), std::vector<std::string>{});
    EXPECT_EQ(Held(), 4);
    DiscRecord record;
    KeySnapshot keys;
    Tfvlf& tables = catalogue.Holder();
    EXPECT_GT(catalogue.LoadDiscRecord("00000000000000A2", record, tables.catTracks, tables.catMemo,
                                       keys),
              0);
    EXPECT_EQ(record.Name, "Disc 2 again");
    EXPECT_FALSE(TProgForm::WorkRunning());
}

TEST_F(HandsetExchangeTest, DiscPlaysOnThroughAnImportAndThenShowsItsImportedName) {
    InsertDisc(3);
    const std::string identity = window->Engine().Disc().Identity();
    ASSERT_FALSE(identity.empty());
    std::string text;
    for (int i = 0; i < 300; ++i) {
        char id[17];
        std::snprintf(id, sizeof id, "%016X", i + 1);
        const bool drive = i == 150;
        text += "[" + (drive ? identity : std::string(id)) + "]\r\n" +
                (drive ? "Imported name" : "Other " + std::to_string(i)) +
                "\r\nArtist\r\nComposer\r\n\r\n\r\n\r\n\r\n\r\n2001\r\n3.00\r\n3\r\n1.00\r\n"
                "First\r\n\r\n\r\n1.00\r\nSecond\r\n\r\n\r\n1.00\r\nThird\r\n\r\n\r\n";
    }
    const std::filesystem::path file = dir / "export.txt";
    test::WriteFileText(file, text);

    test::Activate(*window);
    test::Click(Child<QToolButton>("btnPlay"));
    clock.AdvanceSeconds(1);
    Tick();
    ASSERT_EQ(device->GetMode(), CdMode::Playing);
    ASSERT_EQ(window->Engine().State.CurrentTrack, 1);

    // The handset's own timer ticks at every handling of events; the work handles them at
    // every record, and half a second of play passes at each.
    window->SetTickInterval(0);
    std::set<int> tracksDuringWork;
    QTimer during;
    QObject::connect(&during, &QTimer::timeout, [&] {
        if (auto* form = qobject_cast<TProgForm*>(QApplication::activeModalWidget())) {
            form->SetEventInterval(0);
            clock.AdvanceSeconds(0.5);
            tracksDuringWork.insert(window->Engine().State.CurrentTrack);
        }
    });
    during.start(0);
    {
        const auto opened = test::WhenOpened<TfrmImport>([&](TfrmImport& dialog) {
            // The window system activates the dialog a moment after it opens.
            EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &dialog; }));
            test::Alt('e');  // the file name
            test::Key(Qt::Key_A, Qt::ControlModifier);
            test::Type(QString::fromStdString(file.string()));
            test::Alt('o');
            EXPECT_EQ(dialog.LastResult().Added, 300);
        });
        test::Menu(*window, "fi");
    }
    during.stop();
    EXPECT_TRUE(tracksDuringWork.count(1) == 1 && tracksDuringWork.count(2) == 1);
    EXPECT_EQ(device->GetMode(), CdMode::Playing);
    EXPECT_EQ(Child<QLabel>("labName")->text(), QStringLiteral("Imported name"));
    EXPECT_EQ(Child<QLabel>("labArt")->text(), QStringLiteral("Artist"));
    // The disc in the drive took up its own tracks at once.
    EXPECT_FALSE(window->Engine().Disc().Record().Orphan);
    EXPECT_GT(window->Engine().Disc().Number(), 0);
    EXPECT_TRUE(messages.Errors().empty());
}

}  // namespace
}  // namespace snx
