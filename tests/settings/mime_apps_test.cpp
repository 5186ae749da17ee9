// AutoPlay registration in the desktop's mimeapps.list: the file's other bytes survive, and
// turning it off gives back exactly what was there.
#include "settings/mime_apps.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "tests/support/file_size_limit.h"
#include "tests/support/temp_dir.h"

namespace snx {
namespace {

using test::ReadFileText;
using test::WriteFileText;

class AutoPlayTest : public testing::Test {
  protected:
    AutoPlayTest() : settings_(DefaultSettings(dir_ / "data", dir_.Path())) {
        std::filesystem::create_directories(dir_ / "data");
        std::filesystem::create_directories(dir_ / "config");
        std::filesystem::create_directories(dir_ / "system");
        // A program whose path needs the desktop's quoting.
        std::filesystem::create_directories(dir_ / "my build $HOME");
        WriteFileText(Program(), "#!/bin/sh\n");
        std::filesystem::permissions(Program(), std::filesystem::perms::owner_all);
    }
    std::filesystem::path List() const { return dir_ / "config" / "mimeapps.list"; }
    std::filesystem::path Program() const { return dir_ / "my build $HOME" / "sonatrix"; }
    std::filesystem::path UserEntry() const { return dir_ / "user" / "sonatrix.desktop"; }
    std::filesystem::path SystemEntry() const { return dir_ / "system" / "sonatrix.desktop"; }
    AutoPlayPlaces Places() const {
        return {List(), {dir_ / "user", {dir_ / "system"}, Program(), (dir_ / "bin").string()}};
    }
    void Set(bool on) { SetAutoPlayHandler(settings_, on, Places()); }
    // The Exec value of an entry.
    static std::string Exec(const std::filesystem::path& entry) {
        const std::string text = ReadFileText(entry);
        const std::size_t start = text.find("\nExec=") + 6;
        return text.substr(start, text.find('\n', start) - start);
    }
    Settings Saved() const { return ReadSettings(dir_ / "data", dir_.Path()); }

