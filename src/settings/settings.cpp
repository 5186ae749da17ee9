#include "settings/settings.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "settings/file_names.h"
#include "settings/ini_file.h"
#include "settings/profile_number.h"
#include "settings/settings_keys.h"
#include "util/atomic_file.h"
#include "util/text.h"

namespace snx {

namespace {

constexpr std::size_t kMaxSettingText = 255;

std::string WithSeparator(const std::filesystem::path& directory) {
    std::string text = directory.string();
    if (text.empty() || text.back() != '/') {
        text += '/';
    }
    return text;
}

std::string WithoutSeparator(const std::filesystem::path& directory) {
    std::string text = directory.string();
    while (text.size() > 1 && text.back() == '/') {
        text.pop_back();
    }
    return text;
}

// The full path of an executable found on PATH, else "".
std::string FindOnPath(std::string_view program) {
    const char* path = std::getenv("PATH");
    std::string_view dirs = path != nullptr ? path : "";
    while (!dirs.empty()) {
        const std::size_t colon = dirs.find(':');
        const std::string_view dir = dirs.substr(0, colon);
        dirs = colon == std::string_view::npos ? std::string_view() : dirs.substr(colon + 1);
        if (dir.empty()) {
            continue;
        }
        const std::string candidate = std::string(dir) + "/" + std::string(program);
        if (::access(candidate.c_str(), X_OK) == 0 && !std::filesystem::is_directory(candidate)) {
            return candidate;
        }
    }
    return {};
}

void ReadKey(const IniFile& ini, const SettingKey& key, Settings& settings) {
    const std::optional<std::string> stored = ini.Get(key.Section, key.Key);
    if (!stored) {
        return;
    }
    std::visit(
        [&](auto field) {
            using Field = decltype(field);
            if constexpr (std::is_same_v<Field, std::string Settings::*>) {
                settings.*field = CutText(*stored, kMaxSettingText);
            } else if (const auto number = ParseProfileInteger(*stored)) {
                if constexpr (std::is_same_v<Field, std::int32_t Settings::*>) {
                    settings.*field = *number;
                } else if constexpr (std::is_same_v<Field, bool Settings::*>) {
                    settings.*field = *number != 0;
                } else {
                    settings.*(field.Field) = *number * 0.01;
                }
            }
        },
        key.Field);
}

std::string WriteValue(const Settings& settings, const SettingField& field) {
    return std::visit(
        [&](auto member) -> std::string {
            using Field = decltype(member);
            if constexpr (std::is_same_v<Field, std::string Settings::*>) {
                return settings.*member;
            } else if constexpr (std::is_same_v<Field, std::int32_t Settings::*>) {
                return std::to_string(settings.*member);
            } else if constexpr (std::is_same_v<Field, bool Settings::*>) {
                return settings.*member ? "1" : "0";
            } else {
                return std::to_string(std::llround(settings.*(member.Field) * 100));
            }
        },
        field);
}

// What the last save wrote, so that a save that would write the same text over an untouched
// file (every store of a disc record saves the settings) costs no write and no flush.
struct LastWrite {
    std::filesystem::path File;
    std::optional<IniFile> Ini;
    std::string Text;
    struct stat Stat {};
};

LastWrite& LastWritten() {
    static LastWrite last;
    return last;
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_ino == b.st_ino && a.st_dev == b.st_dev && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

struct Directories {
    std::filesystem::path Data;
    std::filesystem::path Home;
};

Directories& CurrentDirectories() {
    static Directories directories;
    return directories;
}

}  // namespace

std::filesystem::path Settings::FileName() const {
    return ResolveFileName(ProgramDirectory, data_file::kSettings);
}

Settings DefaultSettings(const std::filesystem::path& dataDirectory,
                         const std::filesystem::path& homeDirectory) {
    Settings s;
    s.ProgramDirectory = WithSeparator(dataDirectory);
    s.WindowsDirectory = WithoutSeparator(homeDirectory);

    s.TrackFontName = "Small fonts";
    s.TrackFontSize = 6;
    s.TrackFontColor = 65280;
    s.TrackSelectedColor = 255;
    s.TrackBackColor = 0;
    s.DiscDataFontName = "Arial";
    s.DiscDataFontSize = 8;
    s.DiscDataFontColor = 0;
    s.DiscDataBackColor = 0xFFFFFF;
    s.ReportFontName = "Arial";
    s.ReportFontSize = 8;
    s.ReportFontColor = 0;
    s.SmallFontName = "Small fonts";
    s.SmallFontSize = 7;
    s.SmallFontColor = 0;
    s.DisplayFontBold = true;
    s.DisplayFontColor = 65280;
    s.DisplayBackColor = 0;
    s.DisplayFontName = "Arial";
    s.DisplayFontSize = 8;
    s.VolumeDisplayBackColor = kButtonFaceColour;
    s.VolumeBarBackColor = 0;
    s.VolumeBarForeColor = 65280;
    s.VolumeRepeatDelay = 200;
    s.VolumeRepeatInterval = 50;
    s.SkipRepeatInterval = 200;
    s.VolumeLeft = 30000;
    s.VolumeRight = 30000;
    s.ShowHints = true;
    s.MainTop = 10;
    s.MainLeft = 10;
    s.SmallTop = 10;
    s.SmallLeft = 10;
    s.SkipTime = 0.30;
    s.IntroTime = 0.10;
    s.FitTracksTime = 45.00;
    s.UseBackgroundBitmap = true;
    s.BackgroundBitmap =
        CutText(s.ProgramDirectory + std::string(data_file::kBackgroundTile), kMaxSettingText);
    s.HandsetBackColor = kButtonFaceColour;
    s.AutoPlayOnStartup = false;
    s.AutoStopOnClose = false;
    s.KeepOnTop = false;
    s.SaveNewEntries = true;
    s.ShowDiscData = true;
    s.ShowExtendedHandset = true;
    s.ShowTinyHandset = false;
    s.StartSmall = false;
    s.UseColorButtons = true;
    s.PrintBitmap = true;
    s.AutoPlayHandler = false;
    s.PreviousCommandLine = "";
    const std::string mixer = CutText(FindOnPath("pavucontrol"), kMaxSettingText);
    s.RecordingControlProgram = mixer;
    s.MixerControlProgram = mixer;
    s.CdromInUse = 0;
    s.DeletedRecordsPresent = false;
    s.DiscUser1Label = "User field 1";
    s.DiscUser2Label = "User field 2";
    s.TrackUser1Label = "Artist";
    s.TrackUser2Label = "Composer";
    s.LookUpUnknownDiscs = false;
    s.MusicBrainzServer = "https://musicbrainz.org";
    s.CoverArtServer = "https://coverartarchive.org";
    s.CddbServer = "https://gnudb.gnudb.org/~cddb/cddb.cgi";
    s.ArchiveFolder = "";
    s.ReadOffset = 0;
    s.VerifyArchives = false;
    s.VerificationOffered = false;
    s.AccurateRipServer = kDefaultAccurateRipServer;
    return s;
}

namespace {

constexpr const char* kVirtualDriveSection = "Virtual drive";
constexpr const char* kVirtualDriveImageKey = "Image";
constexpr const char* kUserConfigSection = "User config";
constexpr const char* kCollectorNameKey = "Collector name";
constexpr const char* kArchiveSection = "Archive";
constexpr const char* kArchiveFolderKey = "Folder";
constexpr const char* kReadOffsetKey = "Read offset";
constexpr const char* kVerifyKey = "Verify with AccurateRip";
constexpr const char* kOfferedKey = "Verification offered";
constexpr const char* kAccurateRipServerKey = "AccurateRip server";

// The archive's keys, beyond the table: read over the defaults, written only when they differ.
void ReadArchiveKeys(const IniFile& ini, Settings& settings) {
    settings.ArchiveFolder = ini.Get(kArchiveSection, kArchiveFolderKey).value_or("");
    const std::string offset = ini.Get(kArchiveSection, kReadOffsetKey).value_or("0");
    int value = 0;
    const auto [end, error] = std::from_chars(offset.data(), offset.data() + offset.size(), value);
    // Drives lie within a few thousand samples; anything else is a typing error.
    if (error == std::errc() && end == offset.data() + offset.size() && value > -100000 &&
        value < 100000) {
        settings.ReadOffset = value;
    }
    settings.VerifyArchives = ini.Get(kArchiveSection, kVerifyKey).value_or("0") == "1";
    settings.VerificationOffered = ini.Get(kArchiveSection, kOfferedKey).value_or("0") == "1";
    if (const auto server = ini.Get(kArchiveSection, kAccurateRipServerKey); server) {
        settings.AccurateRipServer = *server;
    }
}

void WriteArchiveKeys(const Settings& settings, IniFile& ini) {
    if (!settings.ArchiveFolder.empty()) {
        ini.Set(kArchiveSection, kArchiveFolderKey, settings.ArchiveFolder);
    }
    if (settings.ReadOffset != 0) {
        ini.Set(kArchiveSection, kReadOffsetKey, std::to_string(settings.ReadOffset));
    }
    if (settings.VerifyArchives || settings.VerificationOffered) {
        ini.Set(kArchiveSection, kVerifyKey, settings.VerifyArchives ? "1" : "0");
        ini.Set(kArchiveSection, kOfferedKey, settings.VerificationOffered ? "1" : "0");
    }
    if (settings.AccurateRipServer != kDefaultAccurateRipServer) {
        ini.Set(kArchiveSection, kAccurateRipServerKey, settings.AccurateRipServer);
    }
}

}  // namespace

Settings ReadSettings(const std::filesystem::path& dataDirectory,
                      const std::filesystem::path& homeDirectory) {
    Settings settings = DefaultSettings(dataDirectory, homeDirectory);
    const std::optional<IniFile> ini = IniFile::Load(settings.FileName());
    if (ini) {
        for (const SettingKey& key : kSettingKeys) {
            ReadKey(*ini, key, settings);
        }
        settings.VirtualDriveImage =
            ini->Get(kVirtualDriveSection, kVirtualDriveImageKey).value_or("");
        settings.CollectorName =
            CutText(ini->Get(kUserConfigSection, kCollectorNameKey).value_or(""), kMaxSettingText);
        ReadArchiveKeys(*ini, settings);
    }
    return settings;
}

void WriteSettings(const Settings& settings) {
    const std::filesystem::path file = settings.FileName();
    const std::string failure = "Unable to write to " + file.string();
    LastWrite& last = LastWritten();
    struct stat now {};
    const bool untouched = last.Ini && last.File == file && ::stat(file.c_str(), &now) == 0 &&
                           SameFile(now, last.Stat);
    // Start from the file as it stands, so that keys we do not own survive the save. A file we
    // cannot read must not be replaced by one that has lost them.
    std::optional<IniFile> ini = untouched ? last.Ini : IniFile::Load(file);
    if (!ini) {
        throw SettingsWriteError(failure);
    }
    for (const SettingKey& key : kSettingKeys) {
        ini->Set(key.Section, key.Key, WriteValue(settings, key.Field));
    }
    if (!settings.VirtualDriveImage.empty()) {
        ini->Set(kVirtualDriveSection, kVirtualDriveImageKey, settings.VirtualDriveImage);
    }
    if (!settings.CollectorName.empty()) {
        ini->Set(kUserConfigSection, kCollectorNameKey, settings.CollectorName);
    }
    WriteArchiveKeys(settings, *ini);
    std::string text = ini->ToText();
    if (untouched && text == last.Text) {
        return;
    }
    try {
        WriteFileAtomically(file, text);
    } catch (const FileWriteError&) {
        last = {};
        throw SettingsWriteError(failure);
    }
    last = {file, std::move(ini), std::move(text), {}};
    if (::stat(file.c_str(), &last.Stat) != 0) {
        last = {};
    }
}

std::string DefaultCollectorName() {
    if (const passwd* user = ::getpwuid(::getuid()); user != nullptr) {
        const std::string_view gecos = user->pw_gecos != nullptr ? user->pw_gecos : "";
        const std::string_view fullName = TrimBlanks(gecos.substr(0, gecos.find(',')));
        if (!fullName.empty()) {
            return std::string(fullName);
        }
        if (user->pw_name != nullptr && user->pw_name[0] != '\0') {
            return user->pw_name;
        }
    }
    for (const char* variable : {"LOGNAME", "USER"}) {
        if (const char* name = std::getenv(variable); name != nullptr && name[0] != '\0') {
            return name;
        }
    }
    return {};
}

std::string EffectiveCollectorName(const Settings& settings) {
    return settings.CollectorName.empty() ? DefaultCollectorName() : settings.CollectorName;
}

int SecondsFieldValue(MinSec time) {
    return static_cast<int>(std::lround(time * 100));
}

MinSec SecondsFromField(int value) {
    return value * 0.01;
}

Settings& AppSettings() {
    static Settings settings;
    return settings;
}

void SetSettingsDirectories(const std::filesystem::path& dataDirectory,
                            const std::filesystem::path& homeDirectory) {
    CurrentDirectories() = {dataDirectory, homeDirectory};
}

void LoadSettings() {
    const Directories& dirs = CurrentDirectories();
    AppSettings() = ReadSettings(dirs.Data, dirs.Home);
}

void SaveSettings() {
    Settings& settings = AppSettings();
    const Directories& dirs = CurrentDirectories();
    settings.ProgramDirectory = WithSeparator(dirs.Data);
    settings.WindowsDirectory = WithoutSeparator(dirs.Home);
    WriteSettings(settings);
}

}  // namespace snx
