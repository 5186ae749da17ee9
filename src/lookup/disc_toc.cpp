#include "lookup/disc_toc.h"

#include <discid/discid.h>

#include <memory>

namespace snx {

namespace {

// Between the audio session and the data session of an enhanced disc lie the lead-out, lead-in
// and pre-gap of the second session: 11,400 frames that belong to no audio track.
constexpr Lba kSessionGap = 11400;

struct DiscIdDeleter {
    void operator()(DiscId* disc) const { discid_free(disc); }
};

}  // namespace

std::optional<DiscToc> TocOfDisc(const DiscInfo& disc) {
    int first = 0;
    while (first < disc.TrackCount() && !disc.Tracks[static_cast<std::size_t>(first)].Audio) {
        ++first;
    }
    int last = first;
    while (last < disc.TrackCount() && disc.Tracks[static_cast<std::size_t>(last)].Audio) {
        ++last;
    }
    if (last == first) {
        return std::nullopt;
    }
    DiscToc toc;
    toc.FirstTrack = first + 1;
    for (int i = first; i < last; ++i) {
        toc.Offsets.push_back(disc.Tracks[static_cast<std::size_t>(i)].Start);
    }
    toc.LeadOut = last < disc.TrackCount()
                      ? disc.Tracks[static_cast<std::size_t>(last)].Start - kSessionGap
                      : disc.LeadOut;
    return toc;
}

std::optional<DiscToc> TocOfTrackLengths(std::span<const Msf> lengths) {
    if (lengths.empty() || lengths.size() > static_cast<std::size_t>(kMaxTracks)) {
        return std::nullopt;
    }
    DiscToc toc;
    Lba at = kLeadInFrames;
    for (const Msf length : lengths) {
        toc.Offsets.push_back(at);
        at += MsfToLba(length);
    }
    toc.LeadOut = at;
    return toc;
}

std::optional<DiscIds> ComputeDiscIds(const DiscToc& toc) {
    if (toc.Offsets.empty() || toc.FirstTrack < 1 || toc.LastTrack() > kMaxTracks) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < toc.Offsets.size(); ++i) {
        const Lba next = i + 1 < toc.Offsets.size() ? toc.Offsets[i + 1] : toc.LeadOut;
        if (toc.Offsets[i] < 0 || next <= toc.Offsets[i]) {
            return std::nullopt;
        }
    }
    // libdiscid takes the lead-out at [0] and track n's start at [n].
    std::array<int, 100> offsets{};
    offsets[0] = toc.LeadOut;
    for (std::size_t i = 0; i < toc.Offsets.size(); ++i) {
        offsets[static_cast<std::size_t>(toc.FirstTrack) + i] = toc.Offsets[i];
    }
    const std::unique_ptr<DiscId, DiscIdDeleter> disc(discid_new());
    if (!disc || !discid_put(disc.get(), toc.FirstTrack, toc.LastTrack(), offsets.data())) {
        return std::nullopt;
    }
    DiscIds ids;
    ids.MusicBrainz = discid_get_id(disc.get());
    ids.Freedb = discid_get_freedb_id(disc.get());
    ids.Toc = discid_get_toc_string(disc.get());
    return ids;
}

}  // namespace snx
