#include "exchange/import_reader.h"

#include <algorithm>
#include <cctype>

#include "settings/settings.h"
#include "util/text.h"

namespace snx {

namespace {

constexpr const char* kUnknown = "Unknown";
constexpr int kImportTrackCount = 30;  // tracks of a new record and of a version 3 record
constexpr int kVersion3Tracks = 30;

bool IsHexDigit(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

std::int16_t ToInt16(std::optional<std::int64_t> value) {
    return value && *value >= INT16_MIN && *value <= INT16_MAX ? static_cast<std::int16_t>(*value)
                                                               : std::int16_t{0};
}

std::int16_t TrackCountOf(std::int64_t value) {
    return static_cast<std::int16_t>(std::clamp<std::int64_t>(value, 0, kMaxTracks));
}

}  // namespace

std::string NormaliseDiscCode(std::string_view code) {
    if (!code.empty() && code.size() < kIdentityWidth &&
        std::all_of(code.begin(), code.end(), IsHexDigit)) {
        return std::string(kIdentityWidth - code.size(), '0') + UpperAscii(code);
    }
    return CutText(code, kIdentityWidth);
}

DiscRecord NewImportRecord(std::string_view identity) {
    DiscRecord record;
    record.Identity = std::string(identity);
    record.Name = record.Artist = record.Composer = record.MusicType = record.RecordLabel =
        kUnknown;
    record.TrackCount = kImportTrackCount;
    record.SavedVolumeLeft = AppSettings().VolumeLeft;
    record.SavedVolumeRight = AppSettings().VolumeRight;
    return record;
}

std::optional<std::int64_t> ParseImportInteger(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && text[at] == ' ') {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    if (at == text.size()) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    for (; at < text.size(); ++at) {
        if (text[at] < '0' || text[at] > '9') {
            return std::nullopt;
        }
        // Anything past an int's range is as useless as no number at all.
        value = value * 10 + (text[at] - '0');
        if (value > INT32_MAX) {
            return std::nullopt;
        }
    }
    return negative ? -value : value;
}

bool ImportReader::HasMore() {
    // An ini section header on the last line still names a disc.
    if (ended_) {
        return false;
    }
    const bool pendingSection = format_ == ImportFormat::Ini && current_.starts_with('[');
    return pendingSection || !lines_.AtEnd();
}

bool ImportReader::ReadLine(std::string& line) {
    if (!lines_.Read(line)) {
        failure_ = lines_.Failed() ? "the file could not be read" : "the file ends inside it";
        return false;
    }
    current_ = line;
    return true;
}

std::optional<std::string> ImportReader::NextCode() {
    if (ended_) {
        return std::nullopt;
    }
    std::string line;
    if (format_ == ImportFormat::Ini) {
        line = current_;
    }
    while (line.empty()) {
        if (!ReadLine(line)) {
            if (!lines_.Failed()) {
                failure_.clear();  // the end of the file between records is the normal end
            }
            return std::nullopt;
        }
    }
    // The header that started this section has been used.
    current_.clear();
    std::string_view code = line;
    if (code.size() > 2) {
        if (code.front() == '[') {
            code.remove_prefix(1);
        }
        if (code.back() == ']') {
            code.remove_suffix(1);
        }
    }
    return NormaliseDiscCode(code);
}

ReadOutcome ImportReader::ReadBody(DiscRecord& record, StringGrid& tracks) {
    switch (format_) {
        case ImportFormat::Version4:
            return ReadVersion4(record, tracks);
        case ImportFormat::Version3:
            return ReadVersion3(record, tracks);
        case ImportFormat::Ini:
            return ReadIni(record, tracks);
    }
    return ReadOutcome::Failed;
}

// A record cut short by the end of the file counts as a read error: storing it would put empty
// texts over a merged record's good ones.
ReadOutcome ImportReader::ReadVersion4(DiscRecord& record, StringGrid& tracks) {
    std::string line;
    const std::pair<std::string*, std::size_t> texts[] = {
        {&record.Name, kNameWidth},      {&record.Artist, kNameWidth},
        {&record.Composer, kNameWidth},  {&record.Reference, kReferenceWidth},
        {&record.MusicType, kTypeWidth}, {&record.RecordLabel, kTypeWidth},
        {&record.User1, kNameWidth},     {&record.User2, kNameWidth}};
    for (const auto& [field, width] : texts) {
        if (!ReadLine(line)) {
            return ReadOutcome::Failed;
        }
        *field = CutText(line, width);
    }
    if (!ReadLine(line)) {
        return ReadOutcome::Failed;
    }
    record.Year = ToInt16(ParseImportInteger(line));
    if (!ReadLine(line)) {
        return ReadOutcome::Failed;
    }
    record.PlayingTime = ParseMinSec(line).value_or(0);
    if (!ReadLine(line)) {
        return ReadOutcome::Failed;
    }
    const std::optional<std::int64_t> count = ParseImportInteger(line);
    if (!count) {
        failure_ = "its number of tracks is not a number";
        return ReadOutcome::Failed;
    }
    record.TrackCount = TrackCountOf(*count);
    // Tracks past the 99 a record holds are read all the same, to stay in step with the file.
    for (std::int64_t n = 1; n <= *count; ++n) {
        std::string time;
        std::string cells[3];
        if (!ReadLine(time) || !ReadLine(cells[0]) || !ReadLine(cells[1]) || !ReadLine(cells[2])) {
            return ReadOutcome::Failed;
        }
        if (n > kMaxTracks) {
            continue;
        }
        const int row = static_cast<int>(n);
        record.TrackLengths[row - 1] = MinSecToMsf(ParseMinSec(time).value_or(0));
        for (int column = 0; column < 3; ++column) {
            tracks.SetCell(column, row, std::move(cells[column]));
        }
    }
    return ReadOutcome::Complete;
}

ReadOutcome ImportReader::ReadVersion3(DiscRecord& record, StringGrid& tracks) {
    std::string line;
    const std::pair<std::string*, std::size_t> texts[] = {{&record.Name, kNameWidth},
                                                          {&record.Composer, kNameWidth},
                                                          {&record.MusicType, kTypeWidth}};
    for (const auto& [field, width] : texts) {
        if (!ReadLine(line)) {
            return ReadOutcome::Failed;
        }
        *field = CutText(line, width);
    }
    if (!ReadLine(line)) {
        return ReadOutcome::Failed;
    }
    // Each character's code is a track number; a track the disc lacks is left for the player
    // to refuse, as with any stored programme.
    const std::size_t programme = std::min(line.size(), kMaxProgramme);
    record.Programme.assign(line.begin(), line.begin() + static_cast<std::ptrdiff_t>(programme));
    if (!ReadLine(line)) {
        return ReadOutcome::Failed;
    }
    record.Reference = CutText(line, kReferenceWidth);
    for (int row = 1; row <= kVersion3Tracks; ++row) {
        if (!ReadLine(line)) {
            return ReadOutcome::Failed;
        }
        tracks.SetCell(0, row, line);
    }
    record.TrackCount = kVersion3Tracks;
    std::fill_n(record.TrackLengths.begin(), kVersion3Tracks, Msf{0});
    return ReadOutcome::Complete;
}

ReadOutcome ImportReader::ReadIni(DiscRecord& record, StringGrid& tracks) {
    std::string line;
    while (ReadLine(line)) {
        if (line.starts_with('[')) {
            return ReadOutcome::Complete;  // the next section's header stays in current_
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) {
            continue;
        }
        const std::string key = UpperAscii(std::string_view(line).substr(0, equals));
        const std::string_view value = std::string_view(line).substr(equals + 1);
        if (key == "ARTIST") {
            record.Artist = CutText(value, kNameWidth);
        } else if (key == "TITLE") {
            record.Name = CutText(value, kNameWidth);
        } else if (key == "NUMTRACKS") {
            record.TrackCount = TrackCountOf(ParseImportInteger(value).value_or(0));
        } else if (const auto track = ParseImportInteger(key);
                   track && *track >= 0 && *track < kMaxTracks) {
            tracks.SetCell(0, static_cast<int>(*track) + 1, std::string(value));
        }
    }
    if (lines_.Failed()) {
        ended_ = true;
        return ReadOutcome::Partial;
    }
    return ReadOutcome::Complete;
}

}  // namespace snx
