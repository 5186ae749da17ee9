#include "lookup/lookup_candidate.h"

#include <nlohmann/json.hpp>

#include "util/text.h"

namespace snx {

namespace {

// A cell of the stored track table holds at most 255 bytes.
constexpr std::size_t kTrackNameWidth = 255;

void TakeIfGiven(const std::string& text, std::string& field, std::size_t width) {
    if (!text.empty()) {
        field = CutText(text, width);
    }
}

using Json = nlohmann::json;

std::string StringAt(const Json& object, const char* key) {
    const auto found = object.find(key);
    return found != object.end() && found->is_string() ? found->get<std::string>() : std::string();
}

}  // namespace

void ApplyCandidate(const LookupCandidate& candidate, DiscRecord& record, StringGrid& tracks) {
    TakeIfGiven(candidate.Name, record.Name, kNameWidth);
    TakeIfGiven(candidate.Artist, record.Artist, kNameWidth);
    TakeIfGiven(candidate.Composer, record.Composer, kNameWidth);
    TakeIfGiven(candidate.Label, record.RecordLabel, kTypeWidth);
    TakeIfGiven(candidate.MusicType, record.MusicType, kTypeWidth);
    if (candidate.Year > 0 && candidate.Year <= 9999) {
        record.Year = static_cast<std::int16_t>(candidate.Year);
    }
    const auto rows = static_cast<std::size_t>(tracks.RowCount());
    for (std::size_t i = 0; i < candidate.Tracks.size() && i + 1 < rows; ++i) {
        if (!candidate.Tracks[i].empty()) {
            tracks.SetCell(0, static_cast<std::int32_t>(i + 1),
                           CutText(candidate.Tracks[i], kTrackNameWidth));
        }
    }
}

std::string CandidatesToJson(const std::vector<LookupCandidate>& candidates) {
    Json list = Json::array();
    for (const LookupCandidate& c : candidates) {
        list.push_back({{"source", c.Source},
                        {"id", c.SourceId},
                        {"name", c.Name},
                        {"artist", c.Artist},
                        {"composer", c.Composer},
                        {"label", c.Label},
                        {"country", c.Country},
                        {"type", c.MusicType},
                        {"year", c.Year},
                        {"tracks", c.Tracks},
                        {"front", c.FrontCover}});
    }
    // Texts from the databases are UTF-8; anything else is replaced rather than refused.
    return list.dump(1, ' ', false, Json::error_handler_t::replace) + "\n";
}

std::optional<std::vector<LookupCandidate>> CandidatesFromJson(std::string_view text) {
    const Json list = Json::parse(text, nullptr, false);
    if (!list.is_array()) {
        return std::nullopt;
    }
    std::vector<LookupCandidate> candidates;
    for (const Json& item : list) {
        if (!item.is_object()) {
            return std::nullopt;
        }
        LookupCandidate c;
        c.Source = StringAt(item, "source");
        c.SourceId = StringAt(item, "id");
        c.Name = StringAt(item, "name");
        c.Artist = StringAt(item, "artist");
        c.Composer = StringAt(item, "composer");
        c.Label = StringAt(item, "label");
        c.Country = StringAt(item, "country");
        c.MusicType = StringAt(item, "type");
        const auto year = item.find("year");
        c.Year = year != item.end() && year->is_number_integer() ? year->get<int>() : 0;
        const auto front = item.find("front");
        c.FrontCover = front != item.end() && front->is_boolean() && front->get<bool>();
        const auto tracks = item.find("tracks");
        if (tracks != item.end() && tracks->is_array()) {
            for (const Json& track : *tracks) {
                c.Tracks.push_back(track.is_string() ? track.get<std::string>() : std::string());
            }
        }
        candidates.push_back(std::move(c));
    }
    return candidates;
}

}  // namespace snx
