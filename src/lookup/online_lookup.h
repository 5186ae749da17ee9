// The program's one online lookup: the servers the settings name, the cache in the data
// directory, the network over Qt, and the front cover as an image. Lives on the
// user-interface thread.
#pragma once

#include <QImage>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lookup/disc_lookup.h"
#include "lookup/qt_http_client.h"

namespace snx {

struct Settings;

// The servers of the settings, and the cache folder of a data directory.
LookupServers LookupServersOf(const Settings& settings);
std::filesystem::path LookupCacheDirectory(const std::filesystem::path& dataDirectory);

// The largest side of a cover taken as the disc's picture.
constexpr int kMaxCoverSide = 500;

class OnlineLookup {
  public:
    explicit OnlineLookup(std::filesystem::path dataDirectory, int timeoutMs = kLookupTimeoutMs);
    ~OnlineLookup();

    // With the servers the settings name at the time of the call.
    void Lookup(const DiscToc& toc, std::function<void(const LookupOutcome&)> done);
    // The candidate's front image, at most kMaxCoverSide pixels a side; a null image and the
    // reason when there is none.
    void FetchCover(const LookupCandidate& candidate,
                    std::function<void(const QImage& cover, const std::string& failure)> done);

  private:
    DiscLookup& Current();

    std::filesystem::path dataDirectory_;
    QtHttpClient http_;
    LookupServers servers_;
    std::unique_ptr<DiscLookup> lookup_;
    // Lookups of servers since changed, kept so that what they still wait for is answered.
    std::vector<std::unique_ptr<DiscLookup>> retired_;
};

}  // namespace snx
