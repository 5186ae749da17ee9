#include "lookup/musicbrainz_answer.h"

#include <nlohmann/json.hpp>

namespace snx {

namespace {

using Json = nlohmann::json;

const Json* Member(const Json& object, const char* key) {
    if (!object.is_object()) {
        return nullptr;
    }
    const auto found = object.find(key);
    return found == object.end() ? nullptr : &*found;
}

std::string Text(const Json& object, const char* key) {
    const Json* value = Member(object, key);
    return value && value->is_string() ? value->get<std::string>() : std::string();
}

const Json& List(const Json& object, const char* key) {
    static const Json empty = Json::array();
    const Json* value = Member(object, key);
    return value && value->is_array() ? *value : empty;
}

// "Name" + join phrase for each credited artist, as the release shows it.
std::string ArtistCredit(const Json& release) {
    std::string credit;
    for (const Json& part : List(release, "artist-credit")) {
        std::string name = Text(part, "name");
        if (name.empty()) {
            if (const Json* artist = Member(part, "artist")) {
                name = Text(*artist, "name");
            }
        }
        credit += name + Text(part, "joinphrase");
    }
    return credit;
}

int YearOf(const std::string& date) {
    int year = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        if (i >= date.size() || date[i] < '0' || date[i] > '9') {
            return 0;
        }
        year = year * 10 + (date[i] - '0');
    }
    return year;
}

std::string FirstLabel(const Json& release) {
    for (const Json& info : List(release, "label-info")) {
        if (const Json* label = Member(info, "label")) {
            std::string name = Text(*label, "name");
            if (!name.empty()) {
                return name;
            }
        }
    }
    return {};
}

// The genre most voted for, on the release or else on its release group.
std::string TopGenre(const Json& release) {
    const Json* group = Member(release, "release-group");
    for (const Json* holder : {&release, group}) {
        if (!holder) {
            continue;
        }
        std::string best;
        long bestCount = -1;
        for (const Json& genre : List(*holder, "genres")) {
            const Json* count = Member(genre, "count");
            const long votes = count && count->is_number_integer() ? count->get<long>() : 0;
            const std::string name = Text(genre, "name");
            if (!name.empty() && votes > bestCount) {
                best = name;
                bestCount = votes;
            }
        }
        if (!best.empty()) {
            return best;
        }
    }
    return {};
}

// Composers credited on the release itself (artist relations), joined as the sleeve would.
std::string Composers(const Json& release) {
    std::string composers;
    for (const Json& relation : List(release, "relations")) {
        if (Text(relation, "type") != "composer") {
            continue;
        }
        if (const Json* artist = Member(relation, "artist")) {
            const std::string name = Text(*artist, "name");
            if (!name.empty()) {
                composers += (composers.empty() ? "" : ", ") + name;
            }
        }
    }
    return composers;
}

const Json* DiscMedium(const Json& release, std::string_view discId, int trackCount) {
    const Json& media = List(release, "media");
    for (const Json& medium : media) {
        for (const Json& disc : List(medium, "discs")) {
            if (!discId.empty() && Text(disc, "id") == discId) {
                return &medium;
            }
        }
    }
    for (const Json& medium : media) {
        const Json* count = Member(medium, "track-count");
        if (count && count->is_number_integer() && count->get<long>() == trackCount) {
            return &medium;
        }
    }
    return media.empty() ? nullptr : &media.front();
}

LookupCandidate Candidate(const Json& release, std::string_view discId, int trackCount) {
    LookupCandidate c;
    c.Source = "MusicBrainz";
    c.SourceId = Text(release, "id");
    c.Name = Text(release, "title");
    c.Artist = ArtistCredit(release);
    c.Composer = Composers(release);
    c.Label = FirstLabel(release);
    c.Country = Text(release, "country");
    c.MusicType = TopGenre(release);
    c.Year = YearOf(Text(release, "date"));
    if (const Json* art = Member(release, "cover-art-archive")) {
        const Json* front = Member(*art, "front");
        c.FrontCover = front && front->is_boolean() && front->get<bool>();
    }
    if (const Json* medium = DiscMedium(release, discId, trackCount)) {
        for (const Json& track : List(*medium, "tracks")) {
            std::string title = Text(track, "title");
            if (title.empty()) {
                if (const Json* recording = Member(track, "recording")) {
                    title = Text(*recording, "title");
                }
            }
            c.Tracks.push_back(std::move(title));
        }
    }
    return c;
}

}  // namespace

std::optional<std::vector<LookupCandidate>> ParseMusicBrainzAnswer(std::string_view body,
                                                                   std::string_view discId,
                                                                   int trackCount) {
    const Json answer = Json::parse(body, nullptr, false);
    if (!answer.is_object()) {
        return std::nullopt;
    }
    const Json* releases = Member(answer, "releases");
    if (releases && !releases->is_array()) {
        return std::nullopt;
    }
    std::vector<LookupCandidate> candidates;
    for (const Json& release : List(answer, "releases")) {
        if (!release.is_object()) {
            return std::nullopt;
        }
        candidates.push_back(Candidate(release, discId, trackCount));
    }
    return candidates;
}

}  // namespace snx
