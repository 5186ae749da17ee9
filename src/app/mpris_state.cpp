#include "app/mpris_state.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "archive/archive_cue.h"
#include "cd/cd_device.h"
#include "player/player_engine.h"
#include "settings/settings.h"
#include "store/block_file/string_grid.h"
#include "util/text.h"

namespace snx {

namespace {

constexpr std::int64_t kMicrosPerSecond = 1'000'000;
constexpr double kFullVolume = 65535.0;
constexpr std::int64_t kLongestOffset = 100LL * 3600 * kMicrosPerSecond;  // 100 hours

bool CanSeek(const PlayerFacts& facts) {
    return facts.MediaPresent && facts.Commands.Skips && facts.Track >= 1;
}

std::string_view StatusName(const PlayerFacts& facts) {
    if (!facts.MediaPresent) {
        return "Stopped";
    }
    if (facts.Paused) {
        return "Paused";
    }
    return facts.Playing ? "Playing" : "Stopped";
}

}  // namespace

// A local file as a file:// URL: every byte but the unreserved ones and '/' escaped.
std::string FileUrl(const std::filesystem::path& file) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string url = "file://";
    for (const char c : file.string()) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) != 0 || c == '/' || c == '-' || c == '.' || c == '_' || c == '~') {
            url += c;
        } else {
            url += {'%', kHex[byte >> 4], kHex[byte & 15]};
        }
    }
    return url;
}

PlayerFacts GatherPlayerFacts(PlayerEngine& engine) {
    CdDevice& device = engine.Device();
    const Settings& settings = AppSettings();
    PlayerFacts facts;
    facts.MediaPresent = engine.State.MediaPresent && device.IsOpen();
    facts.Commands = engine.Commands();
    facts.Mode = engine.State.Mode;
    facts.RepeatOn = engine.State.RepeatOn;
    facts.VolumeLeft = settings.VolumeLeft;
    facts.VolumeRight = settings.VolumeRight;
    if (!facts.MediaPresent) {
        return facts;
    }
    facts.Playing = device.GetMode() == CdMode::Playing;
    facts.Paused = device.Paused;
    facts.Position = MsfToLba(device.GetPosition());
    const int track = device.GetCurrentTrack();
    if (track >= 1 && track <= device.TrackCount) {
        const auto index = static_cast<std::size_t>(track);
        facts.Track = track;
        facts.TrackStart = MsfToLba(device.TrackStart[index]);
        facts.TrackLength = MsfToLba(device.TrackLength[index]);
        facts.Title = StoredTextToUtf8(engine.Disc().Tracks().Cell(0, track));
    }
    facts.Album = StoredTextToUtf8(engine.Disc().Record().Name);
    facts.Artist = StoredTextToUtf8(engine.Disc().Record().Artist);
    if (settings.CdromInUse == device.VirtualDriveIndex() && !settings.VirtualDriveImage.empty()) {
        if (const auto cover = ArchiveCover(settings.VirtualDriveImage); !cover.empty()) {
            facts.ArtUrl = FileUrl(cover);
        }
    }
    return facts;
}

PlayerProperties DescribePlayer(const PlayerFacts& facts) {
    PlayerProperties properties;
    properties.PlaybackStatus = StatusName(facts);
    properties.LoopStatus = LoopStatusName(facts.RepeatOn, facts.Mode);
    properties.Shuffle = facts.Mode == PlayMode::Shuffle;
    properties.Volume =
        std::clamp(std::max(facts.VolumeLeft, facts.VolumeRight) / kFullVolume, 0.0, 1.0);
    const CommandAvailability& can = facts.Commands;
    const bool disc = facts.MediaPresent;
    // Play also resumes, so it is on wherever play or pause is.
    properties.CanPlay = disc && (can.Play || can.Pause);
    properties.CanPause = disc && can.Pause;
    properties.CanGoNext = disc && can.Next;
    properties.CanGoPrevious = disc && can.Previous;
    properties.CanSeek = CanSeek(facts);
    if (facts.MediaPresent && facts.Track >= 1) {
        TrackMetadata metadata;
        metadata.TrackId = TrackObjectPath(facts.Track);
        metadata.LengthMicros = FramesToMicros(facts.TrackLength);
        metadata.Album = facts.Album;
        if (!facts.Artist.empty()) {
            metadata.Artists.push_back(facts.Artist);
        }
        metadata.Title = facts.Title;
        metadata.TrackNumber = facts.Track;
        metadata.ArtUrl = facts.ArtUrl;
        properties.Metadata = std::move(metadata);
        properties.PositionMicros = FramesToMicros(
            std::clamp(facts.Position - facts.TrackStart, 0, std::max(facts.TrackLength, 0)));
    }
    return properties;
}

