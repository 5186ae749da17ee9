#include "app/mpris_player.h"

#include <QStringList>
#include <array>
#include <utility>

#include "app/mpris_service.h"

namespace snx {

namespace {

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QVariantMap MetadataMap(const std::optional<TrackMetadata>& metadata) {
    QVariantMap map;
    if (!metadata) {
        return map;
    }
    map.insert(QStringLiteral("mpris:trackid"),
               QVariant::fromValue(QDBusObjectPath(FromUtf8(metadata->TrackId))));
    map.insert(QStringLiteral("mpris:length"),
               QVariant::fromValue<qlonglong>(metadata->LengthMicros));
    map.insert(QStringLiteral("xesam:album"), FromUtf8(metadata->Album));
    QStringList artists;
    for (const std::string& artist : metadata->Artists) {
        artists.append(FromUtf8(artist));
    }
    map.insert(QStringLiteral("xesam:artist"), artists);
    map.insert(QStringLiteral("xesam:title"), FromUtf8(metadata->Title));
    map.insert(QStringLiteral("xesam:trackNumber"), metadata->TrackNumber);
    if (!metadata->ArtUrl.empty()) {
        map.insert(QStringLiteral("mpris:artUrl"), FromUtf8(metadata->ArtUrl));
    }
    return map;
}

QVariant PropertyValue(const PlayerProperties& properties, std::string_view name) {
    if (name == "PlaybackStatus") {
        return FromUtf8(properties.PlaybackStatus);
    }
    if (name == "LoopStatus") {
        return FromUtf8(properties.LoopStatus);
    }
    if (name == "Metadata") {
        return MetadataMap(properties.Metadata);
    }
    if (name == "Volume") {
        return properties.Volume;
    }
    const std::array<std::pair<std::string_view, bool>, 6> flags = {{
        {"Shuffle", properties.Shuffle},
        {"CanGoNext", properties.CanGoNext},
        {"CanGoPrevious", properties.CanGoPrevious},
        {"CanPlay", properties.CanPlay},
        {"CanPause", properties.CanPause},
        {"CanSeek", properties.CanSeek},
    }};
    for (const auto& [flag, value] : flags) {
        if (flag == name) {
            return value;
        }
    }
    return {};
}

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisService& service)
    : QDBusAbstractAdaptor(&service), service_(service) {
    connect(&service, &MprisService::Seeked, this, &MprisPlayerAdaptor::Seeked);
}

QString MprisPlayerAdaptor::PlaybackStatus() const {
    return FromUtf8(service_.Current().PlaybackStatus);
}

QString MprisPlayerAdaptor::LoopStatus() const {
    return FromUtf8(service_.Current().LoopStatus);
}

void MprisPlayerAdaptor::SetLoopStatus(const QString& loopStatus) {
    service_.SetLoopStatus(loopStatus);
}

bool MprisPlayerAdaptor::Shuffle() const {
    return service_.Current().Shuffle;
}

QVariantMap MprisPlayerAdaptor::Metadata() const {
    return MetadataMap(service_.Current().Metadata);
}

double MprisPlayerAdaptor::Volume() const {
    return service_.Current().Volume;
}

qlonglong MprisPlayerAdaptor::Position() const {
    return service_.Current().PositionMicros;
}

bool MprisPlayerAdaptor::CanGoNext() const {
    return service_.Current().CanGoNext;
}

bool MprisPlayerAdaptor::CanGoPrevious() const {
    return service_.Current().CanGoPrevious;
}

bool MprisPlayerAdaptor::CanPlay() const {
    return service_.Current().CanPlay;
}

bool MprisPlayerAdaptor::CanPause() const {
    return service_.Current().CanPause;
}

bool MprisPlayerAdaptor::CanSeek() const {
    return service_.Current().CanSeek;
}

void MprisPlayerAdaptor::Play() {
    service_.Request(MprisRequest::Play);
}

void MprisPlayerAdaptor::Pause() {
    service_.Request(MprisRequest::Pause);
}

void MprisPlayerAdaptor::PlayPause() {
    service_.Request(MprisRequest::PlayPause);
}

void MprisPlayerAdaptor::Stop() {
    service_.Request(MprisRequest::Stop);
}

void MprisPlayerAdaptor::Next() {
    service_.Request(MprisRequest::Next);
}

void MprisPlayerAdaptor::Previous() {
    service_.Request(MprisRequest::Previous);
}

void MprisPlayerAdaptor::Seek(qlonglong offset) {
    service_.Seek(offset);
}

void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath& trackId, qlonglong position) {
    service_.SetPosition(trackId.path(), position);
}

void MprisPlayerAdaptor::OpenUri(const QString& uri) {
    service_.OpenUri(uri);
}

}  // namespace snx
