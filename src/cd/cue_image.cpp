#include "cd/cue_image.h"

#include <array>
#include <cstdio>

#include "cd/cd_types.h"
#include "util/atomic_file.h"
#include "util/bytes.h"

namespace snx {

namespace {

// A cue sheet has no escapes: a double quote would end the field early.
std::string Quoted(std::string_view text) {
    std::string quoted = "\"";
    for (const char c : text) {
        quoted += c == '"' ? '\'' : (c == '\n' || c == '\r' ? ' ' : c);
    }
    return quoted + "\"";
}

void AddText(std::string& cue, std::string_view indent, std::string_view key,
             std::string_view value) {
    if (!value.empty()) {
        cue += std::string(indent) + std::string(key) + " " + Quoted(value) + "\n";
    }
}

std::string CueTime(std::int64_t sectors) {
    char text[64];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld",
                  static_cast<long long>(sectors / (60 * kFramesPerSecond)),
                  static_cast<long long>(sectors / kFramesPerSecond % 60),
                  static_cast<long long>(sectors % kFramesPerSecond));
    return text;
}

}  // namespace

void WriteCueImage(const std::filesystem::path& cuePath, const CueDisc& disc) {
    std::filesystem::path binPath = cuePath;
    binPath.replace_extension(".bin");

    std::string cue = "REM Written by Sonatrix\n";
    AddText(cue, "", "PERFORMER", disc.Performer);
    AddText(cue, "", "SONGWRITER", disc.Songwriter);
    AddText(cue, "", "TITLE", disc.Title);
    cue += "FILE " + Quoted(binPath.filename().string()) + " BINARY\n";

    AtomicFileWriter bin(binPath);
    std::array<std::int16_t, kSamplesPerFrame * 2> samples{};
    std::array<std::uint8_t, kBytesPerSector> bytes{};
    std::int64_t offset = 0;
    for (std::size_t i = 0; i < disc.Tracks.size(); ++i) {
        const CueTrack& track = disc.Tracks[i];
        char header[64];
        std::snprintf(header, sizeof header, "  TRACK %02zu %s\n", i + 1,
                      track.Audio ? "AUDIO" : "MODE1/2352");
        cue += header;
        AddText(cue, "    ", "TITLE", track.Title);
        AddText(cue, "    ", "PERFORMER", track.Performer);
        cue += "    INDEX 01 " + CueTime(offset) + "\n";
        for (std::int64_t sector = 0; sector < track.Sectors; ++sector) {
            samples.fill(0);
            if (track.Audio && track.Fill) {
                track.Fill(sector, samples);
            }
            for (std::size_t s = 0; s < samples.size(); ++s) {
                PutI16(bytes, 2 * s, samples[s]);
            }
            bin.Write(bytes);
        }
        offset += track.Sectors;
    }
    bin.Commit();
    WriteFileAtomically(cuePath, cue);
}

}  // namespace snx
