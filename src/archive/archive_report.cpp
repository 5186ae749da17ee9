#include "archive/archive_report.h"

#include <cstdio>
#include <sstream>

namespace snx {

namespace {

std::string Hex(std::uint32_t value) {
    char text[12];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(value));
    return text;
}

std::string Time(Lba frames) {
    char text[16];
    std::snprintf(text, sizeof text, "%d:%02d.%02d", frames / (60 * kFramesPerSecond),
                  frames / kFramesPerSecond % 60, frames % kFramesPerSecond);
    return text;
}

std::string CopyResult(const TrackReport& track) {
    if (!track.Tested) {
        return "not needed (plain image reads)";
    }
    if (!track.CopyMatched) {
        return "MISMATCH (test " + Hex(track.TestCrc) + ", copy " + Hex(track.Crc) + ")";
    }
    return track.Retries == 0 ? "matched"
                              : "matched after " + std::to_string(track.Retries) + " retries";
}

}  // namespace

bool ArchiveSucceeded(const ArchiveReport& report) {
    if (!report.Error.empty() || report.Cancelled || report.Tracks.empty()) {
        return false;
    }
    for (const TrackReport& track : report.Tracks) {
        if (!track.Done || !track.CopyMatched) {
            return false;
        }
        if (report.VerificationAsked && track.Verdict.Kind != ArVerdictKind::Accurate) {
            return false;
        }
    }
    return true;
}

bool ArchiveUnverified(const ArchiveReport& report) {
    if (!report.Error.empty() || report.Cancelled || !report.VerificationAsked) {
        return false;
    }
    for (const TrackReport& track : report.Tracks) {
        if (track.Verdict.Kind == ArVerdictKind::NotAccurate ||
            track.Verdict.Kind == ArVerdictKind::NotInDatabase) {
            return true;
        }
    }
    return false;
}

void JudgeTracks(ArchiveReport& report, const std::vector<ArResponse>& responses) {
    for (TrackReport& track : report.Tracks) {
        track.Verdict =
            report.Ids ? JudgeTrack(responses, *report.Ids, track.Number, track.ArV1, track.ArV2)
                       : ArVerdict{ArVerdictKind::NotInDatabase, 0};
    }
}

std::string ArchiveSummary(const ArchiveReport& report) {
    if (report.Cancelled) {
        return "Cancelled: no unfinished file was kept.";
    }
    if (!report.Error.empty()) {
        return "Failed: " + report.Error;
    }
    int accurate = 0;
    int mismatched = 0;
    for (const TrackReport& track : report.Tracks) {
        accurate += track.Verdict.Kind == ArVerdictKind::Accurate ? 1 : 0;
        mismatched += track.CopyMatched ? 0 : 1;
    }
    const std::string tracks = std::to_string(report.Tracks.size());
    std::string summary;
    if (!report.VerificationAsked) {
        summary = "All " + tracks + " tracks copied; not checked against AccurateRip";
    } else if (accurate == static_cast<int>(report.Tracks.size())) {
        summary = "All " + tracks + " tracks accurately ripped";
    } else {
        summary = std::to_string(accurate) + " of " + tracks + " tracks accurately ripped";
    }
    if (mismatched > 0) {
        summary += "; " + std::to_string(mismatched) + " test and copy mismatch(es)";
    }
    return summary + ".";
}

std::string ArchiveLogText(const ArchiveReport& report) {
    std::ostringstream out;
    out << report.Program << " archive log\n\n";
    out << (report.FromDrive ? "Drive: " : "Disc image: ") << report.Source << "\n";
    out << "Read mode: " << (report.FromDrive ? "paranoia, test and copy" : "plain image reads")
        << "\n";
    out << "Read offset: " << report.ReadOffset << " samples\n";
    out << "Disc identity: " << report.Identity << "\n";
    out << "Folder: " << report.Folder.string() << "\n";
    if (report.Ids) {
        out << "AccurateRip disc: " << report.Ids->FileName() << "\n";
    }
    out << "AccurateRip: " << report.Verification << "\n";
    for (const TrackReport& track : report.Tracks) {
        out << "\nTrack " << (track.Number < 10 ? "0" : "") << track.Number << "\n";
        out << "  File: " << track.File << "\n";
        out << "  Start: " << Time(track.Start) << " (sector " << track.Start - kLeadInFrames
            << ")\n";
        out << "  Length: " << Time(track.Length) << " (" << track.Length << " sectors)\n";
        out << "  CRC-32: " << Hex(track.Crc) << "\n";
        out << "  AccurateRip v1: " << Hex(track.ArV1) << "\n";
        out << "  AccurateRip v2: " << Hex(track.ArV2) << "\n";
        out << "  Test and copy: " << CopyResult(track) << "\n";
        out << "  AccurateRip: " << VerdictText(track.Verdict) << "\n";
        if (!track.Done) {
            out << "  Not copied\n";
        }
    }
    out << "\n" << ArchiveSummary(report) << "\n";
    return out.str();
}

}  // namespace snx
