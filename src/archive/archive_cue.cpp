#include "archive/archive_cue.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "archive/flac_track.h"
#include "util/text.h"

namespace snx {

namespace {

std::string CueTime(Lba frames) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", frames / (60 * kFramesPerSecond),
                  frames / kFramesPerSecond % 60, frames % kFramesPerSecond);
    return text;
}

bool ParseMsf(const std::string& text, Lba& frames) {
    int m = 0;
    int s = 0;
    int f = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%d:%d:%d%c", &m, &s, &f, &tail) != 3 || m < 0 || m > 999 ||
        s < 0 || s > 59 || f < 0 || f >= kFramesPerSecond) {
        return false;
    }
    frames = (m * 60 + s) * kFramesPerSecond + f;
    return true;
}

// A length in decimal digits only, below any disc's length.
bool ParseCount(const std::string& text, std::uint64_t& count) {
    if (text.empty() || text.size() > 12 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    count = std::stoull(text);
    return count <= std::uint64_t{100} * 60 * kFramesPerSecond * kSamplesPerFrame;
}

// A cue sheet's quoted text: double quotes cannot be escaped, so they become single ones.
std::string Quoted(std::string text) {
    for (char& c : text) {
        if (c == '"' || c == '\n' || c == '\r') {
            c = c == '"' ? '\'' : ' ';
        }
    }
    return '"' + text + '"';
}

// The words of a line; a quoted text is one word without its quotes.
std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    std::size_t at = 0;
    while (at < line.size()) {
        if (line[at] == ' ' || line[at] == '\t' || line[at] == '\r') {
            ++at;
        } else if (line[at] == '"') {
            const std::size_t end = line.find('"', at + 1);
            words.push_back(line.substr(at + 1, end == std::string::npos ? end : end - at - 1));
            at = end == std::string::npos ? line.size() : end + 1;
        } else {
            std::size_t end = at;
            while (end < line.size() && line[end] != ' ' && line[end] != '\t' &&
                   line[end] != '\r') {
                ++end;
            }
            words.push_back(line.substr(at, end - at));
            at = end;
        }
    }
    return words;
}

}  // namespace

std::vector<ArchiveSpan> ArchiveSpans(const DiscInfo& disc) {
    std::vector<ArchiveSpan> spans;
    for (int n = 1; n <= disc.TrackCount(); ++n) {
        ArchiveSpan span{n, disc.Tracks[static_cast<std::size_t>(n - 1)].Audio, disc.TrackStart(n),
                         disc.TrackEnd(n)};
        const bool closingData = n + 1 == disc.TrackCount() && !disc.Tracks.back().Audio;
        if (span.Audio && closingData && span.End - kSessionGapFrames > span.Start) {
            span.End -= kSessionGapFrames;
        }
        spans.push_back(span);
    }
    return spans;
}

std::string CueSheetText(const DiscInfo& disc, const ArchiveMetadata& metadata,
                         const std::vector<std::string>& fileNames) {
    std::ostringstream out;
    out << "REM SONATRIX_DISCID " << metadata.Identity << "\n";
    if (!metadata.Genre.empty()) {
        out << "REM GENRE " << Quoted(metadata.Genre) << "\n";
    }
    if (metadata.Year > 0) {
        out << "REM DATE " << metadata.Year << "\n";
    }
    if (!metadata.Artist.empty()) {
        out << "PERFORMER " << Quoted(metadata.Artist) << "\n";
    }
    if (!metadata.Album.empty()) {
        out << "TITLE " << Quoted(metadata.Album) << "\n";
    }
    const std::vector<ArchiveSpan> spans = ArchiveSpans(disc);
    bool firstAudio = true;
    for (std::size_t i = 0; i < spans.size(); ++i) {
        const ArchiveSpan& span = spans[i];
        char number[4];
        std::snprintf(number, sizeof number, "%02d", span.Number);
        if (!span.Audio) {
            out << "REM DATATRACK " << number << ' ' << CueTime(span.Start) << ' '
                << CueTime(span.End - span.Start) << "\n";
            firstAudio = false;
            continue;
        }
        out << "FILE " << Quoted(i < fileNames.size() ? fileNames[i] : std::string()) << " WAVE\n";
        out << "  REM SONATRIX_SAMPLES " << std::int64_t{span.End - span.Start} * kSamplesPerFrame
            << "\n";
        out << "  TRACK " << number << " AUDIO\n";
        const std::string title = TrackTitle(metadata, span.Number);
        if (!title.empty()) {
            out << "    TITLE " << Quoted(title) << "\n";
        }
        if (firstAudio && span.Start > kLeadInFrames) {
            out << "    PREGAP " << CueTime(span.Start - kLeadInFrames) << "\n";
        }
        firstAudio = false;
        out << "    INDEX 01 00:00:00\n";
    }
    return out.str();
}

