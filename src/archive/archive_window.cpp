#include "archive/archive_window.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cstdio>

#include "archive/archive_cue.h"
#include "lookup/qt_http_client.h"
#include "settings/settings.h"
#include "util/user_messages.h"

namespace snx {

namespace {

enum Column { kTrack, kTitle, kProgress, kSpeed, kCrc, kVerdict, kColumns };

QString Hex(std::uint32_t value) {
    return QStringLiteral("%1").arg(value, 8, 16, QLatin1Char('0')).toUpper();
}

QString Clock(double seconds) {
    const int whole = static_cast<int>(seconds + 0.5);
    return QStringLiteral("%1:%2").arg(whole / 60).arg(whole % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

ArchiveWindow::ArchiveWindow(ArchiveRequest request, std::filesystem::path dataDirectory,
                             std::filesystem::path archiveFolder, QWidget* parent)
    : QDialog(parent),
      request_(std::move(request)),
      dataDirectory_(std::move(dataDirectory)),
      archiveFolder_(std::move(archiveFolder)) {
    setObjectName(QStringLiteral("ArchiveWindow"));
    setWindowTitle(QStringLiteral("Archive disc"));
    auto* layout = new QVBoxLayout(this);
    auto* folder = new QLabel(QString::fromStdString(request_.Folder.string()), this);
    folder->setObjectName(QStringLiteral("lblFolder"));
    layout->addWidget(folder);

    rows_ = new QTreeWidget(this);
    rows_->setObjectName(QStringLiteral("twTracks"));
    rows_->setAccessibleName(QStringLiteral("Tracks"));
    rows_->setRootIsDecorated(false);
    rows_->setHeaderLabels({QStringLiteral("Track"), QStringLiteral("Title"),
                            QStringLiteral("Progress"), QStringLiteral("Speed"),
                            QStringLiteral("CRC-32"), QStringLiteral("AccurateRip")});
    for (const ArchiveSpan& span : ArchiveSpans(*request_.Disc)) {
        if (!span.Audio) {
            continue;
        }
        auto* row = new QTreeWidgetItem(rows_);
        row->setText(kTrack, QStringLiteral("%1").arg(span.Number, 2, 10, QLatin1Char('0')));
        row->setText(kTitle, QString::fromStdString(TrackTitle(request_.Metadata, span.Number)));
        row->setText(kProgress, QStringLiteral("waiting"));
        row->setData(kTrack, Qt::UserRole, span.Number);
    }
    rows_->header()->setSectionResizeMode(kTitle, QHeaderView::Stretch);
    layout->addWidget(rows_);

    total_ = new QProgressBar(this);
    total_->setObjectName(QStringLiteral("pbTotal"));
    total_->setRange(0, 1000);
    layout->addWidget(total_);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("lblStatus"));
    layout->addWidget(status_);

    auto* buttons = new QDialogButtonBox(this);
    button_ = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    button_->setObjectName(QStringLiteral("btnCancel"));
    connect(buttons, &QDialogButtonBox::rejected, this, &ArchiveWindow::reject);
    layout->addWidget(buttons);
    resize(640, 360);

    timer_.setInterval(100);
    connect(&timer_, &QTimer::timeout, this, &ArchiveWindow::Poll);
}

ArchiveWindow::~ArchiveWindow() {
    cancel_ = true;
    if (worker_.joinable()) {
        worker_.join();
    }
}

void ArchiveWindow::Start() {
    Settings& settings = AppSettings();
    if (!settings.VerificationOffered) {
        settings.VerifyArchives = Confirm(
            "Check the archived tracks against the AccurateRip database? This tells the "
            "AccurateRip server of the settings which disc you archive.");
        settings.VerificationOffered = true;
        try {
            SaveSettings();
        } catch (const SettingsWriteError& error) {
            ShowError(error.what());
        }
    }
    verify_ = settings.VerifyArchives;
    status_->setText(QStringLiteral("Reading..."));
    timer_.start();
    worker_ = std::thread([this] {
        report_ = ExtractDisc(
            request_,
            [this](const ArchiveProgress& progress) {
                const std::lock_guard lock(mutex_);
                if (progress.TrackFinished) {
                    finishedTracks_.emplace_back(progress.Track, progress.Crc);
                } else {
                    progress_ = progress;
                }
            },
            cancel_);
        extracted_ = true;
    });
}

void ArchiveWindow::reject() {
    if (!finished_) {
        // The copy stops at its next second of audio and removes what it made.
        cancel_ = true;
        button_->setEnabled(false);
        status_->setText(QStringLiteral("Cancelling..."));
        return;
    }
    QDialog::reject();
}

void ArchiveWindow::Poll() {
    ArchiveProgress progress;
    std::vector<std::pair<int, std::uint32_t>> finished;
    {
        const std::lock_guard lock(mutex_);
        progress = progress_;
        finished.swap(finishedTracks_);
    }
    for (int i = 0; i < rows_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = rows_->topLevelItem(i);
        const int number = row->data(kTrack, Qt::UserRole).toInt();
        // A finished row keeps its CRC and "done"; the last progress may still name its track.
        if (number == progress.Track && progress.Track != 0 && row->text(kCrc).isEmpty()) {
            const QString pass = request_.FromDrive ? (progress.Pass == 1 ? QStringLiteral(" test")
                                                                          : QStringLiteral(" copy"))
                                                    : QString();
            row->setText(
                kProgress,
                QStringLiteral("%1%").arg(static_cast<int>(progress.TrackDone * 100)) + pass);
            row->setText(kSpeed, QStringLiteral("%1x").arg(progress.Speed, 0, 'f', 1));
        }
        for (const auto& [track, crc] : finished) {
            if (track == number) {
                row->setText(kProgress, QStringLiteral("done"));
                row->setText(kCrc, Hex(crc));
            }
        }
    }
    total_->setValue(static_cast<int>(progress.TotalDone * 1000));
    if (progress.Speed > 0 && !cancel_) {
        status_->setText(QStringLiteral("Time left: ") + Clock(progress.SecondsLeft));
    }
    if (!extracted_) {
        return;
    }
    timer_.stop();
    worker_.join();
    if (report_.Error.empty() && !report_.Cancelled && verify_ && report_.Ids) {
        status_->setText(QStringLiteral("Asking AccurateRip..."));
        http_ = std::make_unique<QtHttpClient>();
        FetchAccurateRip(*http_, AppSettings().AccurateRipServer, *report_.Ids,
                         [this](const ArLookup& lookup) { Finish(&lookup); });
        return;
    }
    Finish(nullptr);
}

void ArchiveWindow::Finish(const ArLookup* lookup) {
    FinishArchive(report_, lookup, dataDirectory_, archiveFolder_);
    finished_ = true;
    total_->setValue(report_.Error.empty() && !report_.Cancelled ? 1000 : total_->value());
    ShowVerdicts();
    QString summary = QString::fromStdString(ArchiveSummary(report_));
    if (lookup != nullptr && lookup->Result == ArLookup::Outcome::Failed) {
        summary += QStringLiteral(" AccurateRip: ") + QString::fromStdString(lookup->Message);
    }
    status_->setText(summary);
    button_->setText(QStringLiteral("Close"));
    button_->setEnabled(true);
    emit ArchiveFinished();
}

void ArchiveWindow::ShowVerdicts() {
    for (int i = 0; i < rows_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = rows_->topLevelItem(i);
        const int number = row->data(kTrack, Qt::UserRole).toInt();
        for (const TrackReport& track : report_.Tracks) {
            if (track.Number != number) {
                continue;
            }
            if (!track.Done) {
                row->setText(kProgress, report_.Cancelled ? QStringLiteral("cancelled")
                                                          : QStringLiteral("not copied"));
                continue;
            }
            row->setText(kCrc, Hex(track.Crc) +
                                   (track.CopyMatched ? QString() : QStringLiteral(" (differs)")));
            row->setText(kVerdict, QString::fromStdString(VerdictText(track.Verdict)));
        }
    }
}

}  // namespace snx
