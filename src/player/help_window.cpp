#include "player/help_window.h"

#include <QTextBrowser>
#include <QVBoxLayout>

namespace snx {

QString HelpPage(int topic) {
    switch (topic) {
        case kHelpHandset:
            return QStringLiteral("qrc:/help/handset.html");
        case kHelpSmallHandset:
            return QStringLiteral("qrc:/help/small_handset.html");
        default:
            return QStringLiteral("qrc:/help/contents.html");
    }
}

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window), browser_(new QTextBrowser) {
    setWindowTitle(QStringLiteral("Sonatrix help"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    browser_->setOpenExternalLinks(false);
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
