// What an archive run found, track by track, and the plain-text log written from it beside the
// files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "archive/accuraterip.h"
#include "cd/cd_types.h"

namespace snx {

struct TrackReport {
    int Number = 0;
    Lba Start = 0;
    Lba Length = 0;  // sectors of audio in the file
    std::string File;
    std::uint32_t Crc = 0;      // of the copy
    std::uint32_t TestCrc = 0;  // of the test read (drives)
    bool Tested = false;        // read twice (test and copy)
    int Retries = 0;            // copies made again after a mismatch
    bool CopyMatched = true;    // the last copy's CRC is that of an earlier read
    std::uint32_t ArV1 = 0;
    std::uint32_t ArV2 = 0;
    ArVerdict Verdict;
    bool Done = false;  // the file is whole
};

struct ArchiveReport {
    std::string Program;  // "Sonatrix 1.2.3"
    std::string Source;   // the drive's device or the image's path
    bool FromDrive = false;
    int ReadOffset = 0;
    std::string Identity;
    std::optional<AccurateRipIds> Ids;
    std::filesystem::path Folder;
    std::vector<TrackReport> Tracks;
    std::string Verification;  // what the database said as a whole, or why it was not asked
    bool VerificationAsked = false;
    bool Cancelled = false;
    std::string Error;  // what stopped the run; empty when it ran to the end
};

// Every copy whole, and every track accurately ripped (or, without verification, every copy
// matched its test read).
bool ArchiveSucceeded(const ArchiveReport& report);
// A verified run in which some track was not accurate or not in the database.
bool ArchiveUnverified(const ArchiveReport& report);

std::string ArchiveSummary(const ArchiveReport& report);
std::string ArchiveLogText(const ArchiveReport& report);

// Judges every track against the database's responses.
void JudgeTracks(ArchiveReport& report, const std::vector<ArResponse>& responses);

}  // namespace snx
