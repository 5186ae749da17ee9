// The reference list editor through its controls.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "catalogue_ui/item_dialog.h"
#include "catalogue_ui/list_dialog.h"
#include "tests/support/modal_dialog.h"
#include "tests/support/scripted_messages.h"
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

// Types text into the box key by key, as the user does.
void Type(QLineEdit& edit, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(&edit, &press);
    }
}

class ListDialogTest : public testing::Test {
  protected:
    test::TempDir dir_;
    test::ScriptedMessages messages_;
};

TEST_F(ListDialogTest, AMissingMusicTypeFileIsCreatedEmpty) {
    TfrmLists dialog(ReferenceListKind::Types, dir_.Path());
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Music types"));
    EXPECT_EQ(dialog.lbList()->count(), 0);
    ASSERT_TRUE(std::filesystem::exists(dir_.Path() / "type.fle"));
    EXPECT_EQ(std::filesystem::file_size(dir_.Path() / "type.fle"), 0u);
}

TEST_F(ListDialogTest, AddingAMusicTypeAllows30CharactersAndEditing50) {
    test::WriteFileText(dir_.Path() / "type.fle", "Jazz\r\n");
    TfrmLists dialog(ReferenceListKind::Types, dir_.Path());
    EXPECT_EQ(dialog.FilePath(), dir_.Path() / "type.fle");  // the existing file, whatever its case
    {
        const auto opened = test::WhenOpened<TfrmItem>([](TfrmItem& item) {
            EXPECT_EQ(item.windowTitle(), QStringLiteral("Music types"));
            EXPECT_EQ(item.findChild<QWidget*>(QStringLiteral("gbItem"))->property("title"),
                      QStringLiteral("Music type's name"));
            EXPECT_TRUE(item.edName()->text().isEmpty());
            Type(*item.edName(), QString(31, QLatin1Char('b')));
            EXPECT_EQ(item.edName()->text(), QString(30, QLatin1Char('b')));
            item.edName()->setText(QStringLiteral("Blues"));
            test::Shot(item, "item_dialog.png");
            item.accept();
        });
        dialog.Button("btnAdd")->click();
    }
    EXPECT_EQ(Items(*dialog.lbList()),
              (QStringList{QStringLiteral("Blues"), QStringLiteral("Jazz")}));
    dialog.lbList()->setCurrentRow(1);
    {
        const auto opened = test::WhenOpened<TfrmItem>([](TfrmItem& item) {
            EXPECT_EQ(item.edName()->text(), QStringLiteral("Jazz"));
            item.edName()->setText(QString(46, QLatin1Char('j')));
            Type(*item.edName(), QStringLiteral("\u00E9\u00E9\u00E9"));  // 2 bytes each
            EXPECT_EQ(item.edName()->text(),
                      QString(46, QLatin1Char('j')) + QChar(0xE9) + QChar(0xE9));
            item.edName()->setText(QStringLiteral("Acid jazz"));
            item.accept();
        });
        emit dialog.lbList()->itemDoubleClicked(dialog.lbList()->item(1));
    }
    EXPECT_EQ(Items(*dialog.lbList()),
              (QStringList{QStringLiteral("Acid jazz"), QStringLiteral("Blues")}));
    test::Shot(dialog, "list_dialog.png");
    dialog.Button("btnOK")->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(test::ReadFileText(dir_.Path() / "type.fle"), "Acid jazz\r\nBlues\r\n");
}

TEST_F(ListDialogTest, AnEntryLongerThanTheEditWidthIsKeptWholeUnlessChanged) {
    const std::string entry = "Label of seventy characters " + std::string(42, 'x');
    test::WriteFileText(dir_.Path() / "label.fle", entry + "\r\n");
    TfrmLists dialog(ReferenceListKind::Labels, dir_.Path());
    dialog.lbList()->setCurrentRow(0);
    {
        const auto opened = test::WhenOpened<TfrmItem>([&](TfrmItem& item) {
            EXPECT_EQ(item.edName()->text().toStdString(), entry);
            item.edName()->end(false);
            Type(*item.edName(), QStringLiteral("y"));  // it cannot grow
            item.findChild<QPushButton*>(QStringLiteral("btnOK"))->click();
        });
        dialog.Button("btnEdit")->click();
    }
    dialog.Button("btnOK")->click();
    EXPECT_EQ(test::ReadFileText(dir_.Path() / "label.fle"), entry + "\r\n");
}

TEST_F(ListDialogTest, ADuplicateAddedTwiceIsWrittenTwice) {
    test::WriteFileText(dir_.Path() / "composer.fle", "Bach\r\n");
    TfrmLists dialog(ReferenceListKind::Composers, dir_.Path());
    for (const char* name : {"bach", "Bach"}) {
        const auto opened = test::WhenOpened<TfrmItem>([name](TfrmItem& item) {
            item.edName()->setText(QString::fromLatin1(name));
            item.accept();
        });
        dialog.Button("btnAdd")->click();
    }
    dialog.Button("btnOK")->click();
    EXPECT_EQ(test::ReadFileText(dir_.Path() / "composer.fle"), "Bach\r\nbach\r\nBach\r\n");
}

TEST_F(ListDialogTest, CancelLeavesTheFileByteForByte) {
    const std::string original = "beta\r\nAlpha\r\n\r\nalpha";  // unsorted, no final line end
    test::WriteFileText(dir_.Path() / "label.fle", original);
    TfrmLists dialog(ReferenceListKind::Labels, dir_.Path());
    EXPECT_EQ(Items(*dialog.lbList()),
              (QStringList{QString(), QStringLiteral("Alpha"), QStringLiteral("alpha"),
                           QStringLiteral("beta")}));
    // Editing and cancelling the item leaves the entry.
    dialog.lbList()->setCurrentRow(3);
    {
        const auto opened = test::WhenOpened<TfrmItem>([](TfrmItem& item) {
            item.edName()->setText(QStringLiteral("gamma"));
            item.reject();
        });
        dialog.Button("btnEdit")->click();
    }
    EXPECT_EQ(dialog.lbList()->item(3)->text(), QStringLiteral("beta"));
    messages_.Answer(true);
    dialog.Button("btnRemove")->click();
    EXPECT_EQ(dialog.lbList()->count(), 3);
    dialog.Button("btnCancel")->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(test::ReadFileText(dir_.Path() / "label.fle"), original);
    EXPECT_EQ(messages_.Messages(),
              (std::vector<test::ScriptedMessages::Message>{
                  {true, "Are you sure you wish to delete the highlighted entry?"}}));
}

TEST_F(ListDialogTest, NothingSelectedAndAFailedWriteAreReported) {
    TfrmLists dialog(ReferenceListKind::Artists, dir_.Path());
    dialog.Button("btnEdit")->click();
    dialog.Button("btnRemove")->click();
    // A folder where the file should be: the write cannot replace it.
    std::filesystem::remove(dir_.Path() / "artist.fle");
    std::filesystem::create_directory(dir_.Path() / "artist.fle");
    dialog.Button("btnOK")->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);  // closes all the same
    EXPECT_EQ(messages_.Errors(), (std::vector<std::string>{"Please select an item to edit.",
                                                            "Please select an item to delete.",
                                                            "Cannot save Artists file!"}));
}

}  // namespace
}  // namespace snx
