// The handset with a disc in the drive and the catalogue's windows opened from it as the user
// opens them: keys to the window on top, clicks on the browser's rows, boxes answered as they
// come up.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTreeView>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/catalogue_check.h"
#include "catalogue_ui/browse_model.h"
#include "catalogue_ui/catalogue_dialog.h"
#include "tests/support/boxes.h"
#include "tests/support/handset_fixture.h"
#include "tests/support/stored_disc.h"
#include "tests/support/user_input.h"
#include "ui_catalogue_dialog.h"

namespace snx::test {

using Strings = std::vector<std::string>;

// A click on a row of a list; twice, the second press is the one the window system reports as a
// double click.
inline void ClickListRow(QListWidget& list, int row, bool twice = false) {
    const QPoint at = list.visualItemRect(list.item(row)).center();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, at);
    if (twice) {
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, at);
    }
}

class CatalogueWindowTest : public HandsetFixture {
  protected:
    // The handset with a disc of that many tracks in the drive (none for 0), active, its
    // messages shown as boxes.
    void SetUp() override {
        if (tracks_ > 0) {
            InsertDisc(tracks_);
        } else {
            Open(drives);
        }
        Activate(*window);
        boxes.emplace(&*window);
    }
    void TearDown() override { boxes.reset(); }

    // The browser opened from the handset by its letter; act works in it with keys, and Escape
    // closes it afterwards unless act did.
    void Browse(const std::function<void(TfrmCat&)>& act) {
        boxes
            ->Dialog<TfrmCat>([act](TfrmCat& browser) {
                act(browser);
                if (browser.isVisible()) {
                    Front();
                    Key(Qt::Key_Escape);
                }
            })
            .Over(&*window);
        if (QApplication::activeWindow() != &*window) {
            Activate(*window);
        }
        Alt('w');
        EXPECT_TRUE(boxes->Done());
    }

    // A record of these fields stored under identity; returns its record number.
    std::int32_t Store(const std::string& identity, const std::string& name,
                       const std::string& composer = "Comp", bool orphan = false) {
        return test::StoreDisc(catalogue, identity, [&](test::StoredDisc& stored) {
            stored.Record.Name = name;
            stored.Record.Composer = composer;
            stored.Record.Artist = "Artist of " + name;
            stored.Record.Orphan = orphan;
            stored.Tracks.SetCell(0, 1, name + " first");
            stored.Notes.Text = identity + "\r\nAbout " + name + "\r\n";
        });
    }
    DiscRecord Stored(const std::string& identity) {
        DiscRecord record;
        StringGrid tracks;
        TextBox memo;
        KeySnapshot keys;
        EXPECT_GT(catalogue.LoadDiscRecord(identity, record, tracks, memo, keys), 0) << identity;
        return record;
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
    // A click on the row of index, scrolled into view as the user scrolls to it.
    static void ClickRow(QTreeView& tree, const QModelIndex& index) {
        if (QApplication::activeWindow() != tree.window()) {
            Activate(*tree.window());  // the click brings its window to the front
        }
        tree.scrollTo(index);
        const QPoint at = tree.visualRect(index).center();
        ASSERT_TRUE(tree.viewport()->rect().contains(at));
        QTest::mouseClick(tree.viewport(), Qt::LeftButton, Qt::NoModifier, at);
    }
    // The node clicked in the tree; a closed heading is clicked and opened by Right first.
    static void Select(TfrmCat& browser, const std::string& text) {
        QTreeView& tree = *browser.Form().TV;
        const QModelIndex index = Find(browser, text);
        ASSERT_TRUE(index.isValid());
        if (index.parent().isValid() && !tree.isExpanded(index.parent())) {
            ClickRow(tree, index.parent());
            Key(Qt::Key_Right);
        }
        ClickRow(tree, index);
        ASSERT_EQ(tree.currentIndex(), index);
    }

  public:
    static void Front() { FrontModal(); }
    static void Alt(char letter) { AltOnTop(letter); }
    static void Retype(char letter, const QString& text) { test::Retype(letter, text); }

  protected:
    void ExpectSound() { EXPECT_EQ(CheckCatalogue(dir.Path()), Strings{}); }
    std::string Drive() { return window->Engine().Disc().Identity(); }

    std::optional<Boxes> boxes;
    int tracks_ = 2;
};

}  // namespace snx::test
