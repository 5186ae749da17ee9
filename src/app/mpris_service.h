// The player on the session bus: owns the two MPRIS interfaces, carries their requests out with
// the main handset's commands, and announces what changed.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <optional>
#include <string>

#include "app/mpris_state.h"

namespace snx {

class HandsetCommands;
class StringGrid;

class MprisService final : public QObject {
    Q_OBJECT
  public:
    // Takes a disc image or drive named by a command-line argument; false when it names none.
    using DiscOpener = std::function<bool(const std::string& argument)>;

    MprisService(HandsetCommands& handset, DiscOpener opener, QObject* parent = nullptr);
    ~MprisService() override;
    MprisService(const MprisService&) = delete;
    MprisService& operator=(const MprisService&) = delete;

    // Exports the objects and claims the bus name. False, with the reason on stderr, when there
    // is no session bus or the name is taken; the player runs on without it.
    bool Register();

    PlayerFacts Facts() const;
    PlayerProperties Current() const { return DescribePlayer(Facts()); }

    void Request(MprisRequest request);
    void Seek(qint64 offsetMicros);
    void SetPosition(const QString& trackId, qint64 micros);
    void SetLoopStatus(const QString& loopStatus);
    void OpenUri(const QString& uri);
    void Raise();
    void Quit();

    // Compares the player with what was last announced and sends PropertiesChanged.
    void Publish();

  signals:
    void Seeked(qint64 positionMicros);

  private:
    void MoveTo(const SeekTarget& target);

    HandsetCommands& handset_;
    DiscOpener opener_;
    QTimer poll_;
    bool registered_ = false;
    std::optional<PlayerProperties> published_;
    std::uint32_t repositions_ = 0;  // the engine's count when Seeked was last due
};

}  // namespace snx
