// Changing the play mode over the engine: the playing check, the buttons' values, and the record
// that keeps the mode, stored only for a catalogued disc.
#include "programming/play_mode_choice.h"

#include <gtest/gtest.h>

#include "tests/support/engine_fixture.h"

namespace snx {
namespace {

class PlayModeChoiceTest : public test::EngineTest {
  protected:
    // A dialog that remembers what it was opened with and answers as told.
    ModeDialog Answer(bool accepted, std::optional<ModeButton> marked) {
        return [this, accepted, marked](std::optional<ModeButton> shown) {
            ++opened;
            openedWith = shown;
            return ModeChoice{accepted, marked};
        };
    }
    // Makes the disc in the drive a catalogued one, as the disc editor's first save does.
    void Catalogue() { StoreDisc(); }
    // The record as the catalogue holds it; 0 when the disc has none.
    std::int32_t Stored(DiscRecord& record) {
        Tfvlf& tables = catalogue->Holder();
        KeySnapshot keys;
        return catalogue->LoadDiscRecord(engine->Disc().Identity(), record, tables.catTracks,
                                         tables.catMemo, keys);
    }

    int opened = 0;
    std::optional<ModeButton> openedWith;
};

TEST_F(PlayModeChoiceTest, EachButtonGivesItsModeInTheEngineTheDeviceAndTheRecord) {
    Insert(Tracks(4));
    const std::array<std::pair<ModeButton, int>, 5> values = {{
        {ModeButton::Disk, 0},
        {ModeButton::Track, 1},
        {ModeButton::Intro, 4},
        {ModeButton::Shuffle, 3},
        {ModeButton::Custom, 5},
    }};
    for (const auto& [button, value] : values) {
        EXPECT_TRUE(ChangePlayMode(*engine, Answer(true, button)));
        EXPECT_EQ(static_cast<int>(State().Mode), value);
        EXPECT_EQ(engine->Disc().Record().SavedPlayMode, value);
        // Opened again, the dialog marks the button of the mode it set.
        ChangePlayMode(*engine, Answer(false, std::nullopt));
        EXPECT_EQ(openedWith, button);
    }
}

TEST_F(PlayModeChoiceTest, RandomHasNoButtonAndOkWithoutChoiceKeepsIt) {
    Insert(Tracks(4));
    engine->SetPlayMode(PlayMode::Random);
    EXPECT_TRUE(ChangePlayMode(*engine, Answer(true, std::nullopt)));
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(openedWith, std::nullopt);
    EXPECT_EQ(State().Mode, PlayMode::Random);
    EXPECT_EQ(engine->Disc().Record().SavedPlayMode, 2);
}

TEST_F(PlayModeChoiceTest, CancelKeepsTheModeAndStillStoresACataloguedRecord) {
    Insert(Tracks(4));
    Catalogue();
    engine->SetPlayMode(PlayMode::Track);  // not yet in the record
    EXPECT_TRUE(ChangePlayMode(*engine, Answer(false, ModeButton::Shuffle)));
    EXPECT_EQ(State().Mode, PlayMode::Track);
    DiscRecord stored;
    ASSERT_GT(Stored(stored), 0);
    EXPECT_EQ(stored.SavedPlayMode, 1);

    // The stored mode comes back with the disc.
    ChangePlayMode(*engine, Answer(true, ModeButton::Intro));
    Remove();
    engine->SetPlayMode(PlayMode::Disc);
    Insert(Tracks(4));
    EXPECT_EQ(State().Mode, PlayMode::Intro);
}

TEST_F(PlayModeChoiceTest, UncataloguedDiscKeepsTheModeForThisPlayOnly) {
    Insert(Tracks(4));
    ASSERT_EQ(engine->Disc().Number(), 0);
    ChangePlayMode(*engine, Answer(true, ModeButton::Shuffle));
    EXPECT_EQ(engine->Disc().Record().SavedPlayMode, 3);
    DiscRecord stored;
    EXPECT_EQ(Stored(stored), 0);
}

TEST_F(PlayModeChoiceTest, PlayingDiscRefusesWithTheMessageButAPausedOneMayChange) {
    Insert(Tracks(4));
    engine->Play();
    ASSERT_TRUE(DrivePlaying());
    EXPECT_FALSE(ChangePlayMode(*engine, Answer(true, ModeButton::Track)));
    EXPECT_EQ(opened, 0);
    EXPECT_EQ(State().Mode, PlayMode::Disc);
    EXPECT_EQ(messages.Errors(),
              std::vector<std::string>{"You may only change mode if the CD is not playing."});

    engine->Pause();
    EXPECT_TRUE(ChangePlayMode(*engine, Answer(true, ModeButton::Track)));
    EXPECT_EQ(State().Mode, PlayMode::Track);
    EXPECT_EQ(messages.Errors().size(), 1u);
}

}  // namespace
}  // namespace snx