    test::TempDir dir_;
    Settings settings_;
};

TEST_F(AutoPlayTest, OnThenOffRestoresAFileWithAPreviousHandlerByteForByte) {
    const std::string original =
        "# chosen by the desktop\r\n"
        "[Added Associations]\r\n"
        "x-content/audio-cdda=org.other.Player.desktop;\r\n"
        "\r\n"
        "[Default Applications]\r\n"
        "text/plain=editor.desktop\r\n"
        "x-content/audio-cdda = org.other.Player.desktop;\r\n"
        "; not a comment to GLib, but kept\r\n"
        "image/png=viewer.desktop\r\n"
        "\r\n"
        "[Removed Associations]\r\n"
        "audio/x-wav=sonatrix.desktop";
    WriteFileText(List(), original);

    Set(true);
    const std::string registered = ReadFileText(List());
    EXPECT_EQ(DefaultApplicationEntry(registered, kAudioCdMimeType), "sonatrix.desktop");
    // Only the one line changed; the other section's entry for the type is not ours to touch.
    std::string expected = original;
    const std::string old = "x-content/audio-cdda = org.other.Player.desktop;";
    expected.replace(expected.find(old), old.size(), "x-content/audio-cdda = sonatrix.desktop");
    EXPECT_EQ(registered, expected);
    EXPECT_TRUE(settings_.AutoPlayHandler);
    EXPECT_EQ(settings_.PreviousCommandLine, "org.other.Player.desktop;");
    EXPECT_TRUE(Saved().AutoPlayHandler);
    EXPECT_EQ(Saved().PreviousCommandLine, "org.other.Player.desktop;");

    Set(false);
    EXPECT_EQ(ReadFileText(List()), original);
    EXPECT_FALSE(settings_.AutoPlayHandler);
    EXPECT_FALSE(Saved().AutoPlayHandler);
}

TEST_F(AutoPlayTest, OnThenOffRemovesTheEntryWhenThereWasNone) {
    const std::vector<std::string> originals = {
        "[Default Applications]\ntext/plain=editor.desktop\n\n[Added Associations]\na/b=c;\n",
        "# only other sections\n[Added Associations]\ntext/plain=editor.desktop;\n",
        "[Added Associations]\ntext/plain=editor.desktop;",  // no final line ending
        "",
    };
    for (const std::string& original : originals) {
        WriteFileText(List(), original);
        Set(true);
        const std::string registered = ReadFileText(List());
        EXPECT_EQ(DefaultApplicationEntry(registered, kAudioCdMimeType), "sonatrix.desktop")
            << original;
        EXPECT_EQ(settings_.PreviousCommandLine, "");
        Set(false);
        const std::string restored = original.empty() || original.back() == '\n'
                                         ? original
                                         : original + "\n";  // the line ending it was given
        if (original.empty()) {
            EXPECT_FALSE(std::filesystem::exists(List()));
        } else {
            EXPECT_EQ(ReadFileText(List()), restored) << original;
        }
    }
}

TEST_F(AutoPlayTest, AMissingFileAndDirectoryAreCreatedAndRemovedAgain) {
    std::filesystem::remove_all(dir_ / "config");
    Set(true);
    EXPECT_EQ(ReadFileText(List()),
              "[Default Applications]\nx-content/audio-cdda=sonatrix.desktop\n");
    Set(false);
    EXPECT_FALSE(std::filesystem::exists(List()));
}

TEST_F(AutoPlayTest, ALinkedListStaysALinkEvenWhenEmptied) {
    std::filesystem::create_directories(dir_ / "dotfiles");
    const std::filesystem::path kept = dir_ / "dotfiles" / "mimeapps.list";
    for (const std::string original : {"[Default Applications]\ntext/plain=editor.desktop\n", ""}) {
        WriteFileText(kept, original);
        std::filesystem::remove(List());
        std::filesystem::create_symlink(kept, List());
        Set(true);
        EXPECT_TRUE(std::filesystem::is_symlink(List()));
        EXPECT_EQ(DefaultApplicationEntry(ReadFileText(kept), kAudioCdMimeType),
                  "sonatrix.desktop");
        Set(false);
        EXPECT_TRUE(std::filesystem::is_symlink(List()));
        EXPECT_EQ(ReadFileText(kept), original);
    }
}

TEST_F(AutoPlayTest, WithoutAnInstalledEntryOurOwnStartsThisProgramAndGoesAgain) {
    Set(true);
    ASSERT_TRUE(std::filesystem::exists(UserEntry()));
    EXPECT_EQ(ExecProgram(Exec(UserEntry())), Program().string());
    EXPECT_TRUE(Exec(UserEntry()).ends_with(" /p %U"));
    EXPECT_EQ(std::system(("desktop-file-validate '" + UserEntry().string() + "'").c_str()), 0);
    Set(false);
    EXPECT_FALSE(std::filesystem::exists(UserEntry()));

    // One the user keeps (or installed for the user) is used and left alone.
    const std::string users = "[Desktop Entry]\nType=Application\nName=Mine\nExec=/bin/sh -c x\n";
    WriteFileText(UserEntry(), users);
    Set(true);
    Set(false);
    EXPECT_EQ(ReadFileText(UserEntry()), users);
}

TEST_F(AutoPlayTest, AnInstalledEntryIsUsedAndOneThatCannotStartIsNeverRegistered) {
    std::filesystem::create_directories(dir_ / "bin");
    std::filesystem::copy_file(Program(), dir_ / "bin" / "sonatrix");
    WriteFileText(SystemEntry(), "[Desktop Entry]\nExec=sonatrix /p %U\nTryExec=sonatrix\n");
    Set(true);
    EXPECT_FALSE(std::filesystem::exists(UserEntry()));
    Set(false);

    // Installed, but its program is gone: ours goes before it.
    std::filesystem::remove(dir_ / "bin" / "sonatrix");
    Set(true);
    EXPECT_EQ(ExecProgram(Exec(UserEntry())), Program().string());
    Set(false);

    // The user's own entry that starts nothing: no registration, nothing changed.
    WriteFileText(UserEntry(), "[Desktop Entry]\nExec=\"/gone/sonatrix\" /p %U\n");
    WriteFileText(List(), "[Default Applications]\nx-content/audio-cdda=old.desktop\n");
    try {
        Set(true);
        ADD_FAILURE() << "no error";
    } catch (const AutoPlayError& failure) {
        EXPECT_EQ(std::string(failure.what()),
                  UserEntry().string() + " cannot start /gone/sonatrix");
    }
    EXPECT_FALSE(settings_.AutoPlayHandler);
    EXPECT_FALSE(Saved().AutoPlayHandler);
    EXPECT_EQ(ReadFileText(List()), "[Default Applications]\nx-content/audio-cdda=old.desktop\n");

    // Ours written for a registration that then fails is taken back.
    std::filesystem::remove(UserEntry());
    std::filesystem::remove_all(dir_ / "data");
    WriteFileText(dir_ / "data", "");
    EXPECT_THROW(Set(true), AutoPlayError);
    EXPECT_FALSE(std::filesystem::exists(UserEntry()));
}

TEST(DesktopEntry, ExecQuotingGivesBackTheProgram) {
    for (const std::string program : {"/usr/bin/sonatrix", "/a b/c\\d/e\"f`g$h%i'j"}) {
        EXPECT_EQ(ExecProgram(QuoteExecArgument(program) + " /p %U"), program);
    }
    EXPECT_EQ(QuoteExecArgument("/opt/snx/sonatrix"), "/opt/snx/sonatrix");
    EXPECT_EQ(QuoteExecArgument("/my dir/100%"), "\"/my dir/100%%\"");
    EXPECT_EQ(ExecProgram("\"/unclosed /p"), "");
}

TEST_F(AutoPlayTest, RegisteringTwiceKeepsTheHandlerToGiveBack) {
    WriteFileText(List(), "[Default Applications]\nx-content/audio-cdda=old.desktop\n");
    Set(true);
    Set(true);
    EXPECT_EQ(settings_.PreviousCommandLine, "old.desktop");
    Set(false);
    EXPECT_EQ(ReadFileText(List()), "[Default Applications]\nx-content/audio-cdda=old.desktop\n");
}

TEST_F(AutoPlayTest, ClearingLeavesAHandlerChosenSinceAlone) {
    WriteFileText(List(), "[Default Applications]\nx-content/audio-cdda=old.desktop\n");
    Set(true);
    WriteFileText(List(), "[Default Applications]\nx-content/audio-cdda=newer.desktop\n");
    Set(false);
    EXPECT_EQ(ReadFileText(List()), "[Default Applications]\nx-content/audio-cdda=newer.desktop\n");
    EXPECT_FALSE(settings_.AutoPlayHandler);
}

TEST_F(AutoPlayTest, AFailedWriteIsReportedAndChangesNothing) {
    const std::string original = "[Default Applications]\nx-content/audio-cdda=old.desktop\n";
    WriteFileText(List(), original);
    WriteFileText(SystemEntry(), "[Desktop Entry]\nExec=/bin/sh\n");
    const Settings before = settings_;
    try {
        const test::FileSizeLimit full(16);  // refuses root as well as anyone
        Set(true);
        ADD_FAILURE() << "no error";
    } catch (const AutoPlayError& failure) {
        EXPECT_EQ(std::string(failure.what()), "Unable to write to " + List().string());
    }
    EXPECT_FALSE(settings_.AutoPlayHandler);
    EXPECT_EQ(settings_.PreviousCommandLine, before.PreviousCommandLine);
    EXPECT_EQ(ReadFileText(List()), original);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "data" / "SONATRIX.INI"));
}

