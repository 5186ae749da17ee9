#include "archive/archive_metadata.h"

#include <algorithm>
#include <cstdlib>

#include "util/bytes.h"
#include "util/text.h"

namespace snx {

namespace {

// A Vorbis comment name: printable ASCII without '=', upper case.
std::string FieldName(std::string_view label) {
    std::string name;
    for (const char c : TrimBlanks(label)) {
        const auto byte = static_cast<unsigned char>(c);
        name += (byte < 0x20 || byte > 0x7D || c == '=') ? '_' : c;
    }
    return UpperAscii(name);
}

void AddIf(FlacTags& tags, const std::string& name, const std::string& value) {
    if (!TrimBlanks(value).empty()) {
        tags.emplace_back(name, value);
    }
}

}  // namespace

ArchiveMetadata MetadataOfRecord(const DiscRecord& record, const StringGrid& tracks,
                                 const std::string& user1Label, const std::string& user2Label) {
    ArchiveMetadata m;
    m.Identity = StoredTextToUtf8(record.Identity);
    m.Album = StoredTextToUtf8(record.Name);
    m.Artist = StoredTextToUtf8(record.Artist);
    m.Composer = StoredTextToUtf8(record.Composer);
    m.Label = StoredTextToUtf8(record.RecordLabel);
    m.Genre = StoredTextToUtf8(record.MusicType);
    m.CatalogNumber = StoredTextToUtf8(record.Reference);
    m.Year = record.Year;
    m.User1Label = StoredTextToUtf8(user1Label);
    m.User2Label = StoredTextToUtf8(user2Label);
    const int rows = std::clamp<int>(record.TrackCount, 0, kMaxTracks);
    for (int row = 1; row <= rows; ++row) {
        m.Tracks.push_back({StoredTextToUtf8(tracks.Cell(0, row)),
                            StoredTextToUtf8(tracks.Cell(1, row)),
                            StoredTextToUtf8(tracks.Cell(2, row))});
    }
    return m;
}

std::optional<FlacPicture> PictureOfBitmap(std::span<const std::uint8_t> bmp) {
    // BITMAPFILEHEADER (14 bytes) then BITMAPINFOHEADER: width at 18, height at 22, bits at 28.
    if (bmp.size() < 30 || bmp[0] != 'B' || bmp[1] != 'M') {
        return std::nullopt;
    }
    FlacPicture picture;
    picture.MimeType = "image/bmp";
    picture.Width =
        static_cast<std::uint32_t>(std::abs(static_cast<std::int32_t>(GetU32(bmp, 18))));
    picture.Height =
        static_cast<std::uint32_t>(std::abs(static_cast<std::int32_t>(GetU32(bmp, 22))));
    picture.Depth = GetU16(bmp, 28);
    picture.Data.assign(bmp.begin(), bmp.end());
    return picture;
}

std::string TrackTitle(const ArchiveMetadata& metadata, int number) {
    return number >= 1 && number <= static_cast<int>(metadata.Tracks.size())
               ? metadata.Tracks[static_cast<std::size_t>(number - 1)].Title
               : std::string();
}

FlacTags TrackTags(const ArchiveMetadata& metadata, int number, int trackTotal) {
    ArchiveTrackText track;
    if (number >= 1 && number <= static_cast<int>(metadata.Tracks.size())) {
        track = metadata.Tracks[static_cast<std::size_t>(number - 1)];
    }
    const std::string user1 = FieldName(metadata.User1Label);
    const std::string user2 = FieldName(metadata.User2Label);
    auto fieldOf = [&](const std::string& name, const std::string& discValue) {
        if (name == user1 && !TrimBlanks(track.User1).empty()) {
            return track.User1;
        }
        if (name == user2 && !TrimBlanks(track.User2).empty()) {
            return track.User2;
        }
        return discValue;
    };
    FlacTags tags;
    AddIf(tags, "ALBUM", metadata.Album);
    AddIf(tags, "ARTIST", fieldOf("ARTIST", metadata.Artist));
    AddIf(tags, "COMPOSER", fieldOf("COMPOSER", metadata.Composer));
    AddIf(tags, "TITLE", track.Title);
    tags.emplace_back("TRACKNUMBER", std::to_string(number));
    tags.emplace_back("TRACKTOTAL", std::to_string(trackTotal));
    if (metadata.Year > 0) {
        tags.emplace_back("DATE", std::to_string(metadata.Year));
    }
    AddIf(tags, "LABEL", fieldOf("LABEL", metadata.Label));
    AddIf(tags, "GENRE", fieldOf("GENRE", metadata.Genre));
    AddIf(tags, "CATALOGNUMBER", metadata.CatalogNumber);
    const std::string disc[] = {"ARTIST", "COMPOSER", "LABEL", "GENRE"};
    for (const auto& [name, value] : {std::pair{user1, track.User1}, {user2, track.User2}}) {
        if (!name.empty() && std::find(std::begin(disc), std::end(disc), name) == std::end(disc)) {
            AddIf(tags, name, value);
        }
    }
    AddIf(tags, "SONATRIX_DISCID", metadata.Identity);
    AddIf(tags, "MUSICBRAINZ_DISCID", metadata.MusicBrainzId);
    return tags;
}

}  // namespace snx
