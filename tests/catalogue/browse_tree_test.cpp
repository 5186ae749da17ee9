#include "catalogue/browse_tree.h"

#include <array>
#include <fstream>
#include <map>

#include "catalogue/browse_attach.h"
#include "catalogue/browse_sort.h"
#include "catalogue/catalogue_check.h"
#include "store/block_file/vlf.h"
#include "tests/support/catalogue_fixture.h"
#include "util/text.h"

namespace snx {
namespace {

class BrowseTest : public test::CatalogueTest {
  protected:
    void SetUp() override {
        CreateFiles();
        AddDisc("0000000000000001", "Zeta", "alpha", "Solo");
        AddDisc("0000000000000002", "Beta", "Alpha", "Band");
        AddDisc("0000000000000003", "Alpha", "alpha", "Solo");
        SetMusicType("0000000000000002", "JAZZ ROCK");
    }

    void SetMusicType(const std::string& identity, const std::string& type) {
        DiscRecord record;
        StringGrid tracks;
        TextBox memo;
        KeySnapshot keys;
        catalogue_->LoadDiscRecord(identity, record, tracks, memo, keys);
        record.MusicType = type;
        catalogue_->StoreDiscRecord(record, tracks, memo, keys);
    }

    // Gives the stored disc a picture and a sample besides its tracks and notes; its four block
    // addresses, each checked to hold a block of its own type.
    std::array<std::int32_t, 4> GiveAllBlocks(const std::string& identity) {
        const auto file = dir_.Path() / "block.bin";
        std::ofstream(file, std::ios::binary) << "some bytes of a picture or a sample";
        DiscRecord record = Load(identity);
        EXPECT_TRUE(catalogue_->OpenDiscVlf());
        record.BitmapAddress = holder_->Vlf.StoreFile(0, file, TVlf::kTypeBitmap);
        record.SampleAddress = holder_->Vlf.StoreFile(0, file, TVlf::kTypeSample);
        catalogue_->CloseDiscVlf();
        catalogue_->WriteDiscRecord(record);
        const std::array<std::int32_t, 4> blocks{record.TracksAddress, record.NotesAddress,
                                                 record.BitmapAddress, record.SampleAddress};
        EXPECT_EQ(BlockTypes(blocks),
                  (std::array<std::int16_t, 4>{TVlf::kTypeGrid, TVlf::kTypeText, TVlf::kTypeBitmap,
                                               TVlf::kTypeSample}))
            << identity;
        return blocks;
    }

    std::array<std::int16_t, 4> BlockTypes(const std::array<std::int32_t, 4>& blocks) {
        std::array<std::int16_t, 4> types{};
        EXPECT_TRUE(catalogue_->OpenDiscVlf());
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            types[i] = holder_->Vlf.BlockType(blocks[i]);
        }
        catalogue_->CloseDiscVlf();
        return types;
    }

    static constexpr std::array<std::int16_t, 4> kAllFree{TVlf::kTypeFree, TVlf::kTypeFree,
                                                          TVlf::kTypeFree, TVlf::kTypeFree};

