#include "settings/settings.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>

#include "settings/ini_file.h"
#include "settings/settings_keys.h"
#include "tests/support/temp_dir.h"

namespace snx {
namespace {

using test::ReadFileText;
using test::WriteFileText;

class SettingsTest : public testing::Test {
  protected:
    Settings Read() { return ReadSettings(dir_.Path(), "/home/someone"); }
    void Store(std::string_view text) { WriteFileText(dir_ / "SONATRIX.INI", text); }
    std::string Stored() { return ReadFileText(dir_ / "SONATRIX.INI"); }

    test::TempDir dir_;
};

TEST_F(SettingsTest, EmptyFileGivesEveryDefaultAndSavesAll59Keys) {
    Store("");
    const Settings s = Read();
    EXPECT_EQ(s.TrackFontName, "Small fonts");
    EXPECT_EQ(s.TrackFontSize, 6);
    EXPECT_EQ(s.TrackFontColor, 65280);
    EXPECT_EQ(s.TrackSelectedColor, 255);
    EXPECT_EQ(s.DiscDataBackColor, 0xFFFFFF);
    EXPECT_EQ(s.SmallFontSize, 7);
    EXPECT_TRUE(s.DisplayFontBold);
    EXPECT_EQ(s.VolumeDisplayBackColor, kButtonFaceColour);
    EXPECT_EQ(s.VolumeRepeatDelay, 200);
    EXPECT_EQ(s.VolumeRepeatInterval, 50);
    EXPECT_EQ(s.SkipRepeatInterval, 200);
    EXPECT_EQ(s.VolumeLeft, 30000);
    EXPECT_EQ(s.VolumeRight, 30000);
    EXPECT_TRUE(s.ShowHints);
    EXPECT_EQ(s.MainTop, 10);
    EXPECT_DOUBLE_EQ(s.SkipTime, 0.30);
    EXPECT_DOUBLE_EQ(s.IntroTime, 0.10);
    EXPECT_DOUBLE_EQ(s.FitTracksTime, 45.0);
    EXPECT_EQ(s.BackgroundBitmap, dir_.Path().string() + "/sandblst.bmp");
    EXPECT_EQ(s.HandsetBackColor, kButtonFaceColour);
    EXPECT_TRUE(s.SaveNewEntries);
    EXPECT_TRUE(s.ShowExtendedHandset);
    EXPECT_FALSE(s.StartSmall);
    EXPECT_EQ(s.CdromInUse, 0);
    EXPECT_EQ(s.DiscUser1Label, "User field 1");
    EXPECT_EQ(s.TrackUser2Label, "Composer");
    EXPECT_EQ(s.ProgramDirectory, dir_.Path().string() + "/");
    EXPECT_EQ(s.WindowsDirectory, "/home/someone");

    WriteSettings(s);
    const std::string text = Stored();
    int keys = 0;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        keys += !line.empty() && line[0] != '[' && line.find('=') != std::string::npos;
    }
    EXPECT_EQ(keys, 63);
    EXPECT_NE(text.find("[Fonts]\nTrack window name=Small fonts\nTrack window size=6\n"
                        "Disc data name=Arial\n"),
              std::string::npos);
    EXPECT_NE(text.find("Volume display background=-2147483633\n"), std::string::npos);
    EXPECT_NE(text.find("Skip time=30\nIntro time=10\nFit tracks time=4500\n"), std::string::npos);
}

TEST_F(SettingsTest, SectionsAppearInTheOrderOfTheirFirstKey) {
    WriteSettings(Read());
    const std::string text = Stored();
    std::vector<std::size_t> at;
    for (const char* section :
         {"[Fonts]", "[Color]", "[Repeat buttons]", "[Volume]", "[General]", "[User config]"}) {
        at.push_back(text.find(section));
        ASSERT_NE(at.back(), std::string::npos) << section;
    }
    EXPECT_TRUE(std::is_sorted(at.begin(), at.end()));
    EXPECT_EQ(at[0], 0u);
}

TEST_F(SettingsTest, ReadsHexadecimalAndWritesSignedDecimal) {
    Store("[Color]\nVolume display background=0x8000000F\nReport=$FF\n");
    Settings s = Read();
    EXPECT_EQ(s.VolumeDisplayBackColor, static_cast<Colour>(0x8000000F));
    EXPECT_EQ(s.ReportFontColor, 255);
    WriteSettings(s);
    EXPECT_NE(Stored().find("Volume display background=-2147483633\n"), std::string::npos);
    EXPECT_NE(Stored().find("Report=255\n"), std::string::npos);
}

TEST_F(SettingsTest, TimesAreStoredAsHundredths) {
    Store("[General]\nSkip time=130\nIntro time=90\nFit tracks time=oops\n");
    Settings s = Read();
    EXPECT_DOUBLE_EQ(s.SkipTime, 1.30);
    EXPECT_DOUBLE_EQ(s.IntroTime, 0.90);
    EXPECT_DOUBLE_EQ(s.FitTracksTime, 45.0);
    s.SkipTime = 1.3;  // 129.99999... when multiplied: rounding keeps it 130
    s.FitTracksTime = 74.33;
    WriteSettings(s);
    EXPECT_NE(Stored().find("Skip time=130\nIntro time=90\nFit tracks time=7433\n"),
              std::string::npos);
}

TEST_F(SettingsTest, BooleansAreIntegers) {
    Store(
        "[General]\nShow hints=yes\nKeep on top=2\nSave new entries=0\nAuto stop on close "
        "down=-1\n");
    Settings s = Read();
    EXPECT_TRUE(s.ShowHints);
    EXPECT_TRUE(s.KeepOnTop);
    EXPECT_FALSE(s.SaveNewEntries);
    EXPECT_TRUE(s.AutoStopOnClose);
    WriteSettings(s);
    EXPECT_NE(Stored().find("Keep on top=1\n"), std::string::npos);
    EXPECT_NE(Stored().find("Show hints=1\n"), std::string::npos);
}

TEST_F(SettingsTest, TextsAreCutTo255) {
    Store("[General]\nBackground bitmap=/" + std::string(299, 'p') + "\n");
    const Settings s = Read();
    EXPECT_EQ(s.BackgroundBitmap, "/" + std::string(254, 'p'));
}

TEST_F(SettingsTest, EveryKeyRoundTrips) {
    Settings s = Read();
    int n = 1;
    for (const SettingKey& key : kSettingKeys) {
        std::visit(
            [&](auto field) {
                using Field = decltype(field);
                if constexpr (std::is_same_v<Field, std::string Settings::*>) {
                    s.*field = "text " + std::to_string(n) + " \xC3\xA9";
                } else if constexpr (std::is_same_v<Field, std::int32_t Settings::*>) {
                    s.*field = n % 2 ? -n * 1000003 : n;
                } else if constexpr (std::is_same_v<Field, bool Settings::*>) {
                    s.*field = !(s.*field);
                } else {
                    s.*(field.Field) = n + 0.07;
                }
            },
            key.Field);
        ++n;
    }
    WriteSettings(s);
    const Settings back = Read();
    for (const SettingKey& key : kSettingKeys) {
        std::visit(
            [&](auto field) {
                using Field = decltype(field);
                if constexpr (std::is_same_v<Field, MinSecField>) {
                    EXPECT_DOUBLE_EQ(back.*(field.Field), s.*(field.Field)) << key.Key;
                } else {
                    EXPECT_EQ(back.*field, s.*field) << key.Key;
                }
            },
            key.Field);
    }
}

TEST_F(SettingsTest, VirtualDriveImageIsWrittenOnlyWhenSet) {
    Store("");
    Settings s = Read();
    EXPECT_EQ(s.VirtualDriveImage, "");
    WriteSettings(s);
    EXPECT_EQ(Stored().find("[Virtual drive]"), std::string::npos);
    s.VirtualDriveImage = "/music/a disc.cue";
    WriteSettings(s);
    EXPECT_NE(Stored().find("[Virtual drive]\nImage=/music/a disc.cue\n"), std::string::npos);
    EXPECT_EQ(Read().VirtualDriveImage, "/music/a disc.cue");
}

TEST_F(SettingsTest, CollectorNameIsWrittenOnlyWhenSetAndDefaultsToTheAccount) {
    const std::string file = "[User config]\nDisc user 1=Label\n";
    Store(file);
    Settings s = Read();
    EXPECT_EQ(s.CollectorName, "");
    EXPECT_EQ(EffectiveCollectorName(s), DefaultCollectorName());
    EXPECT_FALSE(DefaultCollectorName().empty());
    WriteSettings(s);
    EXPECT_EQ(Stored().find("Collector name"), std::string::npos);
    s.CollectorName = "A. Collector";
    WriteSettings(s);
    EXPECT_NE(Stored().find("Tracks user 2=Composer\nCollector name=A. Collector\n"),
              std::string::npos);
    EXPECT_EQ(EffectiveCollectorName(Read()), "A. Collector");
}

TEST(SecondsField, ShowsTheTimeTimes100AndStoresTheValueTimes001) {
    EXPECT_EQ(SecondsFieldValue(0.05), 5);
    EXPECT_EQ(SecondsFieldValue(0.59), 59);
    EXPECT_EQ(SecondsFieldValue(0.29999), 30);
    EXPECT_DOUBLE_EQ(SecondsFromField(5), 0.05);
    EXPECT_DOUBLE_EQ(SecondsFromField(25), 0.25);
}

TEST_F(SettingsTest, UnknownKeysAndCommentsSurviveASave) {
    Store("; my notes\n[General]\nMain top=99\nPlugin=on\n\n[Virtual drive]\nImage=/x.cue\n");
    Settings s = Read();
    EXPECT_EQ(s.MainTop, 99);
    s.MainTop = 5;
    WriteSettings(s);
    const IniFile ini = IniFile::Parse(Stored());
    EXPECT_EQ(Stored().rfind("; my notes\n[General]\nMain top=5\nPlugin=on\n", 0), 0u);
    EXPECT_EQ(ini.Get("Virtual drive", "Image"), "/x.cue");
    EXPECT_EQ(ini.Get("General", "Plugin"), "on");
}

TEST_F(SettingsTest, SavingTheSameSettingsAgainLeavesTheFileAlone) {
    Settings s = Read();
    WriteSettings(s);
    const auto written = std::filesystem::last_write_time(dir_ / "SONATRIX.INI");
    const auto inode = [&] {
        struct stat st {};
        ::stat((dir_ / "SONATRIX.INI").c_str(), &st);
        return st.st_ino;
    };
    const auto before = inode();
    WriteSettings(s);
    EXPECT_EQ(inode(), before);  // not replaced
    EXPECT_EQ(std::filesystem::last_write_time(dir_ / "SONATRIX.INI"), written);
    // A hand edit in between is noticed and kept.
    Store(Stored() + "[Mine]\nx=1\n");
    WriteSettings(s);
    EXPECT_NE(Stored().find("[Mine]\nx=1\n"), std::string::npos);
    s.MainTop = 42;
    WriteSettings(s);
    EXPECT_NE(Stored().find("Main top=42\n"), std::string::npos);
    EXPECT_NE(Stored().find("[Mine]\nx=1\n"), std::string::npos);
}

TEST_F(SettingsTest, FileNameIsMatchedWithoutRegardToCaseAndThroughALink) {
    WriteFileText(dir_ / "sonatrix.ini", "[General]\nMain top=77\n");
    Settings s = Read();
    EXPECT_EQ(s.MainTop, 77);
    WriteSettings(s);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "SONATRIX.INI"));
    EXPECT_NE(ReadFileText(dir_ / "sonatrix.ini").find("Main top=77"), std::string::npos);

    // A file kept elsewhere (by a dotfile manager) stays where the link leads.
    std::filesystem::create_directory(dir_ / "dotfiles");
    std::filesystem::rename(dir_ / "sonatrix.ini", dir_ / "dotfiles" / "snx.ini");
    std::filesystem::create_symlink(dir_ / "dotfiles" / "snx.ini", dir_ / "sonatrix.ini");
    s.MainTop = 78;
    WriteSettings(s);
    EXPECT_TRUE(std::filesystem::is_symlink(dir_ / "sonatrix.ini"));
    EXPECT_NE(ReadFileText(dir_ / "dotfiles" / "snx.ini").find("Main top=78"), std::string::npos);
}

