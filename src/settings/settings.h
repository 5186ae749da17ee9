// The program's configuration, one field per key of "SONATRIX.INI" in the data directory, and
// its loading and saving. The whole file is read once at start and written whole on each save.
#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "util/min_sec.h"

namespace snx {

// 0x00BBGGRR for a plain colour, or 0x80000000 plus a system colour index.
using Colour = std::int32_t;

constexpr const char* kDefaultAccurateRipServer = "http://www.accuraterip.com";

constexpr Colour kButtonFaceColour = static_cast<Colour>(0x8000000F);

struct Settings {
    std::string TrackFontName;
    std::int32_t TrackFontSize = 0;
    Colour TrackFontColor = 0;
    Colour TrackSelectedColor = 0;
    Colour TrackBackColor = 0;
    std::string DiscDataFontName;
    std::int32_t DiscDataFontSize = 0;
    Colour DiscDataFontColor = 0;
    Colour DiscDataBackColor = 0;
    std::string ReportFontName;
    std::int32_t ReportFontSize = 0;
    Colour ReportFontColor = 0;
    std::string SmallFontName;
    std::int32_t SmallFontSize = 0;
    Colour SmallFontColor = 0;
    bool DisplayFontBold = false;
    Colour DisplayFontColor = 0;
    Colour DisplayBackColor = 0;
    std::string DisplayFontName;
    std::int32_t DisplayFontSize = 0;
    Colour VolumeDisplayBackColor = 0;
    Colour VolumeBarBackColor = 0;
    Colour VolumeBarForeColor = 0;
    std::int32_t VolumeRepeatDelay = 0;
    std::int32_t VolumeRepeatInterval = 0;
    std::int32_t SkipRepeatInterval = 0;
    std::int32_t VolumeLeft = 0;
    std::int32_t VolumeRight = 0;
    bool ShowHints = false;
    std::int32_t MainTop = 0;
    std::int32_t MainLeft = 0;
    std::int32_t SmallTop = 0;
    std::int32_t SmallLeft = 0;
    MinSec SkipTime = 0;
    MinSec IntroTime = 0;
    MinSec FitTracksTime = 0;
    bool UseBackgroundBitmap = false;
    std::string BackgroundBitmap;
    Colour HandsetBackColor = 0;
    bool AutoPlayOnStartup = false;
    bool AutoStopOnClose = false;
    bool KeepOnTop = false;
    bool SaveNewEntries = false;
    bool ShowDiscData = false;
    bool ShowExtendedHandset = false;
    bool ShowTinyHandset = false;
    bool StartSmall = false;
    bool UseColorButtons = false;
    bool PrintBitmap = false;
    bool AutoPlayHandler = false;
    std::string PreviousCommandLine;
    std::string RecordingControlProgram;
    std::string MixerControlProgram;
    std::int32_t CdromInUse = 0;
    bool DeletedRecordsPresent = false;
    std::string DiscUser1Label;
    std::string DiscUser2Label;
    std::string TrackUser1Label;
    std::string TrackUser2Label;
    // Online lookup of unknown discs: off until the user turns it on, since a lookup tells a
    // server which disc is played; the servers may be mirrors or local ones.
    bool LookUpUnknownDiscs = false;
    std::string MusicBrainzServer;
    std::string CoverArtServer;
    std::string CddbServer;
    // The archive of discs: its folder (empty: the user's music folder plus "Sonatrix"), the
    // drive's read offset in samples, and the AccurateRip check, off until the user turns it on
    // (it tells a server which disc is archived) and offered once.
    std::string ArchiveFolder;
    std::int32_t ReadOffset = 0;
    bool VerifyArchives = false;
    bool VerificationOffered = false;
    std::string AccurateRipServer;

    // Beyond the table: written only when they hold a value.
    std::string VirtualDriveImage;  // [Virtual drive] Image=, the disc image last inserted
    std::string CollectorName;      // [User config] Collector name=, for the printed reports

    // Worked out at load, never written: the data directory with its final separator, and the
    // user's home directory without one.
    std::string ProgramDirectory;
    std::string WindowsDirectory;

    // "SONATRIX.INI" in ProgramDirectory, in whatever case it exists there.
    std::filesystem::path FileName() const;
};

// Raised when the settings file cannot be replaced: "Unable to write to " + full path.
class SettingsWriteError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Every field at its default, with the directory-dependent defaults formed from dataDirectory
// and homeDirectory. The mixer and recording programs default to pavucontrol when it is on PATH.
Settings DefaultSettings(const std::filesystem::path& dataDirectory,
                         const std::filesystem::path& homeDirectory);

// Reads the settings file of the given directories over the defaults; a missing file or key, or
// a value that does not convert, keeps the default. An unreadable file gives every default.
Settings ReadSettings(const std::filesystem::path& dataDirectory,
                      const std::filesystem::path& homeDirectory);

// Writes every key, in order, into the settings file of settings.ProgramDirectory, keeping the
// file's other keys and comments. Throws SettingsWriteError; the old file then stays whole.
void WriteSettings(const Settings& settings);

// The collector named on printed reports: CollectorName, else DefaultCollectorName().
std::string EffectiveCollectorName(const Settings& settings);
// The user's full name from the system account (up to the first comma), else the login name.
std::string DefaultCollectorName();

// The skip and intro times as the whole seconds the configuration shows (0.25 is 25), and back.
int SecondsFieldValue(MinSec time);
MinSec SecondsFromField(int value);

// The process-wide settings, for the user-interface thread only.
Settings& AppSettings();
// Sets where LoadSettings and SaveSettings look; the program calls it once at start.
void SetSettingsDirectories(const std::filesystem::path& dataDirectory,
                            const std::filesystem::path& homeDirectory);
void LoadSettings();
void SaveSettings();

}  // namespace snx
