// The catalogue of a run of the program: made once at start-up when the user agrees, and the
// record file layer ended with it.
#include "catalogue/catalogue_session.h"

#include <gtest/gtest.h>

#include <optional>

#include "settings/settings.h"
#include "store/record_file/record_file.h"
#include "tests/support/scripted_messages.h"
#include "tests/support/temp_dir.h"

namespace snx::test {
namespace {

class CatalogueSessionTest : public testing::Test {
  protected:
    CatalogueSessionTest() {
        SetSettingsDirectories(dir.Path(), dir.Path());
        LoadSettings();
    }

    TempDir dir;
    ScriptedMessages messages;
};

TEST_F(CatalogueSessionTest, PrepareMakesTheCatalogueAndTheLayerEndsWithTheSession) {
    {
        CatalogueSession session(dir.Path());
        messages.Answer(true);
        EXPECT_TRUE(session.Prepare());
        EXPECT_TRUE(std::filesystem::exists(dir.Path() / "disc.DAT"));
        EXPECT_FALSE(session.Catalogue().FilesOpen());
        // Open while the session lives.
        EXPECT_TRUE(session.Catalogue().OpenDiscFiles());
        EXPECT_EQ(&session.Catalogue().Holder(), &session.Holder());
        // Left open on purpose: the session closes it before the layer ends.
    }
    EXPECT_EQ(OpenRecordFiles(dir.Path() / "disc"), -1);
    EXPECT_EQ(LastRecordStatus().Error, kErrNotOpen);
    EXPECT_EQ(messages.UnusedAnswers(), 0U);
}

TEST_F(CatalogueSessionTest, RefusedCatalogueIsNotMade) {
    CatalogueSession session(dir.Path());
    messages.Answer(false);
    EXPECT_FALSE(session.Prepare());
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "disc.DAT"));
    // An existing catalogue asks nothing.
    messages.Answer(true);
    EXPECT_TRUE(session.Catalogue().OpenDiscFiles());
    session.Catalogue().CloseDiscFiles();
    EXPECT_TRUE(session.Prepare());
    EXPECT_EQ(messages.UnusedAnswers(), 0U);
}

}  // namespace
}  // namespace snx::test