TEST_F(AutoPlayTest, ASettingsFileThatCannotBeWrittenPutsTheListBack) {
    const std::string original = "[Default Applications]\nx-content/audio-cdda=old.desktop\n";
    WriteFileText(List(), original);
    // A file where the data directory should be, which even root cannot write into.
    std::filesystem::remove(dir_ / "data");
    WriteFileText(dir_ / "data", "");
    EXPECT_THROW(Set(true), AutoPlayError);
    EXPECT_FALSE(settings_.AutoPlayHandler);
    EXPECT_EQ(ReadFileText(List()), original);
}

TEST(MimeAppsList, FollowsXdgConfigHome) {
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string keep = saved != nullptr ? saved : "";
    const std::string home = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
    ::setenv("XDG_CONFIG_HOME", "/somewhere/config", 1);
    EXPECT_EQ(MimeAppsListFile(), std::filesystem::path("/somewhere/config/mimeapps.list"));
    ::setenv("XDG_CONFIG_HOME", "relative", 1);
    ::setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(MimeAppsListFile(), std::filesystem::path("/home/someone/.config/mimeapps.list"));
    ::setenv("HOME", home.c_str(), 1);
    if (saved != nullptr) {
        ::setenv("XDG_CONFIG_HOME", keep.c_str(), 1);
    } else {
        ::unsetenv("XDG_CONFIG_HOME");
    }
}

}  // namespace
}  // namespace snx