TEST_F(SettingsTest, RefusedWriteRaisesAndLeavesTheOldFileWhole) {
    const std::string old = "[General]\nMain top=3\n";
    Store(old);
    Settings s = Read();
    s.MainTop = 4;
    // Limit file sizes so that even root cannot write the new file.
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    const auto handler = ::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 64;
    ::setrlimit(RLIMIT_FSIZE, &small);
    try {
        WriteSettings(s);
        ADD_FAILURE() << "the write should have been refused";
    } catch (const SettingsWriteError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Unable to write to " + (dir_ / "SONATRIX.INI").string());
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, handler);
    EXPECT_EQ(Stored(), old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.Path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(SettingsTest, ReadOnlyDirectoryRefusesTheWrite) {
    Store("[General]\nMain top=3\n");
    const Settings s = Read();
    using std::filesystem::perms;
    std::filesystem::permissions(dir_.Path(), perms::owner_read | perms::owner_exec |
                                                  perms::others_read | perms::others_exec);
    std::filesystem::permissions(dir_ / "SONATRIX.INI", perms::owner_read | perms::others_read);
    // Root ignores permissions: write as an ordinary user for the duration.
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::seteuid(65534), 0);
    }
    EXPECT_THROW(WriteSettings(s), SettingsWriteError);
    if (root) {
        ASSERT_EQ(::seteuid(0), 0);
    }
    EXPECT_EQ(Stored(), "[General]\nMain top=3\n");
}

