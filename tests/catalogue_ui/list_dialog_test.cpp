// The reference list editor opened from the handset's File menu and worked by its letters.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "catalogue_ui/item_dialog.h"
#include "catalogue_ui/list_dialog.h"
#include "tests/catalogue_ui/catalogue_window_fixture.h"
#include "tests/support/modal_dialog.h"
#include "tests/support/temp_dir.h"

namespace snx {
namespace {

QStringList Items(const QListWidget& list) {
    QStringList items;
    for (int i = 0; i < list.count(); ++i) {
        items << list.item(i)->text();
    }
    return items;
}

class ListDialogTest : public test::CatalogueWindowTest {
  protected:
    // The list of that letter of File > Reference files; act works it and closes it.
    void EditList(char letter, std::function<void(TfrmLists&)> act) {
        boxes->Dialog<TfrmLists>(std::move(act)).Over(&*window);
        const char letters[] = {'f', 'f', letter, '\0'};
        test::Menu(*window, letters);
        EXPECT_TRUE(boxes->Done());
    }
    // The item dialog the letter opens, typed into by act, which closes it.
    void Item(char letter, std::function<void(TfrmItem&)> act) {
        boxes->Dialog<TfrmItem>(std::move(act)).Over<TfrmLists>();
        Alt(letter);
        EXPECT_TRUE(boxes->Done());
    }
};

TEST_F(ListDialogTest, AMissingMusicTypeFileIsCreatedEmpty) {
    EditList('m', [this](TfrmLists& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Music types"));
        EXPECT_EQ(dialog.lbList()->count(), 0);
        ASSERT_TRUE(std::filesystem::exists(dir.Path() / "type.fle"));
        EXPECT_EQ(std::filesystem::file_size(dir.Path() / "type.fle"), 0u);
        test::Key(Qt::Key_Escape);
    });
}

TEST_F(ListDialogTest, AddingAMusicTypeAllows30CharactersAndEditing50) {
    test::WriteFileText(dir.Path() / "type.fle", "Jazz\r\n");
    EditList('m', [this](TfrmLists& dialog) {
        EXPECT_EQ(dialog.FilePath(), dir.Path() / "type.fle");  // the existing file
        Item('a', [](TfrmItem& item) {
            EXPECT_EQ(item.windowTitle(), QStringLiteral("Music types"));
            EXPECT_EQ(item.findChild<QWidget*>(QStringLiteral("gbItem"))->property("title"),
                      QStringLiteral("Music type's name"));
            EXPECT_TRUE(item.edName()->text().isEmpty());
            ASSERT_EQ(QApplication::focusWidget(), item.edName());
            test::Type(QString(31, QLatin1Char('b')));
            EXPECT_EQ(item.edName()->text(), QString(30, QLatin1Char('b')));
            test::Key('a', Qt::ControlModifier);
            test::Type(QStringLiteral("Blues"));
            test::Shot(item, "item_dialog.png");
            test::Key(Qt::Key_Return);
        });
        EXPECT_EQ(Items(*dialog.lbList()),
                  (QStringList{QStringLiteral("Blues"), QStringLiteral("Jazz")}));
        boxes
            ->Dialog<TfrmItem>([](TfrmItem& item) {
                EXPECT_EQ(item.edName()->text(), QStringLiteral("Jazz"));
                test::Key('a', Qt::ControlModifier);
                test::Type(QString(46, QLatin1Char('j')));
                test::TypeCharacters(QStringLiteral("\u00E9\u00E9\u00E9"));  // 2 bytes each
                EXPECT_EQ(item.edName()->text(),
                          QString(46, QLatin1Char('j')) + QChar(0xE9) + QChar(0xE9));
                test::Key('a', Qt::ControlModifier);
                test::Type(QStringLiteral("Acid jazz"));
                test::Key(Qt::Key_Return);
            })
            .Over(&dialog);
        test::ClickListRow(*dialog.lbList(), 1, true);
        EXPECT_TRUE(boxes->Done());
        EXPECT_EQ(Items(*dialog.lbList()),
                  (QStringList{QStringLiteral("Acid jazz"), QStringLiteral("Blues")}));
        test::Shot(dialog, "list_dialog.png");
        Alt('o');
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    });
    EXPECT_EQ(test::ReadFileText(dir.Path() / "type.fle"), "Acid jazz\r\nBlues\r\n");
}

TEST_F(ListDialogTest, AnEntryLongerThanTheEditWidthIsKeptWholeUnlessChanged) {
    const std::string entry = "Label of seventy characters " + std::string(42, 'x');
    test::WriteFileText(dir.Path() / "label.fle", entry + "\r\n");
    EditList('r', [&](TfrmLists& dialog) {
        test::ClickListRow(*dialog.lbList(), 0);
        Item('e', [&](TfrmItem& item) {
            EXPECT_EQ(item.edName()->text().toStdString(), entry);
            test::Key(Qt::Key_End);
            test::Type(QStringLiteral("y"));  // it cannot grow
            Alt('o');
        });
        Alt('o');
    });
    EXPECT_EQ(test::ReadFileText(dir.Path() / "label.fle"), entry + "\r\n");
}

TEST_F(ListDialogTest, ADuplicateAddedTwiceIsWrittenTwice) {
    test::WriteFileText(dir.Path() / "composer.fle", "Bach\r\n");
    EditList('c', [this](TfrmLists&) {
        for (const char* name : {"bach", "Bach"}) {
            Item('a', [name](TfrmItem&) {
                test::Type(QString::fromLatin1(name));
                test::Key(Qt::Key_Return);
            });
        }
        Alt('o');
    });
    EXPECT_EQ(test::ReadFileText(dir.Path() / "composer.fle"), "Bach\r\nbach\r\nBach\r\n");
}

TEST_F(ListDialogTest, CancelLeavesTheFileByteForByte) {
    const std::string original = "beta\r\nAlpha\r\n\r\nalpha";  // unsorted, no final line end
    test::WriteFileText(dir.Path() / "label.fle", original);
    EditList('r', [this](TfrmLists& dialog) {
        EXPECT_EQ(Items(*dialog.lbList()),
                  (QStringList{QString(), QStringLiteral("Alpha"), QStringLiteral("alpha"),
                               QStringLiteral("beta")}));
        // Editing and cancelling the item leaves the entry.
        test::ClickListRow(*dialog.lbList(), 3);
        Item('e', [](TfrmItem&) {
            test::Key('a', Qt::ControlModifier);
            test::Type(QStringLiteral("gamma"));
            test::Key(Qt::Key_Escape);
        });
        EXPECT_EQ(dialog.lbList()->item(3)->text(), QStringLiteral("beta"));
        boxes->Question("Are you sure you wish to delete the highlighted entry?", true)
            .Over(&dialog);
        Alt('r');
        EXPECT_TRUE(boxes->Done());
        EXPECT_EQ(dialog.lbList()->count(), 3);
        Alt('c');
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    });
    EXPECT_EQ(test::ReadFileText(dir.Path() / "label.fle"), original);
}

TEST_F(ListDialogTest, NothingSelectedAndAFailedWriteAreReported) {
    EditList('a', [this](TfrmLists& dialog) {
        boxes->Notice("Please select an item to edit.").Over(&dialog);
        Alt('e');
        boxes->Notice("Please select an item to delete.").Over(&dialog);
        Alt('r');
        // A folder where the file should be: the write cannot replace it.
        std::filesystem::remove(dir.Path() / "artist.fle");
        std::filesystem::create_directory(dir.Path() / "artist.fle");
        boxes->Notice("Cannot save Artists file!").Over(&dialog);
        Alt('o');
        EXPECT_TRUE(boxes->Done());
        EXPECT_EQ(dialog.result(), QDialog::Accepted);  // closes all the same
    });
}

}  // namespace
}  // namespace snx
