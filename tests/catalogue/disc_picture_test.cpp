// The disc picture of the track panel: written once from the block file, else the general one.
#include "catalogue/disc_picture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "tests/support/catalogue_fixture.h"

namespace snx::test {
namespace {

std::string Bytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Write(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

class DiscPictureTest : public CatalogueTest {
  protected:
    // A record whose picture block holds these bytes.
    DiscRecord WithPicture(const std::string& bytes) {
        CreateFiles();
        const std::filesystem::path source = dir_.Path() / "source.bin";
        Write(source, bytes);
        DiscRecord record;
        EXPECT_TRUE(catalogue_->OpenDiscVlf());
        record.BitmapAddress = holder_->Vlf.StoreFile(0, source, TVlf::kTypeBitmap);
        catalogue_->CloseDiscVlf();
        EXPECT_NE(record.BitmapAddress, 0);
        return record;
    }
};

TEST_F(DiscPictureTest, WithoutAPictureTheGeneralOneIsShown) {
    CreateFiles();
    const DiscRecord record;
    EXPECT_EQ(DiscPictureFile(*catalogue_, record, dir_.Path()), dir_.Path() / "general.bmp");
    EXPECT_FALSE(std::filesystem::exists(dir_.Path() / "disc.bmp"));
    // A picture left from before is shown, whatever the record says.
    Write(dir_.Path() / "disc.bmp", "old");
    EXPECT_EQ(DiscPictureFile(*catalogue_, record, dir_.Path()), dir_.Path() / "disc.bmp");
}

TEST_F(DiscPictureTest, ThePictureIsWrittenOnceAndNeverReplaced) {
    std::string picture(70000, '\0');  // more than one copy chunk
    for (std::size_t i = 0; i < picture.size(); ++i) {
        picture[i] = static_cast<char>(i * 7 % 251);
    }
    const DiscRecord record = WithPicture(picture);
    const std::filesystem::path shown = DiscPictureFile(*catalogue_, record, dir_.Path());
    EXPECT_EQ(shown, dir_.Path() / "disc.bmp");
    EXPECT_EQ(Bytes(shown), picture);

    Write(shown, "kept");
    EXPECT_EQ(DiscPictureFile(*catalogue_, record, dir_.Path()), shown);
    EXPECT_EQ(Bytes(shown), "kept");
}

TEST_F(DiscPictureTest, AnyCaseOfTheFileNameIsTheSameFile) {
    const DiscRecord record = WithPicture("picture");
    Write(dir_.Path() / "DISC.BMP", "kept");
    EXPECT_EQ(DiscPictureFile(*catalogue_, record, dir_.Path()), dir_.Path() / "DISC.BMP");
    EXPECT_EQ(Bytes(dir_.Path() / "DISC.BMP"), "kept");
    EXPECT_FALSE(std::filesystem::exists(dir_.Path() / "disc.bmp"));
}

}  // namespace
}  // namespace snx::test
