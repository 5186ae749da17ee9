#include "cd/disc_report.h"

#include <cstdio>

namespace snx {

namespace {

std::string MsfText(Lba frames) {
    const Msf msf = LbaToMsf(frames);
    char text[16];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", MsfMinutes(msf), MsfSeconds(msf),
                  MsfFrames(msf));
    return text;
}

void AddLine(std::string& out, const char* label, const std::string& value) {
    if (!value.empty()) {
        out += std::string(label) + value + "\n";
    }
}

}  // namespace

std::string DescribeDisc(const DiscInfo& disc) {
    std::string out = "Track  Start     Length    Type\n";
    for (int track = 1; track <= disc.TrackCount(); ++track) {
        const Lba start = disc.TrackStart(track);
        char line[64];
        std::snprintf(line, sizeof line, "%5d  %s  %s  %s\n", track, MsfText(start).c_str(),
                      MsfText(disc.TrackEnd(track) - start).c_str(),
                      disc.Tracks[static_cast<std::size_t>(track - 1)].Audio ? "audio" : "data");
        out += line;
    }
    if (disc.TrackCount() > 0) {
        const int last = disc.TrackCount();
        const MinSec total =
            DiscPlayingTime(LbaToMsf(disc.TrackStart(1)), LbaToMsf(disc.TrackStart(last)),
                            LbaToMsf(disc.TrackEnd(last) - disc.TrackStart(last)));
        out += "Total time: " + FormatMinSec(total) + "\n";
        out += "Identity: " + DiscIdentity(disc) + "\n";
    }
    AddLine(out, "Title: ", disc.Text.Title);
    AddLine(out, "Performer: ", disc.Text.Performer);
    AddLine(out, "Songwriter: ", disc.Text.Songwriter);
    for (std::size_t i = 0; i < disc.Text.TrackTitles.size(); ++i) {
        AddLine(out, ("Track " + std::to_string(i + 1) + ": ").c_str(), disc.Text.TrackTitles[i]);
    }
    return out;
}

}  // namespace snx
