// Answers of a CDDB-protocol server (over HTTP, protocol level 6): the disc query's matches and
// a read entry's DTITLE, DYEAR, DGENRE and TTITLEn lines.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lookup/lookup_candidate.h"

namespace snx {

struct CddbMatch {
    std::string Category;
    std::string DiscId;
    std::string Title;  // "artist / title" as the server lists it
    bool operator==(const CddbMatch&) const = default;
};

struct CddbQueryAnswer {
    int Code = 0;  // 200 one exact match, 210 exact matches, 211 inexact matches, 202 none...
    std::vector<CddbMatch> Matches;
};

struct CddbReadAnswer {
    int Code = 0;  // 210 with the entry; 401, 402, 403, 409 without
    std::optional<LookupCandidate> Entry;
};

// Nothing when the body does not start with a status line of three digits, or a list the code
// announces is not there.
std::optional<CddbQueryAnswer> ParseCddbQuery(std::string_view body);
std::optional<CddbReadAnswer> ParseCddbRead(std::string_view body, const CddbMatch& match);

// What a status code that brings no names means, as one line for the user.
std::string CddbStatusText(int code);

}  // namespace snx
