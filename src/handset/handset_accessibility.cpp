// What a screen reader finds in the main handset: the glyph buttons named for their action, the
// LED display read as a sentence, the track panel as a list, the volume control as two values.
#include <QAccessible>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <algorithm>
#include <array>

#include "catalogue/disc_catalogue.h"
#include "cd/cd_device.h"
#include "cd/cd_types.h"
#include "handset/handset_window.h"
#include "player/player_engine.h"
#include "player/spoken_display.h"
#include "settings/settings.h"
#include "util/text.h"
#include "util/user_messages.h"
#include "widgets/image_control.h"
#include "widgets/image_control_accessible.h"

namespace snx {

namespace {

int VolumeOfChannel(int channel) {
    const Settings& settings = AppSettings();
    return static_cast<int>(channel == 0 ? settings.VolumeLeft : settings.VolumeRight);
}

}  // namespace

void TSnx::DescribeForReaders() {
    const std::array<std::pair<QWidget*, const char*>, 16> glyphs = {{
        {btnPlay_, "Play"},
        {btnStop_, "Stop"},
        {btnPause_, "Pause"},
        {btnEject_, "Eject"},
        {btnClose_, "Close tray"},
        {btnStart_, "Beginning of track"},
        {btnBack_, "Previous track"},
        {btnForward_, "Next track"},
        {btnSkipBack_, "Rewind"},
        {BtnSkipForward_, "Fast forward"},
        {btnTrack_, "Go to track"},
        {btnMode_, "Mode of play"},
        {btnData_, "Disc record"},
        {btnBrowse_, "Catalogue"},
        {btnSample_, "Record sample"},
        {btnPlaySamp_, "Play sample"},
    }};
    for (const auto& [widget, name] : glyphs) {
        widget->setAccessibleName(QString::fromLatin1(name));
    }
    panDisplay_->setAccessibleName(QStringLiteral("Display"));
    imgPanel_->setAccessibleName(QStringLiteral("Track panel"));
    panVolume_->setAccessibleName(QStringLiteral("Volume"));
    dData_->setAccessibleName(QStringLiteral("Disc record"));
    for (QFrame* bevel : {bevel2_, bevel3_, b4_}) {
        bevel->setAccessibleName(QStringLiteral("Buttons"));
    }

    display_->Access().Role = QAccessible::StaticText;
    display_->Access().Name = [this] {
        if (!engine_->State.DiscShown) {
            return QStringLiteral("No disc");
        }
        return QString::fromStdString(
            SpokenDisplay(engine_->State, engine_->ModeLine(), showDiscTimes_));
    };
    imgMode_->Access().Name = [this] {
        return engine_->State.DiscShown ? QString::fromStdString(engine_->ModeLine())
                                        : QStringLiteral("Mode");
    };
    imgTrack_->Access().Name = [this] {
        return QStringLiteral("Track: %1").arg(engine_->State.CurrentTrack);
    };
    imgTime_->Access().Name = [this] {
        return showDiscTimes_ ? QStringLiteral("Disc time") : QStringLiteral("Track time");
    };
    for (ImageControl* line : {imgMode_, imgTrack_, imgTime_}) {
        line->Access().Role = QAccessible::StaticText;
    }

    ImageControlAccess& tracks = imgTracks_->Access();
    tracks.Role = QAccessible::List;
    imgTracks_->setAccessibleName(QStringLiteral("Tracks"));
    tracks.ItemCount = [this] { return engine_->SelectableTrackCount(); };
    tracks.ItemName = [this](int item) {
        const QString title =
            QString::fromStdString(StoredTextToUtf8(engine_->Disc().Tracks().Cell(0, item + 1)));
        const QString track = QStringLiteral("Track %1").arg(item + 1);
        return title.isEmpty() ? track : track + QStringLiteral(": ") + title;
    };
    tracks.ItemCurrent = [this](int item) { return engine_->State.CurrentTrack == item + 1; };
    tracks.ItemFocused = [this](int item) { return trackCursor_ == item + 1; };
    tracks.ActivateItem = [this](int item) {
        if (!device_.IsOpen() || !EngineMayRun()) {
            return;
        }
        try {
            engine_->GoToTrack(item + 1);
        } catch (const EMCIDeviceError& error) {
            ShowError(error.what());
        }
    };
    imgTracks_->setFocusPolicy(Qt::StrongFocus);
    imgTracks_->OnKey = [this](int key) { return TrackPanelKey(key); };

    ImageControlAccess& volume = iFourWay_->Access();
    volume.Role = QAccessible::Grouping;
    iFourWay_->setAccessibleName(QStringLiteral("Volume control"));
    DescribeVolumeChannels(volume, VolumeOfChannel, kVolumeMax, kVolumeStep);
    iFourWay_->setFocusPolicy(Qt::StrongFocus);
    iFourWay_->OnKey = [this](int key) { return VolumeKey(key); };
    gLeft_->setAccessibleName(QStringLiteral("Left volume gauge"));
    gRight_->setAccessibleName(QStringLiteral("Right volume gauge"));
}

void TSnx::AnnounceDisplay(const PlayerEngine& engine) {
    // The time alone changing is read on demand, not announced every second.
    if (spokenChange_.Changed(engine.State, engine.ModeLine())) {
        AnnounceName(*display_);
    }
}

void TSnx::AnnounceVolume() {
    AnnounceValues(*iFourWay_);
}

bool TSnx::TrackPanelKey(int key) {
    const int count = engine_->SelectableTrackCount();
    if (count <= 0) {
        return false;
    }
    int cursor = std::clamp(trackCursor_, 1, count);
    switch (key) {
        case Qt::Key_Up:
        case Qt::Key_Left:
            cursor = std::max(1, cursor - 1);
            break;
        case Qt::Key_Down:
        case Qt::Key_Right:
            cursor = std::min(count, cursor + 1);
            break;
        case Qt::Key_Home:
            cursor = 1;
            break;
        case Qt::Key_End:
            cursor = count;
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            imgTracks_->Access().ActivateItem(cursor - 1);
            return true;
        default:
            return false;
    }
    trackCursor_ = cursor;
    QAccessibleEvent focus(imgTracks_, QAccessible::Focus);
    focus.setChild(cursor - 1);
    QAccessible::updateAccessibility(&focus);
    return true;
}

bool TSnx::VolumeKey(int key) {
    VolumeArrow arrow{};
    switch (key) {
        case Qt::Key_Up:
            arrow = VolumeArrow::Up;
            break;
        case Qt::Key_Down:
            arrow = VolumeArrow::Down;
            break;
        case Qt::Key_Left:
            arrow = VolumeArrow::Left;
            break;
        case Qt::Key_Right:
            arrow = VolumeArrow::Right;
            break;
        default:
            return false;
    }
    volume_.Act(arrow);
    engine_->KeepDiscVolumes();
    return true;
}

}  // namespace snx
