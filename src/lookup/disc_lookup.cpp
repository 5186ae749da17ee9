#include "lookup/disc_lookup.h"

#include <fstream>
#include <sstream>

#include "lookup/cddb_answer.h"
#include "lookup/musicbrainz_answer.h"
#include "util/atomic_file.h"

namespace snx {

namespace {

// Of an inexact list, only the first few entries are read: the rest are rarely the disc.
constexpr std::size_t kMaxCddbReads = 5;
constexpr const char* kMusicBrainzIncludes =
    "artist-credits+labels+recordings+release-groups+genres+artist-rels";

std::string Blanks(std::string text, char with) {
    for (char& c : text) {
        if (c == ' ') {
            c = with;
        }
    }
    return text;
}

std::string Trimmed(std::string base) {
    while (!base.empty() && base.back() == '/') {
        base.pop_back();
    }
    return base;
}

std::string FailureText(const std::string& service, const HttpAnswer& answer) {
    if (!answer.Error.empty()) {
        return service + ": " + answer.Error;
    }
    return service + " answered " + std::to_string(answer.Status) + ".";
}

std::optional<std::string> ReadWhole(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

std::string LookupUserAgent() {
    return std::string("Sonatrix/") + SONATRIX_LOOKUP_VERSION + " ( audio CD player )";
}

struct DiscLookup::Job {
    DiscToc Toc;
    DiscIds Ids;
    std::function<void(const LookupOutcome&)> Done;
    std::vector<LookupCandidate> Candidates;
    std::vector<CddbMatch> Matches;
    std::string Failure;  // the first reason an answer gave no names

    void Failed(std::string reason) {
        if (Failure.empty()) {
            Failure = std::move(reason);
        }
    }
};

DiscLookup::DiscLookup(HttpClient& http, LookupServers servers,
                       std::filesystem::path cacheDirectory)
    : http_(http), servers_(std::move(servers)), cacheDirectory_(std::move(cacheDirectory)) {
    servers_.MusicBrainz = Trimmed(servers_.MusicBrainz);
    servers_.CoverArt = Trimmed(servers_.CoverArt);
}

DiscLookup::~DiscLookup() {
    *alive_ = false;
}

std::filesystem::path DiscLookup::CacheFile(const std::string& musicBrainzId) const {
    return cacheDirectory_ / (musicBrainzId + ".json");
}

std::string DiscLookup::FrontCoverUrl(const LookupCandidate& candidate) const {
    if (!candidate.FrontCover || candidate.Source != "MusicBrainz" || servers_.CoverArt.empty() ||
        candidate.SourceId.empty()) {
        return {};
    }
    return servers_.CoverArt + "/release/" + candidate.SourceId + "/front-500";
}

void DiscLookup::Lookup(const DiscToc& toc, std::function<void(const LookupOutcome&)> done) {
    auto job = std::make_shared<Job>();
    job->Toc = toc;
    job->Done = std::move(done);
    const std::optional<DiscIds> ids = ComputeDiscIds(toc);
    if (!ids) {
        job->Failed("This disc's table of contents cannot be looked up.");
        Finish(job);
        return;
    }
    job->Ids = *ids;
    if (const auto cached = ReadWhole(CacheFile(ids->MusicBrainz))) {
        if (auto candidates = CandidatesFromJson(*cached); candidates && !candidates->empty()) {
            std::weak_ptr<bool> alive = alive_;
            // Answered later all the same, as every lookup is.
            http_.After(0, [alive, job, found = std::move(*candidates)] {
                if (!alive.expired() && *alive.lock()) {
                    job->Done({found, {}, true});
                }
            });
            return;
        }
    }
    AskMusicBrainz(job);
}

void DiscLookup::SpaceMusicBrainz(std::function<void()> send) {
    const std::int64_t now = http_.NowMs();
    const std::int64_t at = askedMusicBrainz_ ? std::max(now, nextMusicBrainzAt_) : now;
    askedMusicBrainz_ = true;
    nextMusicBrainzAt_ = at + kMusicBrainzSpacingMs;
    if (at > now) {
        http_.After(static_cast<int>(at - now), std::move(send));
    } else {
        send();
    }
}

void DiscLookup::AskMusicBrainz(const std::shared_ptr<Job>& job) {
    if (servers_.MusicBrainz.empty()) {
        AskCddb(job);
        return;
    }
    const std::string url = servers_.MusicBrainz + "/ws/2/discid/" + job->Ids.MusicBrainz +
                            "?toc=" + Blanks(job->Ids.Toc, '+') +
                            "&cdstubs=no&inc=" + kMusicBrainzIncludes + "&fmt=json";
    std::weak_ptr<bool> alive = alive_;
    SpaceMusicBrainz([this, alive, job, url] {
        if (alive.expired() || !*alive.lock()) {
            return;
        }
        http_.Get(url, {{"User-Agent", LookupUserAgent()}, {"Accept", "application/json"}},
                  [this, alive, job](const HttpAnswer& answer) {
                      if (alive.expired() || !*alive.lock()) {
                          return;
                      }
                      if (answer.Error.empty() && answer.Status == 200) {
                          const auto found = ParseMusicBrainzAnswer(
                              answer.Body, job->Ids.MusicBrainz, job->Toc.TrackCount());
                          if (!found) {
                              job->Failed("MusicBrainz gave an answer that cannot be read.");
                          } else if (!found->empty()) {
                              job->Candidates = *found;
                              Finish(job);
                              return;
                          }
                      } else if (answer.Error.empty() && answer.Status == 404) {
                          // Not known there: the CDDB server may know it.
                      } else {
                          job->Failed(FailureText("MusicBrainz", answer));
                      }
                      AskCddb(job);
                  });
    });
}

void DiscLookup::AskCddb(const std::shared_ptr<Job>& job) {
    if (servers_.Cddb.empty()) {
        Finish(job);
        return;
    }
    std::string command =
        "cddb+query+" + job->Ids.Freedb + "+" + std::to_string(job->Toc.TrackCount());
    for (const Lba offset : job->Toc.Offsets) {
        command += "+" + std::to_string(offset);
    }
    command += "+" + std::to_string(job->Toc.LeadOut / kFramesPerSecond);
    const std::string url = servers_.Cddb + "?cmd=" + command + "&hello=user+localhost+Sonatrix+" +
                            SONATRIX_LOOKUP_VERSION + "&proto=6";
    std::weak_ptr<bool> alive = alive_;
    http_.Get(url, {{"User-Agent", LookupUserAgent()}},
              [this, alive, job](const HttpAnswer& answer) {
                  if (alive.expired() || !*alive.lock()) {
                      return;
                  }
                  if (!answer.Error.empty() || answer.Status != 200) {
                      job->Failed(FailureText("The CDDB server", answer));
                      Finish(job);
                      return;
                  }
                  const std::optional<CddbQueryAnswer> query = ParseCddbQuery(answer.Body);
                  if (!query) {
                      job->Failed("The CDDB server gave an answer that cannot be read.");
                  } else if (query->Matches.empty()) {
                      if (query->Code != 202) {
                          job->Failed(CddbStatusText(query->Code));
                      }
                  } else {
                      job->Matches = query->Matches;
                      if (job->Matches.size() > kMaxCddbReads) {
                          job->Matches.resize(kMaxCddbReads);
                      }
                      ReadCddbMatch(job, 0);
                      return;
                  }
                  Finish(job);
              });
}

void DiscLookup::ReadCddbMatch(const std::shared_ptr<Job>& job, std::size_t index) {
    if (index >= job->Matches.size()) {
        Finish(job);
        return;
    }
    const CddbMatch& match = job->Matches[index];
    const std::string url = servers_.Cddb + "?cmd=cddb+read+" + match.Category + "+" +
                            match.DiscId + "&hello=user+localhost+Sonatrix+" +
                            SONATRIX_LOOKUP_VERSION + "&proto=6";
    std::weak_ptr<bool> alive = alive_;
    http_.Get(url, {{"User-Agent", LookupUserAgent()}},
              [this, alive, job, index](const HttpAnswer& answer) {
                  if (alive.expired() || !*alive.lock()) {
                      return;
                  }
                  if (!answer.Error.empty() || answer.Status != 200) {
                      job->Failed(FailureText("The CDDB server", answer));
                  } else if (const auto read = ParseCddbRead(answer.Body, job->Matches[index])) {
                      if (read->Entry) {
                          job->Candidates.push_back(*read->Entry);
                      } else {
                          job->Failed(CddbStatusText(read->Code));
                      }
                  } else {
                      job->Failed("The CDDB server gave an answer that cannot be read.");
                  }
                  ReadCddbMatch(job, index + 1);
              });
}

void DiscLookup::Finish(const std::shared_ptr<Job>& job) {
    LookupOutcome outcome;
    outcome.Candidates = std::move(job->Candidates);
    if (outcome.Candidates.empty()) {
        outcome.Message = job->Failure.empty() ? kNoNamesFound : job->Failure;
    } else if (!job->Ids.MusicBrainz.empty()) {
        // A cache that cannot be written costs a later lookup, nothing more.
        try {
            std::filesystem::create_directories(cacheDirectory_);
            WriteFileAtomically(CacheFile(job->Ids.MusicBrainz),
                                CandidatesToJson(outcome.Candidates));
        } catch (const std::exception&) {
        }
    }
    // Always later, so no caller is answered from inside Lookup, whatever was asked.
    std::weak_ptr<bool> alive = alive_;
    http_.After(0, [alive, job, outcome = std::move(outcome)] {
        if (!alive.expired() && *alive.lock()) {
            job->Done(outcome);
        }
    });
}

}  // namespace snx
