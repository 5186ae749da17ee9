#include "archive/accuraterip.h"

#include <cstdio>

#include "util/bytes.h"

namespace snx {

namespace {

constexpr std::uint64_t kSkippedPairs = 5 * kSamplesPerFrame;

int DigitSum(int value) {
    int sum = 0;
    for (; value > 0; value /= 10) {
        sum += value % 10;
    }
    return sum;
}

}  // namespace

std::string AccurateRipIds::FileName() const {
    char text[64];
    std::snprintf(text, sizeof text, "dBAR-%03d-%08x-%08x-%08x.bin", AudioTracks,
                  static_cast<unsigned>(Id1), static_cast<unsigned>(Id2),
                  static_cast<unsigned>(Cddb));
    return text;
}

std::string AccurateRipIds::Path() const {
    char digits[9];
    std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(Id1));
    return std::string("/accuraterip/") + digits[7] + '/' + digits[6] + '/' + digits[5] + '/' +
           FileName();
}

std::optional<AccurateRipIds> AccurateRipIdsOf(const DiscInfo& disc) {
    AccurateRipIds ids;
    // Offsets count from the end of the lead-in; a first track at offset 0 counts as 1 in id 2.
    for (const TocTrack& track : disc.Tracks) {
        if (!track.Audio) {
            continue;
        }
        const auto offset = static_cast<std::uint32_t>(track.Start - kLeadInFrames);
        ++ids.AudioTracks;
        ids.Id1 += offset;
        ids.Id2 += (offset == 0 ? 1u : offset) * static_cast<std::uint32_t>(ids.AudioTracks);
    }
    if (ids.AudioTracks == 0) {
        return std::nullopt;
    }
    const auto leadOut = static_cast<std::uint32_t>(disc.LeadOut - kLeadInFrames);
    ids.Id1 += leadOut;
    ids.Id2 += (leadOut == 0 ? 1u : leadOut) * static_cast<std::uint32_t>(ids.AudioTracks + 1);

    int digits = 0;
    for (const TocTrack& track : disc.Tracks) {
        digits += DigitSum(track.Start / kFramesPerSecond);
    }
    const auto seconds = static_cast<std::uint32_t>(disc.LeadOut / kFramesPerSecond -
                                                    disc.Tracks.front().Start / kFramesPerSecond);
    ids.Cddb = (static_cast<std::uint32_t>(digits % 255) << 24) | (seconds << 8) |
               static_cast<std::uint32_t>(disc.TrackCount());
    return ids;
}

AccurateRipChecksum::AccurateRipChecksum(std::uint64_t totalPairs, ArTrackPlace place)
    // The first track's count starts one pair early: the database's programs skip five sectors
    // less one sample there, and exactly five at the end of the last.
    : from_(place.First ? kSkippedPairs : 1),
      to_(place.Last ? (totalPairs > kSkippedPairs ? totalPairs - kSkippedPairs : 0) : totalPairs) {
}

void AccurateRipChecksum::Add(std::span<const std::int16_t> samples) {
    for (std::size_t i = 0; i + 1 < samples.size(); i += 2, ++next_) {
        if (next_ < from_ || next_ > to_) {
            continue;
        }
        const std::uint32_t pair =
            static_cast<std::uint16_t>(samples[i]) |
            (static_cast<std::uint32_t>(static_cast<std::uint16_t>(samples[i + 1])) << 16);
        const std::uint64_t product = static_cast<std::uint64_t>(pair) * next_;
        v1_ += static_cast<std::uint32_t>(product);
        v2_ += static_cast<std::uint32_t>(product) + static_cast<std::uint32_t>(product >> 32);
    }
}

ArResponses ReadAccurateRipResponses(std::span<const std::uint8_t> bytes) {
    ArResponses result;
    if (bytes.empty()) {
        result.Error = "The AccurateRip answer is empty.";
        return result;
    }
    std::size_t at = 0;
    while (at < bytes.size()) {
        if (bytes.size() - at < kArResponseHeaderSize) {
            result.Error = "The AccurateRip answer is cut short.";
            result.Responses.clear();
            return result;
        }
        ArResponse response;
        const int count = GetU8(bytes, at);
        response.Ids = {count, GetU32(bytes, at + 1), GetU32(bytes, at + 5), GetU32(bytes, at + 9)};
        at += kArResponseHeaderSize;
        if (count == 0 || count > kMaxTracks) {
            result.Error = "The AccurateRip answer is damaged (a response of " +
                           std::to_string(count) + " tracks).";
            result.Responses.clear();
            return result;
        }
        if (bytes.size() - at < kArTrackEntrySize * static_cast<std::size_t>(count)) {
            result.Error = "The AccurateRip answer is cut short.";
            result.Responses.clear();
            return result;
        }
        for (int i = 0; i < count; ++i) {
            response.Tracks.push_back(
                {GetU8(bytes, at), GetU32(bytes, at + 1), GetU32(bytes, at + 5)});
            at += kArTrackEntrySize;
        }
        result.Responses.push_back(std::move(response));
    }
    return result;
}

ArVerdict JudgeTrack(const std::vector<ArResponse>& responses, const AccurateRipIds& ids,
                     int tocTrack, std::uint32_t v1, std::uint32_t v2) {
    bool known = false;
    int confidence = 0;
    for (const ArResponse& response : responses) {
        // A response lists the disc's tracks by their number on the disc; one that does not
        // reach this track holds nothing for it.
        if (response.Ids != ids || tocTrack < 1 ||
            tocTrack > static_cast<int>(response.Tracks.size())) {
            continue;
        }
        const ArTrackEntry& entry = response.Tracks[static_cast<std::size_t>(tocTrack - 1)];
        if (entry.Confidence == 0) {
            continue;
        }
        known = true;
        if (entry.Checksum == v1 || entry.Checksum == v2) {
            confidence += entry.Confidence;
        }
    }
    if (confidence > 0) {
        return {ArVerdictKind::Accurate, confidence};
    }
    return {known ? ArVerdictKind::NotAccurate : ArVerdictKind::NotInDatabase, 0};
}

std::string VerdictText(const ArVerdict& verdict) {
    switch (verdict.Kind) {
        case ArVerdictKind::Accurate:
            return "Accurately ripped (confidence " + std::to_string(verdict.Confidence) + ")";
        case ArVerdictKind::NotAccurate:
            return "Not accurate";
        case ArVerdictKind::NotInDatabase:
            return "Not in the database";
        case ArVerdictKind::NotChecked:
            break;
    }
    return "Not checked";
}

}  // namespace snx
