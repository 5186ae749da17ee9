#include "cd/disc_info.h"

#include <charconv>
#include <cstdio>
#include <stdexcept>

namespace snx {

bool CdText::Empty() const {
    for (const std::string& title : TrackTitles) {
        if (!title.empty()) {
            return false;
        }
    }
    return Title.empty() && Performer.empty() && Songwriter.empty();
}

Lba DiscInfo::TrackEnd(int track) const {
    return track < TrackCount() ? TrackStart(track + 1) : LeadOut;
}

int DiscInfo::TrackAt(Lba position) const {
    int track = 1;
    for (int i = 2; i <= TrackCount(); ++i) {
        if (TrackStart(i) <= position) {
            track = i;
        }
    }
    return track;
}

std::uint32_t MediaIdentity(const DiscInfo& disc) {
    std::uint32_t sum = 0;
    for (const TocTrack& track : disc.Tracks) {
        const Msf msf = LbaToMsf(track.Start);
        sum += MsfMinutes(msf) * 65536u + MsfSeconds(msf) * 256u + MsfFrames(msf);
    }
    if (disc.TrackCount() < 3 && !disc.Tracks.empty()) {
        const Lba first = disc.Tracks.front().Start;
        sum += MsfFrames(LbaToMsf(first));
        sum += static_cast<std::uint32_t>(disc.LeadOut - first);
    }
    return sum;
}

std::string DiscIdentity(const DiscInfo& disc) {
    // The driver hands the identity over as signed decimal text.
    return FormatDiscIdentity(std::to_string(static_cast<std::int32_t>(MediaIdentity(disc))));
}

MinSec DiscPlayingTime(Msf firstStart, Msf lastStart, Msf lastLength) {
    const MinSec discEnd = AddMinSec(MsfToMinSec(lastStart), MsfToMinSec(lastLength));
    return SubtractMinSec(discEnd, MsfToMinSec(firstStart));
}

std::string FormatDiscIdentity(std::string_view decimalIdentity) {
    std::int32_t value = 0;
    const char* end = decimalIdentity.data() + decimalIdentity.size();
    const auto [stop, error] = std::from_chars(decimalIdentity.data(), end, value);
    if (error != std::errc() || stop != end || decimalIdentity.empty()) {
        throw std::invalid_argument("'" + std::string(decimalIdentity) +
                                    "' is not a valid integer value");
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llX",
                  static_cast<unsigned long long>(static_cast<std::uint32_t>(value)));
    return text;
}

}  // namespace snx
