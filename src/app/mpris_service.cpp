#include "app/mpris_service.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <iostream>

#include "app/mpris_player.h"
#include "app/mpris_root.h"
#include "player/handset_commands.h"
#include "player/player_engine.h"

namespace snx {

namespace {

const QString kServiceName = QStringLiteral("org.mpris.MediaPlayer2.sonatrix");
const QString kObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
constexpr int kPollInterval = 250;  // milliseconds: quick enough for a panel, cheap for the UI

}  // namespace

MprisService::MprisService(HandsetCommands& handset, DiscOpener opener, QObject* parent)
    : QObject(parent), handset_(handset), opener_(std::move(opener)) {
    // Children: Qt exports them with this object and deletes them with it.
    new MprisRootAdaptor(*this);
    new MprisPlayerAdaptor(*this);
    poll_.setInterval(kPollInterval);
    connect(&poll_, &QTimer::timeout, this, &MprisService::Publish);
}

MprisService::~MprisService() {
    if (registered_) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.unregisterService(kServiceName);
        bus.unregisterObject(kObjectPath);
    }
}

bool MprisService::Register() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::cerr << "sonatrix: no session bus, so desktop media controls cannot reach the "
                     "player: "
                  << bus.lastError().message().toStdString() << "\n";
        return false;
    }
    if (!bus.registerObject(kObjectPath, this, QDBusConnection::ExportAdaptors)) {
        std::cerr << "sonatrix: cannot export " << kObjectPath.toStdString()
                  << " on the session bus\n";
        return false;
    }
    if (!bus.registerService(kServiceName)) {
        std::cerr << "sonatrix: the bus name " << kServiceName.toStdString()
                  << " is taken, so desktop media controls cannot reach this player\n";
        bus.unregisterObject(kObjectPath);
        return false;
    }
    registered_ = true;
    published_ = Current();
    repositions_ = handset_.Engine().Repositions();
    poll_.start();
    return true;
}

PlayerFacts MprisService::Facts() const {
    return GatherPlayerFacts(handset_.Engine());
}

void MprisService::Request(MprisRequest request) {
    switch (CommandFor(request, Current())) {
        case TransportCommand::None:
            return;
        case TransportCommand::Play:
            handset_.btnPlayClick();
            break;
        case TransportCommand::TogglePause:
            handset_.btnPauseClick();
            break;
        case TransportCommand::Stop:
            handset_.btnStopClick();
            break;
        case TransportCommand::Next:
            handset_.btnForwardClick();
            break;
        case TransportCommand::Previous:
            handset_.btnBackClick();
            break;
    }
    Publish();
}

void MprisService::MoveTo(const SeekTarget& target) {
    switch (target.Action) {
        case SeekTarget::Kind::None:
            return;
        case SeekTarget::Kind::NextTrack:
            Request(MprisRequest::Next);
            return;
        case SeekTarget::Kind::MoveTo:
            try {
                handset_.Engine().MoveTo(LbaToMsf(target.Position));
            } catch (const EMCIDeviceError& error) {
                // A seek asked by another program is no reason for a message box.
                std::cerr << "sonatrix: seek: " << error.what() << "\n";
                return;
            }
            break;
    }
    Publish();  // announces the seek
}

void MprisService::Seek(qint64 offsetMicros) {
    MoveTo(SeekBy(Facts(), offsetMicros));
}

void MprisService::SetPosition(const QString& trackId, qint64 micros) {
    MoveTo(SeekToPosition(Facts(), trackId.toStdString(), micros));
}

void MprisService::SetLoopStatus(const QString& loopStatus) {
    const std::optional<bool> repeat = RepeatForLoopStatus(loopStatus.toStdString());
    PlayerEngine& engine = handset_.Engine();
    if (repeat && *repeat != engine.State.RepeatOn) {
        engine.ToggleRepeat();
    }
    Publish();
}

void MprisService::OpenUri(const QString& uri) {
    if (!opener_ || !opener_(uri.toStdString())) {
        std::cerr << "sonatrix: not a disc image or drive: " << uri.toStdString() << "\n";
    }
    Publish();
}

void MprisService::Raise() {
    handset_.ComeForward();
}

void MprisService::Quit() {
    // After the reply has gone out: closing the main handset ends the program.
    QTimer::singleShot(0, this, [this] { handset_.Exit1Click(); });
}

void MprisService::Publish() {
    const PlayerProperties now = Current();
    const std::uint32_t repositions = handset_.Engine().Repositions();
    const bool seeked = repositions != repositions_;
    repositions_ = repositions;
    if (!registered_) {
        published_ = now;
        return;
    }
    // A jump of the position, from the bus or the handset: clients following the position by
    // the clock read it again.
    if (seeked) {
        emit Seeked(now.PositionMicros);
    }
    const std::vector<std::string> changed =
        published_ ? ChangedProperties(*published_, now) : std::vector<std::string>{};
    published_ = now;
    if (changed.empty()) {
        return;
    }
    QVariantMap values;
    for (const std::string& name : changed) {
        values.insert(QString::fromStdString(name), PropertyValue(now, name));
    }
    QDBusMessage signal =
        QDBusMessage::createSignal(kObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                   QStringLiteral("PropertiesChanged"));
    signal << kPlayerInterface << values << QStringList();
    QDBusConnection::sessionBus().send(signal);
}

}  // namespace snx
