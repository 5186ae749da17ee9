// What an archive is tagged and named with, taken from the catalogue record: the disc's fields,
// each track's name and user fields, the picture. Texts are UTF-8, stored Windows-1252 decoded.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "archive/flac_track.h"
#include "catalogue/disc_record.h"
#include "store/block_file/string_grid.h"

namespace snx {

struct ArchiveTrackText {
    std::string Title;
    std::string User1;
    std::string User2;
};

struct ArchiveMetadata {
    std::string Identity;
    std::string MusicBrainzId;
    std::string Album;
    std::string Artist;
    std::string Composer;
    std::string Label;
    std::string Genre;
    std::string CatalogNumber;
    int Year = 0;
    std::string User1Label;  // the names of the track user fields
    std::string User2Label;
    std::vector<ArchiveTrackText> Tracks;  // [0] is track 1
    std::optional<FlacPicture> Picture;
};

// The record's texts decoded; tracks are rows 1.. of the track table (name, user 1, user 2).
ArchiveMetadata MetadataOfRecord(const DiscRecord& record, const StringGrid& tracks,
                                 const std::string& user1Label, const std::string& user2Label);

// The catalogue's picture (BMP bytes) as a front cover; nothing when the bytes are no bitmap.
std::optional<FlacPicture> PictureOfBitmap(std::span<const std::uint8_t> bmp);

// The Vorbis comments of track number (on the disc) of trackTotal audio tracks. A track user
// field whose label names a disc field (ARTIST, COMPOSER...) stands for that field on its track.
FlacTags TrackTags(const ArchiveMetadata& metadata, int number, int trackTotal);

// The title of track number, empty when unknown.
std::string TrackTitle(const ArchiveMetadata& metadata, int number);

}  // namespace snx
