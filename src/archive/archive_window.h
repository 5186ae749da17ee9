// The archive window: one row per track (progress, speed, CRC, verdict), the total progress and
// the time left, and Cancel. The copy runs on a thread of its own and the window looks at its
// progress on a timer, so the handset never waits on the drive; the database is asked on this
// thread's event loop.
#pragma once

#include <QDialog>
#include <QTimer>
#include <atomic>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "archive/archive_job.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;

namespace snx {

class QtHttpClient;

class ArchiveWindow final : public QDialog {
    Q_OBJECT
  public:
    ArchiveWindow(ArchiveRequest request, std::filesystem::path dataDirectory,
                  std::filesystem::path archiveFolder, QWidget* parent = nullptr);
    // Cancels a copy still running and waits for its thread.
    ~ArchiveWindow() override;

    // Offers the AccurateRip check the first time, then starts the copy.
    void Start();
    bool Finished() const { return finished_; }
    const ArchiveReport& Report() const { return report_; }

  signals:
    void ArchiveFinished();

  protected:
    void reject() override;

  private:
    void Poll();
    void Finish(const ArLookup* lookup);
    void ShowVerdicts();

    ArchiveRequest request_;
    std::filesystem::path dataDirectory_;
    std::filesystem::path archiveFolder_;
    bool verify_ = false;

    QTreeWidget* rows_;
    QProgressBar* total_;
    QLabel* status_;
    QPushButton* button_;
    QTimer timer_;

    std::thread worker_;
    std::atomic<bool> cancel_ = false;
    std::atomic<bool> extracted_ = false;
    std::mutex mutex_;  // guards progress_ and finishedTracks_
    ArchiveProgress progress_;
    std::vector<std::pair<int, std::uint32_t>> finishedTracks_;
    ArchiveReport report_;  // the worker's, read here once extracted_ is set
    bool finished_ = false;
    std::unique_ptr<QtHttpClient> http_;
};

}  // namespace snx
