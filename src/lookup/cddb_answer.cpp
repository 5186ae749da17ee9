#include "lookup/cddb_answer.h"

#include <charconv>

namespace snx {

namespace {

constexpr int kMaxTrackIndex = 98;  // TTITLE0 to TTITLE98: tracks 1 to 99

// The body's lines without their line ends; "\r\n" and "\n" both end a line.
std::vector<std::string_view> Lines(std::string_view body) {
    std::vector<std::string_view> lines;
    while (!body.empty()) {
        const std::size_t end = body.find('\n');
        std::string_view line = body.substr(0, end);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        body = end == std::string_view::npos ? std::string_view() : body.substr(end + 1);
    }
    return lines;
}

struct Status {
    int Code = 0;
    std::string_view Text;  // what follows the code on the status line
    std::vector<std::string_view> Lines;
};

// The first line's three-digit code; nothing when the body does not start with one.
std::optional<Status> StatusOf(std::string_view body) {
    Status status;
    status.Lines = Lines(body);
    if (status.Lines.empty()) {
        return std::nullopt;
    }
    const std::string_view line = status.Lines.front();
    if (line.size() < 3 || (line.size() > 3 && line[3] != ' ')) {
        return std::nullopt;
    }
    const auto [end, error] = std::from_chars(line.data(), line.data() + 3, status.Code);
    if (error != std::errc() || end != line.data() + 3 || status.Code < 100) {
        return std::nullopt;
    }
    status.Text = line.size() > 4 ? line.substr(4) : std::string_view();
    return status;
}

// The lines between the status line and the terminating ".", or nothing without that ".".
std::optional<std::vector<std::string_view>> ListAfterStatus(
    const std::vector<std::string_view>& lines) {
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (lines[i] == ".") {
            return std::vector<std::string_view>(lines.begin() + 1,
                                                 lines.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
    return std::nullopt;
}

// "category discid title..." as the query lists a match.
std::optional<CddbMatch> MatchOf(std::string_view text) {
    const std::size_t first = text.find(' ');
    if (first == std::string_view::npos || first == 0) {
        return std::nullopt;
    }
    const std::size_t second = text.find(' ', first + 1);
    CddbMatch match;
    match.Category = text.substr(0, first);
    match.DiscId = text.substr(
        first + 1, second == std::string_view::npos ? std::string_view::npos : second - first - 1);
    if (match.DiscId.empty()) {
        return std::nullopt;
    }
    if (second != std::string_view::npos) {
        match.Title = text.substr(second + 1);
    }
    return match;
}

std::optional<int> TrackIndex(std::string_view key) {
    if (!key.starts_with("TTITLE")) {
        return std::nullopt;
    }
    key.remove_prefix(6);
    int index = 0;
    const auto [end, error] = std::from_chars(key.data(), key.data() + key.size(), index);
    if (key.empty() || error != std::errc() || end != key.data() + key.size() || index < 0 ||
        index > kMaxTrackIndex) {
        return std::nullopt;
    }
    return index;
}

LookupCandidate EntryOf(const std::vector<std::string_view>& lines, const CddbMatch& match) {
    std::string title;
    std::string year;
    std::string genre;
    std::vector<std::string> tracks;
    for (const std::string_view line : lines) {
        if (line.empty() || line.front() == '#') {
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            continue;
        }
        const std::string_view key = line.substr(0, equals);
        const std::string_view value = line.substr(equals + 1);
        // A long value continues on further lines of the same key.
        if (key == "DTITLE") {
            title += value;
        } else if (key == "DYEAR") {
            year += value;
        } else if (key == "DGENRE") {
            genre += value;
        } else if (const std::optional<int> index = TrackIndex(key)) {
            const auto at = static_cast<std::size_t>(*index);
            if (tracks.size() <= at) {
                tracks.resize(at + 1);
            }
            tracks[at] += value;
        }
    }
    LookupCandidate c;
    c.Source = "CDDB";
    c.SourceId = match.Category + "/" + match.DiscId;
    // "Artist / Title"; a title without the separator names an artist's own disc.
    const std::size_t separator = title.find(" / ");
    if (separator == std::string::npos) {
        c.Name = title;
        c.Artist = title;
    } else {
        c.Artist = title.substr(0, separator);
        c.Name = title.substr(separator + 3);
    }
    int value = 0;
    const auto [end, error] = std::from_chars(year.data(), year.data() + year.size(), value);
    if (error == std::errc() && end == year.data() + year.size() && value > 0 && value <= 9999) {
        c.Year = value;
    }
    c.MusicType = genre.empty() ? match.Category : genre;
    c.Tracks = std::move(tracks);
    return c;
}

}  // namespace

std::optional<CddbQueryAnswer> ParseCddbQuery(std::string_view body) {
    const std::optional<Status> status = StatusOf(body);
    if (!status) {
        return std::nullopt;
    }
    CddbQueryAnswer answer;
    answer.Code = status->Code;
    if (status->Code == 200) {
        const std::optional<CddbMatch> match = MatchOf(status->Text);
        if (!match) {
            return std::nullopt;
        }
        answer.Matches.push_back(*match);
    } else if (status->Code == 210 || status->Code == 211) {
        const auto list = ListAfterStatus(status->Lines);
        if (!list) {
            return std::nullopt;
        }
        for (const std::string_view line : *list) {
            const std::optional<CddbMatch> match = MatchOf(line);
            if (!match) {
                return std::nullopt;
            }
            answer.Matches.push_back(*match);
        }
    }
    return answer;
}

std::optional<CddbReadAnswer> ParseCddbRead(std::string_view body, const CddbMatch& match) {
    const std::optional<Status> status = StatusOf(body);
    if (!status) {
        return std::nullopt;
    }
    CddbReadAnswer answer;
    answer.Code = status->Code;
    if (status->Code == 210) {
        const auto entry = ListAfterStatus(status->Lines);
        if (!entry) {
            return std::nullopt;
        }
        answer.Entry = EntryOf(*entry, match);
    }
    return answer;
}

std::string CddbStatusText(int code) {
    switch (code) {
        case 202:
        case 401:
            return "No names found for this disc online.";
        case 402:
            return "The CDDB server reported a server error.";
        case 403:
            return "The CDDB server's entry for this disc is corrupt.";
        case 409:
            return "The CDDB server refused the request without a handshake.";
        case 500:
            return "The CDDB server did not understand the request.";
        case 530:
            return "The CDDB server reported a server error.";
        default:
            return "The CDDB server answered " + std::to_string(code) + ".";
    }
}

}  // namespace snx
