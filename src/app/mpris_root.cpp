#include "app/mpris_root.h"

#include "app/mpris_service.h"

namespace snx {

MprisRootAdaptor::MprisRootAdaptor(MprisService& service)
    : QDBusAbstractAdaptor(&service), service_(service) {}

QString MprisRootAdaptor::Identity() const {
    return QStringLiteral("Sonatrix");
}

QString MprisRootAdaptor::DesktopEntry() const {
    return QStringLiteral("sonatrix");
}

QStringList MprisRootAdaptor::SupportedUriSchemes() const {
    return {QStringLiteral("file"), QStringLiteral("cdda")};
}

QStringList MprisRootAdaptor::SupportedMimeTypes() const {
    return {QStringLiteral("application/x-cue"), QStringLiteral("application/x-cdrdao-toc")};
}

void MprisRootAdaptor::Raise() {
    service_.Raise();
}

void MprisRootAdaptor::Quit() {
    service_.Quit();
}

}  // namespace snx