ArchiveCueSheet ReadArchiveCueSheet(const std::filesystem::path& cue) {
    ArchiveCueSheet sheet;
    std::ifstream in(cue, std::ios::binary);
    if (!in) {
        sheet.Error = "Cannot read " + cue.string();
        return sheet;
    }
    auto disc = std::make_shared<DiscInfo>();
    Lba cursor = kLeadInFrames;
    std::filesystem::path file;
    std::string line;
    auto fail = [&](const std::string& why) {
        sheet.Error = cue.filename().string() + ": " + why;
        sheet.Disc = nullptr;
        return sheet;
    };
    bool pendingAudio = false;             // a TRACK whose file length is not yet added
    std::optional<std::uint64_t> written;  // the length the sheet gives the file
    auto closeTrack = [&]() -> bool {
        if (!pendingAudio) {
            return true;
        }
        pendingAudio = false;
        // The sheet's word stands: a damaged file plays as silence where it cannot be decoded.
        const std::optional<std::uint64_t> pairs = written ? written : FlacTotalPairs(file);
        if (!pairs || *pairs % kSamplesPerFrame != 0) {
            return false;
        }
        sheet.Files.push_back(file);
        cursor += static_cast<Lba>(*pairs / kSamplesPerFrame);
        return true;
    };
    while (std::getline(in, line)) {
        const std::vector<std::string> words = Words(line);
        if (words.empty()) {
            continue;
        }
        const std::string keyword = UpperAscii(words[0]);
        if (keyword == "REM" && words.size() >= 3 && words[1] == "SONATRIX_DISCID") {
            sheet.Identity = words[2];
        } else if (keyword == "REM" && words.size() >= 5 && words[1] == "DATATRACK") {
            Lba start = 0;
            Lba length = 0;
            if (!closeTrack()) {
                return fail("cannot read " + file.filename().string());
            }
            if (!ParseMsf(words[3], start) || !ParseMsf(words[4], length) || start < cursor) {
                return fail("a data track out of place");
            }
            disc->Tracks.push_back({start, false});
            cursor = start + length;
        } else if (keyword == "FILE" && words.size() >= 2) {
            if (!closeTrack()) {
                return fail("cannot read " + file.filename().string());
            }
            file = cue.parent_path() / words[1];
            written.reset();
        } else if (keyword == "REM" && words.size() >= 3 && words[1] == "SONATRIX_SAMPLES") {
            std::uint64_t pairs = 0;
            if (!ParseCount(words[2], pairs)) {
                return fail("a damaged length of " + file.filename().string());
            }
            written = pairs;
        } else if (keyword == "TRACK" && words.size() >= 3) {
            if (!closeTrack()) {
                return fail("cannot read " + file.filename().string());
            }
            if (UpperAscii(words[2]) != "AUDIO" || file.empty()) {
                return fail("a track without its audio file");
            }
            pendingAudio = true;
            disc->Tracks.push_back({cursor, true});
        } else if (keyword == "PREGAP" && words.size() >= 2 && pendingAudio &&
                   disc->Tracks.size() == 1) {
            Lba gap = 0;
            if (!ParseMsf(words[1], gap)) {
                return fail("a damaged PREGAP");
            }
            cursor += gap;
            disc->Tracks.back().Start = cursor;
        }
        if (disc->Tracks.size() > static_cast<std::size_t>(kMaxTracks)) {
            return fail("more than 99 tracks");
        }
    }
    if (!closeTrack()) {
        return fail("cannot read " + file.filename().string());
    }
    if (disc->Tracks.empty()) {
        return fail("no track");
    }
    disc->LeadOut = cursor;
    sheet.Disc = disc;
    return sheet;
}

std::filesystem::path CueSheetPath(const std::filesystem::path& folder) {
    return folder / (folder.filename().string() + ".cue");
}

std::filesystem::path ArchiveCoverPath(const std::filesystem::path& folder,
                                       const std::string& mimeType) {
    const std::string extension = mimeType == "image/png"    ? "png"
                                  : mimeType == "image/jpeg" ? "jpg"
                                                             : "bmp";
    return folder / ("cover." + extension);
}

std::filesystem::path ArchiveCover(const std::filesystem::path& cueSheet) {
    for (const char* type : {"image/png", "image/jpeg", "image/bmp"}) {
        const std::filesystem::path cover = ArchiveCoverPath(cueSheet.parent_path(), type);
        std::error_code error;
        if (std::filesystem::is_regular_file(cover, error)) {
            return cover;
        }
    }
    return {};
}

std::string CueSheetIdentity(const std::filesystem::path& cue) {
    std::ifstream in(cue, std::ios::binary);
    std::string line;
    for (int i = 0; i < 20 && std::getline(in, line); ++i) {
        const std::vector<std::string> words = Words(line);
        if (words.size() >= 3 && words[0] == "REM" && words[1] == "SONATRIX_DISCID") {
            return words[2];
        }
    }
    return {};
}

}  // namespace snx