TEST(AppSettings, LoadAndSaveUseTheChosenDirectories) {
    test::TempDir dir;
    WriteFileText(dir / "SONATRIX.INI", "[General]\nCDROM in use=2\n");
    SetSettingsDirectories(dir.Path(), "/home/x");
    LoadSettings();
    EXPECT_EQ(AppSettings().CdromInUse, 2);
    EXPECT_EQ(AppSettings().WindowsDirectory, "/home/x");
    AppSettings().CdromInUse = 1;
    SaveSettings();
    EXPECT_NE(ReadFileText(dir / "SONATRIX.INI").find("CDROM in use=1\n"), std::string::npos);
}

TEST(DefaultSettings, MixerIsPavucontrolWhenOnPath) {
    test::TempDir dir;
    const auto fake = dir / "pavucontrol";
    WriteFileText(fake, "#!/bin/sh\n");
    std::filesystem::permissions(fake, std::filesystem::perms::owner_all);
    const std::string savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    ::setenv("PATH", dir.Path().c_str(), 1);
    const Settings found = DefaultSettings("/data", "/home/x");
    ::setenv("PATH", "/nonexistent", 1);
    const Settings missing = DefaultSettings("/data", "/home/x");
    ::setenv("PATH", savedPath.c_str(), 1);
    EXPECT_EQ(found.MixerControlProgram, fake.string());
    EXPECT_EQ(found.RecordingControlProgram, fake.string());
    EXPECT_EQ(missing.MixerControlProgram, "");
}

}  // namespace
}  // namespace snx
