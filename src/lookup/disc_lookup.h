// Names for a disc from the public music databases: MusicBrainz by disc id (with the table of
// contents for fuzzy matches), then a CDDB server, answers cached in the data directory.
// Runs on one thread over an HttpClient and never blocks it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lookup/disc_toc.h"
#include "lookup/http_client.h"
#include "lookup/lookup_candidate.h"

namespace snx {

// Base addresses; an empty one leaves its database out.
struct LookupServers {
    std::string MusicBrainz;  // e.g. "https://musicbrainz.org"
    std::string CoverArt;     // e.g. "https://coverartarchive.org"
    std::string Cddb;         // the CDDB-over-HTTP script, e.g. ".../~cddb/cddb.cgi"
};

struct LookupOutcome {
    std::vector<LookupCandidate> Candidates;
    // Empty when there are candidates; otherwise the one line for the user: no names found, or
    // why the lookup failed.
    std::string Message;
    bool FromCache = false;
};

constexpr const char* kNoNamesFound = "No names found for this disc online.";
// MusicBrainz asks every client for at most one request a second.
constexpr int kMusicBrainzSpacingMs = 1000;
// The client name and version requests carry, as both services ask.
std::string LookupUserAgent();

class DiscLookup {
  public:
    // cacheDirectory is made when the first answer is kept.
    DiscLookup(HttpClient& http, LookupServers servers, std::filesystem::path cacheDirectory);
    ~DiscLookup();
    DiscLookup(const DiscLookup&) = delete;
    DiscLookup& operator=(const DiscLookup&) = delete;

    // Calls done once, later, on this thread; not after the DiscLookup is destroyed.
    void Lookup(const DiscToc& toc, std::function<void(const LookupOutcome&)> done);

    // The address of the candidate's front image of at most 500 pixels; empty without one.
    std::string FrontCoverUrl(const LookupCandidate& candidate) const;
    // The cache file of a disc id (one per disc, replaced whole).
    std::filesystem::path CacheFile(const std::string& musicBrainzId) const;

    HttpClient& Http() { return http_; }

  private:
    struct Job;
    void AskMusicBrainz(const std::shared_ptr<Job>& job);
    void AskCddb(const std::shared_ptr<Job>& job);
    void ReadCddbMatch(const std::shared_ptr<Job>& job, std::size_t index);
    void Finish(const std::shared_ptr<Job>& job);
    // Runs send now or when the one-a-second rule allows.
    void SpaceMusicBrainz(std::function<void()> send);

    HttpClient& http_;
    LookupServers servers_;
    std::filesystem::path cacheDirectory_;
    std::int64_t nextMusicBrainzAt_ = 0;
    bool askedMusicBrainz_ = false;
    // Callbacks hold this weakly, so an answer that comes after the lookup has gone is dropped.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace snx
