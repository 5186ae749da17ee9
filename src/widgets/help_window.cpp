#include "widgets/help_window.h"

#include <QTextBrowser>
#include <QVBoxLayout>
#include <QVariant>

namespace snx {

QString HelpPage(int topic) {
    switch (topic) {
        case kHelpHandset:
            return QStringLiteral("qrc:/help/handset.html");
        case kHelpSmallHandset:
            return QStringLiteral("qrc:/help/small_handset.html");
        case kHelpPlayMode:
            return QStringLiteral("qrc:/help/play_mode.html");
        case kHelpExport:
            return QStringLiteral("qrc:/help/export.html");
        case kHelpImport:
            return QStringLiteral("qrc:/help/import.html");
        case kHelpProgramme:
            return QStringLiteral("qrc:/help/programme.html");
        case kHelpFitTracks:
            return QStringLiteral("qrc:/help/fit_tracks.html");
        case kHelpConfiguration:
            return QStringLiteral("qrc:/help/configuration.html");
        case kHelpDriveSelection:
            return QStringLiteral("qrc:/help/drives.html");
        case kHelpDiscData:
            return QStringLiteral("qrc:/help/disc_data.html");
        case kHelpTrack:
            return QStringLiteral("qrc:/help/disc_data.html#track");
        case kHelpTrackGrid:
            return QStringLiteral("qrc:/help/disc_data.html#grid");
        case kHelpBitmap:
            return QStringLiteral("qrc:/help/disc_data.html#bitmap");
        case kHelpReferenceLists:
            return QStringLiteral("qrc:/help/reference_lists.html");
        case kHelpRecording:
            return QStringLiteral("qrc:/help/samples.html#record");
        case kHelpCatalogue:
            return QStringLiteral("qrc:/help/catalogue.html");
        case kHelpSelectPlay:
            return QStringLiteral("qrc:/help/samples.html#play");
        default:
            return QStringLiteral("qrc:/help/contents.html");
    }
}

namespace {

constexpr const char* kHelpContextProperty = "helpContext";

}  // namespace

void SetHelpContext(QWidget* window, int topic) {
    window->setProperty(kHelpContextProperty, topic);
}

int HelpContextOf(const QWidget* widget) {
    return widget->window()->property(kHelpContextProperty).toInt();
}

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window), browser_(new QTextBrowser) {
    setWindowTitle(QStringLiteral("Sonatrix help"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    browser_->setOpenExternalLinks(false);
    browser_->setObjectName(QStringLiteral("browser"));
    browser_->setAccessibleName(QStringLiteral("Help page"));
    resize(520, 480);
}

void HelpWindow::ShowTopic(int topic) {
    browser_->setSource(QUrl(HelpPage(topic)));
    show();
    raise();
    activateWindow();
}

QString HelpWindow::CurrentPage() const {
    return browser_->source().toString();
}

}  // namespace snx
