#include "app/startup_window.h"

#include <QFormLayout>
#include <QLabel>
#include <QTimer>

#include "player/cd_device.h"
#include "settings/settings.h"

namespace snx {

namespace {

QLabel* PathLabel(const std::string& path) {
    auto* label = new QLabel(QString::fromStdString(path));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

}  // namespace

StartupWindow::StartupWindow(const Settings& settings, bool settingsFound, CdDevice& device,
                             QWidget* parent)
    : QMainWindow(parent), device_(device), disc_(new QLabel) {
    setWindowTitle(QStringLiteral("Sonatrix"));
    auto* panel = new QWidget(this);
    auto* form = new QFormLayout(panel);
    form->addRow(tr("Data directory:"), PathLabel(settings.ProgramDirectory));
    form->addRow(tr("Settings file:"), PathLabel(settings.FileName().string()));
    form->addRow(tr("Settings:"), new QLabel(settingsFound ? tr("loaded from the file")
                                                           : tr("defaults (no file yet)")));
    const int drive = device.DeviceId() - 1;
    const bool known = drive >= 0 && drive < static_cast<int>(device.DriveLetters.size());
    form->addRow(tr("CD drive:"),
                 known ? PathLabel(device.DriveLetters[static_cast<std::size_t>(drive)])
                       : new QLabel(tr("none open")));
    form->addRow(tr("Disc:"), disc_);
    setCentralWidget(panel);

    // The drive's state comes from a snapshot; looking once a second never waits on the drive.
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &StartupWindow::ShowDisc);
    timer->start(1000);
    ShowDisc();
}

void StartupWindow::ShowDisc() {
    if (!device_.IsOpen()) {
        disc_->setText(tr("no drive"));
        return;
    }
    if (device_.IsDoorOpen()) {
        disc_->setText(tr("tray open"));
        return;
    }
    if (!device_.IsMediaPresent()) {
        disc_->setText(tr("no disc"));
        return;
    }
    device_.ReadTableOfContents();  // from the snapshot: the disc may have changed
    const CdText text = device_.GetCdText();
    QString summary = tr("%n track(s), %1", nullptr, device_.TrackCount)
                          .arg(QString::fromStdString(FormatMinSec(device_.DiscTotalTime)));
    if (!text.Title.empty()) {
        summary += QStringLiteral(" \u2014 ") + QString::fromStdString(text.Title);
    }
    if (!text.Performer.empty()) {
        summary +=
            QStringLiteral(" (") + QString::fromStdString(text.Performer) + QStringLiteral(")");
    }
    disc_->setText(summary);
}

}  // namespace snx