std::vector<std::string> ChangedProperties(const PlayerProperties& before,
                                           const PlayerProperties& after) {
    std::vector<std::string> changed;
    const auto note = [&changed](bool differs, const char* name) {
        if (differs) {
            changed.emplace_back(name);
        }
    };
    note(before.PlaybackStatus != after.PlaybackStatus, "PlaybackStatus");
    note(before.LoopStatus != after.LoopStatus, "LoopStatus");
    note(before.Shuffle != after.Shuffle, "Shuffle");
    note(before.Volume != after.Volume, "Volume");
    note(before.Metadata != after.Metadata, "Metadata");
    note(before.CanGoNext != after.CanGoNext, "CanGoNext");
    note(before.CanGoPrevious != after.CanGoPrevious, "CanGoPrevious");
    note(before.CanPlay != after.CanPlay, "CanPlay");
    note(before.CanPause != after.CanPause, "CanPause");
    note(before.CanSeek != after.CanSeek, "CanSeek");
    return changed;
}

std::string TrackObjectPath(int track) {
    return "/org/sonatrix/track/" + std::to_string(track);
}

std::int64_t FramesToMicros(Lba frames) {
    return static_cast<std::int64_t>(frames) * kMicrosPerSecond / kFramesPerSecond;
}

Lba MicrosToFrames(std::int64_t micros) {
    // Offsets come from other programs: far beyond any disc is as good as the disc's end, and
    // must not overflow.
    const std::int64_t bounded = std::clamp(micros, -kLongestOffset, kLongestOffset);
    return static_cast<Lba>(bounded * kFramesPerSecond / kMicrosPerSecond);
}

std::string_view LoopStatusName(bool repeatOn, PlayMode mode) {
    if (!repeatOn || mode == PlayMode::Random) {
        return "None";
    }
    return mode == PlayMode::Track ? "Track" : "Playlist";
}

std::optional<bool> RepeatForLoopStatus(std::string_view loopStatus) {
    if (loopStatus == "None") {
        return false;
    }
    if (loopStatus == "Track" || loopStatus == "Playlist") {
        return true;
    }
    return std::nullopt;
}

TransportCommand CommandFor(MprisRequest request, const PlayerProperties& now) {
    const bool playing = now.PlaybackStatus == "Playing";
    const bool paused = now.PlaybackStatus == "Paused";
    switch (request) {
        case MprisRequest::Play:
            if (paused) {
                return TransportCommand::TogglePause;
            }
            return !playing && now.CanPlay ? TransportCommand::Play : TransportCommand::None;
        case MprisRequest::Pause:
            return playing && now.CanPause ? TransportCommand::TogglePause : TransportCommand::None;
        case MprisRequest::PlayPause:
            if (playing || paused) {
                return TransportCommand::TogglePause;
            }
            return now.CanPlay ? TransportCommand::Play : TransportCommand::None;
        case MprisRequest::Stop:
            return playing || paused ? TransportCommand::Stop : TransportCommand::None;
        case MprisRequest::Next:
            return now.CanGoNext ? TransportCommand::Next : TransportCommand::None;
        case MprisRequest::Previous:
            return now.CanGoPrevious ? TransportCommand::Previous : TransportCommand::None;
    }
    return TransportCommand::None;
}

SeekTarget SeekBy(const PlayerFacts& facts, std::int64_t offsetMicros) {
    if (!CanSeek(facts)) {
        return {};
    }
    const Lba into =
        std::max<Lba>(0, facts.Position - facts.TrackStart + MicrosToFrames(offsetMicros));
    if (into >= facts.TrackLength) {
        return {SeekTarget::Kind::NextTrack, 0};
    }
    return {SeekTarget::Kind::MoveTo, facts.TrackStart + into};
}

SeekTarget SeekToPosition(const PlayerFacts& facts, std::string_view trackId, std::int64_t micros) {
    if (!CanSeek(facts) || trackId != TrackObjectPath(facts.Track) || micros < 0 ||
        micros > FramesToMicros(facts.TrackLength)) {
        return {};
    }
    return {SeekTarget::Kind::MoveTo, facts.TrackStart + MicrosToFrames(micros)};
}

}  // namespace snx