    static std::vector<std::string> Texts(const std::vector<BrowseNode>& nodes) {
        std::vector<std::string> texts;
        for (const BrowseNode& node : nodes) {
            texts.push_back((node.Heading ? "# " : "") + node.Text);
            for (const BrowseNode& child : node.Children) {
                texts.push_back("  " + child.Text);
            }
        }
        return texts;
    }
};

TEST_F(BrowseTest, NameViewFollowsTheNameKey) {
    const auto tree = BuildBrowseTree(*catalogue_, BrowseView::Name, {});
    EXPECT_EQ(Texts(tree), (std::vector<std::string>{"Alpha", "Beta", "Zeta"}));
    EXPECT_EQ(tree[0].RecordNumber, 3);
    EXPECT_EQ(tree[0].Picture, NodePicture::Cd);
}

TEST_F(BrowseTest, AWalkOverManyReadsKeepsEachDiscWithItsOwnRecord) {
    // More records than one read of the walk takes, and a deleted one among them.
    std::map<std::string, std::int32_t> numbers;
    {
        const CatalogueScope batch(dir_.Path(), CatalogueAccess::Write);
        for (int i = 10; i < 90; ++i) {
            const std::string identity = "00000000000000" + std::to_string(i);
            numbers[identity] = AddDisc(identity, "Disc " + std::to_string(i));
        }
    }
    ASSERT_TRUE(DeleteCatalogueRecord(*catalogue_, numbers["0000000000000050"], ""));
    numbers.erase("0000000000000050");
    const auto tree = BuildBrowseTree(*catalogue_, BrowseView::Name, {});
    ASSERT_EQ(tree.size(), numbers.size() + 3);
    for (const BrowseNode& node : tree) {
        if (numbers.count(node.Identity) != 0) {
            EXPECT_EQ(node.RecordNumber, numbers[node.Identity]) << node.Identity;
            EXPECT_EQ(node.Text, "Disc " + node.Identity.substr(14)) << node.Identity;
        }
    }
}

TEST_F(BrowseTest, GroupedViewSeparatesValuesThatDifferInCase) {
    const auto tree = BuildBrowseTree(*catalogue_, BrowseView::Composer, {});
    EXPECT_EQ(Texts(tree),
              (std::vector<std::string>{"# Alpha", "  Beta", "# alpha", "  Zeta", "  Alpha"}));
}

TEST_F(BrowseTest, FiltersAreJoinedByOr) {
    BrowseFilter filter;
    filter.Apply = true;
    EXPECT_TRUE(BuildBrowseTree(*catalogue_, BrowseView::Name, filter).empty());
    filter.Name = "JAZZ";  // only in the music type, which the name filter does not search
    EXPECT_TRUE(BuildBrowseTree(*catalogue_, BrowseView::Name, filter).empty());
    filter.Name = "BAND";
    EXPECT_EQ(Texts(BuildBrowseTree(*catalogue_, BrowseView::Name, filter)),
              std::vector<std::string>{"Beta"});
    filter.Track = "ZETA TWO";
    EXPECT_EQ(Texts(BuildBrowseTree(*catalogue_, BrowseView::Name, filter)),
              (std::vector<std::string>{"Beta", "Zeta"}));
    filter.Name = "   ";
    EXPECT_EQ(Texts(BuildBrowseTree(*catalogue_, BrowseView::Name, filter)),
              std::vector<std::string>{"Zeta"});
}

TEST_F(BrowseTest, TrackFilterLooksOnlyAtTheDiscsTracks) {
    DiscRecord record;
    StringGrid tracks;
    TextBox memo;
    KeySnapshot keys;
    catalogue_->LoadDiscRecord("0000000000000003", record, tracks, memo, keys);
    tracks.SetCell(2, 3, "Hidden composer");  // row 3 of a 3-track disc counts
    tracks.SetCell(0, 4, "Beyond the last");  // row 4 does not
    catalogue_->StoreDiscRecord(record, tracks, memo, keys);
    BrowseFilter filter;
    filter.Apply = true;
    filter.Track = "HIDDEN";
    EXPECT_EQ(Texts(BuildBrowseTree(*catalogue_, BrowseView::Name, filter)),
              std::vector<std::string>{"Alpha"});
    filter.Track = "BEYOND";
    EXPECT_TRUE(BuildBrowseTree(*catalogue_, BrowseView::Name, filter).empty());
}

TEST_F(BrowseTest, DeleteRefusesTheDriveDiscAndRemovesEverything) {
    EXPECT_FALSE(DeleteCatalogueRecord(*catalogue_, 2, "0000000000000002"));
    EXPECT_EQ(messages_.Errors().back(),
              "You cannot delete the data record for the CD currently inserted.");
    EXPECT_EQ(CountCatalogue(*catalogue_).Discs, 3);
    EXPECT_FALSE(CountCatalogue(*catalogue_).UnusedSpace);

    EXPECT_TRUE(DeleteCatalogueRecord(*catalogue_, 2, "0000000000000001"));
    EXPECT_EQ(Texts(BuildBrowseTree(*catalogue_, BrowseView::Name, {})),
              (std::vector<std::string>{"Alpha", "Zeta"}));
    const CatalogueCounts counts = CountCatalogue(*catalogue_);
    EXPECT_EQ(counts.Discs, 2);
    EXPECT_TRUE(counts.UnusedSpace);
    EXPECT_EQ(CheckCatalogue(dir_.Path()), std::vector<std::string>{});
}

TEST_F(BrowseTest, CheckFindsABrokenLink) {
    const int handle = OpenRecordFiles(dir_ / "disc");
    DiscRecordBytes bytes{};
    ASSERT_TRUE(GetRec(handle, 1, bytes));
    DiscRecord record = DecodeDiscRecord(bytes);
    record.SampleAddress = record.TracksAddress;  // a grid block linked as a sample, twice
    record.Name = "Renamed";                      // and the name key no longer matches
    ASSERT_TRUE(PutRec(handle, 1, EncodeDiscRecord(record)));
    CloseRecordFiles(handle);
    const auto problems = CheckCatalogue(dir_.Path());
    ASSERT_EQ(problems.size(), 3u);
    EXPECT_NE(problems[0].find("key 4: entry \"Zeta\" for record 1"), std::string::npos);
    EXPECT_NE(problems[1].find("sample"), std::string::npos);
    EXPECT_NE(problems[2].find("also linked by record 1"), std::string::npos);
}

TEST_F(BrowseTest, TrackFilterReadsTablesPastADamagedBlockOneByOne) {
    // A length running past the end of the file in the first disc's notes stops a walk through
    // the blocks; the tables after it are still searched.
    const DiscRecord first = Load("0000000000000001");
    const DiscRecord last = Load("0000000000000003");
    ASSERT_LT(first.NotesAddress, last.TracksAddress);
    {
        std::fstream vlf(dir_ / "disc.VLF", std::ios::in | std::ios::out | std::ios::binary);
        vlf.seekp(first.NotesAddress + 4);
        const char huge[4] = {'\x00', '\x00', '\x00', '\x70'};
        vlf.write(huge, 4);
    }
    BrowseFilter filter;
    filter.Apply = true;
    filter.Track = "ALPHA ONE";
    EXPECT_EQ(Texts(BuildBrowseTree(*catalogue_, BrowseView::Name, filter)),
              std::vector<std::string>{"Alpha"});
    filter.Track = "ZETA ONE";
    EXPECT_EQ(Texts(BuildBrowseTree(*catalogue_, BrowseView::Name, filter)),
              std::vector<std::string>{"Zeta"});
}

TEST_F(BrowseTest, SortingOrdersHeadingsAndTheirDiscsAndKeepsEqualTextsInOrder) {
    AddDisc("0000000000000004", "alpha", "Alpha", "Solo");
    auto tree = BuildBrowseTree(*catalogue_, BrowseView::Composer, {});
    // Letter case ignored, as a locale's order would, so equal texts show the sort is stable.
    const TextCompare caseBlind = [](std::string_view a, std::string_view b) {
        const std::string x = UpperAscii(a);
        const std::string y = UpperAscii(b);
        return x < y ? -1 : (x > y ? 1 : 0);
    };
    SortBrowseTree(tree, caseBlind);
    EXPECT_EQ(Texts(tree), (std::vector<std::string>{"# Alpha", "  alpha", "  Beta", "# alpha",
                                                     "  Alpha", "  Zeta"}));
    EXPECT_EQ(tree[0].Children[0].RecordNumber, 4);
    const auto once = Texts(tree);
    SortBrowseTree(tree, caseBlind);
    EXPECT_EQ(Texts(tree), once);
}

TEST_F(BrowseTest, AttachWithoutADiscInTheDriveChangesNothing) {
    const auto tree = BuildBrowseTree(*catalogue_, BrowseView::Name, {});
    EXPECT_FALSE(AttachDriveDisc(*catalogue_, &tree[0], 0, ""));
    EXPECT_EQ(messages_.Errors(),
              std::vector<std::string>{"Please first insert the CD to attach."});
    EXPECT_EQ(Load("0000000000000003").Name, "Alpha");
    EXPECT_EQ(CheckCatalogue(dir_.Path()), std::vector<std::string>{});
}

TEST_F(BrowseTest, DeleteAndAttachFreeAllFourBlocksOfTheRecordTheyRemove) {
    const std::array<std::int32_t, 4> beta = GiveAllBlocks("0000000000000002");
    EXPECT_TRUE(DeleteCatalogueRecord(*catalogue_, 2, ""));
    EXPECT_EQ(BlockTypes(beta), kAllFree);
    EXPECT_EQ(CheckCatalogue(dir_.Path()), std::vector<std::string>{});

    // Zeta is the record of the disc in the drive; attaching the drive to Alpha deletes it.
    const std::array<std::int32_t, 4> zeta = GiveAllBlocks("0000000000000001");
    const auto tree = BuildBrowseTree(*catalogue_, BrowseView::Name, {});
    ASSERT_EQ(Texts(tree), (std::vector<std::string>{"Alpha", "Zeta"}));
    EXPECT_TRUE(AttachDriveDisc(*catalogue_, &tree[0], tree[1].RecordNumber, "0000000000000001"));
    EXPECT_EQ(Load("0000000000000001").Name, "Alpha");
    // Storing Alpha afterwards may take a freed block again, but only for itself.
    const DiscRecord alpha = Load("0000000000000001");
    std::array<std::int16_t, 4> expected = kAllFree;
    for (std::size_t i = 0; i < zeta.size(); ++i) {
        if (zeta[i] == alpha.TracksAddress) {
            expected[i] = TVlf::kTypeGrid;
        } else if (zeta[i] == alpha.NotesAddress) {
            expected[i] = TVlf::kTypeText;
        }
    }
    EXPECT_EQ(BlockTypes(zeta), expected);
    EXPECT_EQ(CheckCatalogue(dir_.Path()), std::vector<std::string>{});
}

TEST_F(BrowseTest, AttachThatFailsAfterDeletingTheCurrentRecordStillReportsTheChange) {
    // The current record is the selected one under another identity: it is deleted, and the
    // record to attach is gone with it.
    const auto tree = BuildBrowseTree(*catalogue_, BrowseView::Name, {});
    ASSERT_EQ(tree[1].Text, "Beta");
    EXPECT_TRUE(AttachDriveDisc(*catalogue_, &tree[1], tree[1].RecordNumber, "00000000000000FF"));
    EXPECT_EQ(Texts(BuildBrowseTree(*catalogue_, BrowseView::Name, {})),
              (std::vector<std::string>{"Alpha", "Zeta"}));
    EXPECT_EQ(CheckCatalogue(dir_.Path()), std::vector<std::string>{});
}

TEST_F(BrowseTest, QuestionsShowStoredWindows1252NamesAsUtf8) {
    EXPECT_EQ(DeleteQuestion("Caf\xe9 Bl\xfc"),
              "Would you like to delete the CD data record called Caf\xc3\xa9 Bl\xc3\xbc?");
    EXPECT_EQ(DeleteQuestion("\xc3\x84rger"),
              "Would you like to delete the CD data record called \xc3\x84rger?")
        << "UTF-8 stays as it is";
    EXPECT_EQ(AttachQuestion("Se\xf1or \x93Quoted\x94"),
              "There is a current data record for this CD, if you continue it will be deleted. "
              "Do you wish to attach the CD to Se\xc3\xb1or \xe2\x80\x9cQuoted\xe2\x80\x9d?");
}

}  // namespace
}  // namespace snx
