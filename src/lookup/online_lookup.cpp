#include "lookup/online_lookup.h"

#include "settings/file_names.h"
#include "settings/settings.h"

namespace snx {

LookupServers LookupServersOf(const Settings& settings) {
    return {settings.MusicBrainzServer, settings.CoverArtServer, settings.CddbServer};
}

std::filesystem::path LookupCacheDirectory(const std::filesystem::path& dataDirectory) {
    return dataDirectory / data_file::kLookupCache;
}

OnlineLookup::OnlineLookup(std::filesystem::path dataDirectory, int timeoutMs)
    : dataDirectory_(std::move(dataDirectory)), http_(timeoutMs) {}

OnlineLookup::~OnlineLookup() = default;

DiscLookup& OnlineLookup::Current() {
    const LookupServers servers = LookupServersOf(AppSettings());
    const bool changed = servers.MusicBrainz != servers_.MusicBrainz ||
                         servers.CoverArt != servers_.CoverArt || servers.Cddb != servers_.Cddb;
    if (!lookup_ || changed) {
        if (lookup_) {
            retired_.push_back(std::move(lookup_));
        }
        servers_ = servers;
        lookup_ =
            std::make_unique<DiscLookup>(http_, servers_, LookupCacheDirectory(dataDirectory_));
    }
    return *lookup_;
}

void OnlineLookup::Lookup(const DiscToc& toc, std::function<void(const LookupOutcome&)> done) {
    Current().Lookup(toc, std::move(done));
}

void OnlineLookup::FetchCover(
    const LookupCandidate& candidate,
    std::function<void(const QImage& cover, const std::string& failure)> done) {
    const std::string url = Current().FrontCoverUrl(candidate);
    if (url.empty()) {
        http_.After(0, [done] { done({}, "This disc has no front cover online."); });
        return;
    }
    http_.Get(url, {{"User-Agent", LookupUserAgent()}}, [done](const HttpAnswer& answer) {
        if (!answer.Error.empty() || answer.Status != 200) {
            done({}, answer.Error.empty()
                         ? "The cover server answered " + std::to_string(answer.Status) + "."
                         : "The cover server: " + answer.Error);
            return;
        }
        QImage cover = QImage::fromData(QByteArray::fromStdString(answer.Body));
        if (cover.isNull()) {
            done({}, "The front cover could not be read.");
            return;
        }
        if (cover.width() > kMaxCoverSide || cover.height() > kMaxCoverSide) {
            cover = cover.scaled(kMaxCoverSide, kMaxCoverSide, Qt::KeepAspectRatio,
                                 Qt::SmoothTransformation);
        }
        done(cover, {});
    });
}

}  // namespace snx
