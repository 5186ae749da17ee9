// Writes the demo disc on a worker thread, so that a first start shows its window at once and
// the disc goes in when it is whole.
#pragma once

#include <QObject>
#include <QString>
#include <filesystem>
#include <thread>

namespace snx {

class BackgroundDemoDisc final : public QObject {
    Q_OBJECT

  public:
    // Starts writing the demo disc into the data directory; one of the signals follows, on the
    // thread that made this object.
    explicit BackgroundDemoDisc(const std::filesystem::path& dataDirectory,
                                QObject* parent = nullptr);
    // Waits for the writing to end; its signal is then not sent.
    ~BackgroundDemoDisc() override;
    BackgroundDemoDisc(const BackgroundDemoDisc&) = delete;
    BackgroundDemoDisc& operator=(const BackgroundDemoDisc&) = delete;

  signals:
    void Written(const QString& cue);
    void Failed(const QString& message);

  private:
    std::thread thread_;
};

}  // namespace snx
