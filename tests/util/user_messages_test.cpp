#include "util/user_messages.h"

#include <gtest/gtest.h>

#include "tests/support/scripted_messages.h"

namespace snx {
namespace {

TEST(UserMessages, ReachTheInstalledImplementationCutTo255) {
    test::ScriptedMessages script;
    script.Answer(true);
    script.Answer(false);
    ShowError(std::string(300, 'x'));
    EXPECT_TRUE(Confirm("Delete?"));
    EXPECT_FALSE(Confirm("Really?"));
    ASSERT_EQ(script.Messages().size(), 3u);
    EXPECT_EQ(script.Messages()[0].Text, std::string(255, 'x'));
    EXPECT_FALSE(script.Messages()[0].Question);
    EXPECT_EQ(script.Messages()[2], (test::ScriptedMessages::Message{true, "Really?"}));
}

TEST(UserMessages, CutNeverSplitsACharacter) {
    test::ScriptedMessages script;
    // 254 ASCII bytes then a two-byte character: it cannot fit whole, so it goes.
    ShowError(std::string(254, 'a') + "\xC3\xA9");
    EXPECT_EQ(script.Errors().at(0), std::string(254, 'a'));
}

TEST(UserMessages, FallbackAnswersNoWhenNothingIsInstalled) {
    testing::internal::CaptureStderr();
    EXPECT_FALSE(Confirm("Create new files?"));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Create new files?"), std::string::npos);
}

TEST(UserMessages, NestedScriptsRestoreTheOuterOne) {
    test::ScriptedMessages outer;
    {
        test::ScriptedMessages inner;
        ShowError("inner");
        EXPECT_EQ(inner.Errors().size(), 1u);
    }
    ShowError("outer");
    EXPECT_EQ(outer.Errors(), std::vector<std::string>{"outer"});
}

}  // namespace
}  // namespace snx
