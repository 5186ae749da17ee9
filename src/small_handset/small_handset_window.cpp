#include "small_handset/small_handset_window.h"

#include <QAccessible>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <string>

#include "player/handset_commands.h"
#include "player/handset_status.h"
#include "player/player_engine.h"
#include "player/spoken_display.h"
#include "player/volume_control.h"
#include "settings/qt_colour.h"
#include "settings/settings.h"
#include "widgets/button_glyphs.h"
#include "widgets/handset_background.h"
#include "widgets/help_window.h"
#include "widgets/image_control_accessible.h"
#include "widgets/speed_button.h"

namespace snx {

namespace {

constexpr int kMirrorInterval = 1000;  // milliseconds between two copies from the main handset
constexpr int kAcceleratorTop = 72;    // below the shown area: reachable by Alt-key only

// The main handset's commands behind the five transport buttons: play, stop, pause, eject, close.
using Command = void (HandsetCommands::*)();
constexpr std::array<Command, 5> kCommands = {
    &HandsetCommands::btnPlayClick, &HandsetCommands::btnStopClick, &HandsetCommands::btnPauseClick,
    &HandsetCommands::btnEjectClick, &HandsetCommands::btnCloseClick};

int Bottom(const QWidget* widget) {
    return widget->y() + widget->height();
}
int Right(const QWidget* widget) {
    return widget->x() + widget->width();
}

}  // namespace

TfrmSmall::TfrmSmall(HandsetCommands& main, const QImage& backgroundTile, const QIcon& icon)
    : main_(main) {
    const Settings& settings = AppSettings();
    setObjectName(QStringLiteral("frmSmall"));
    setWindowTitle(QStringLiteral("Sonatrix"));
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                            Qt::WindowCloseButtonHint;
    if (settings.KeepOnTop) {
        flags |= Qt::WindowStaysOnTopHint;
    }
    setWindowFlags(flags);
    setWindowIcon(icon);

    client_ = new HandsetBackground(backgroundTile, ToQColor(settings.HandsetBackColor), this);
    BuildControls();
    BuildPopupMenu();
    Wire();
    timS_ = new QTimer(this);
    timS_->setObjectName(QStringLiteral("timS"));
    timS_->setInterval(kMirrorInterval);
    connect(timS_, &QTimer::timeout, this, [this] { timSTimer(); });
}

QPushButton* TfrmSmall::AcceleratorButton(const char* name, const QString& caption, int left) {
    auto* button = new QPushButton(caption, client_);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(left, kAcceleratorTop, 16, 16);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

void TfrmSmall::BuildControls() {
    const char* const suffix = AppSettings().UseColorButtons ? "Color" : "Mono";
    const auto glyph = [suffix](const char* name) {
        return ButtonGlyph(std::string(name) + suffix);
    };
    btnFull_ = MakeSpeedButton(client_, "btnFull", {4, 4, 16, 16},
                               QStringLiteral("Full control display."));
    btnFull_->setIcon(glyph("Full"));

    struct Transport {
        const char* Name;
        const char* Glyph;
        const char* Hint;
        const char* Twin;
        const char* Caption;
    };
    constexpr std::array<Transport, 5> transport = {{
        {"btnPlay", "Play", "Play", "btnPlay1", "&P"},
        {"btnStop", "Stop", "Stop", "btnStop1", "&S"},
        {"btnPause", "Pause", "Pause", "btnPause1", "&U"},
        {"BtnEject", "Eject", "Eject", "btnEject1", "&E"},
        {"btnClose", "Close", "Close", "btnClose1", "&C"},
    }};
    // What a reader says for each: the hints are terse, and "Close" would sound like the window's.
    constexpr std::array<const char*, 5> spoken = {"Play", "Stop", "Pause", "Eject", "Close tray"};
    for (std::size_t i = 0; i < transport.size(); ++i) {
        const int left = 24 + static_cast<int>(i) * 18;
        transport_[i] = MakeSpeedButton(client_, transport[i].Name, {left, 4, 16, 16},
                                        QString::fromLatin1(transport[i].Hint));
        transport_[i]->setIcon(glyph(transport[i].Glyph));
        transport_[i]->setAccessibleName(QString::fromLatin1(spoken[i]));
        accelerators_[i] =
            AcceleratorButton(transport[i].Twin, QString::fromLatin1(transport[i].Caption), left);
        accelerators_[i]->setAccessibleName(transport_[i]->accessibleName());
    }

    SpeedButton1_ = MakeSpeedButton(client_, "SpeedButton1", {116, 4, 16, 16},
                                    QStringLiteral("Toggle Tiny/Small control."));
    SpeedButton1_->setIcon(glyph("Tiny"));
    btnMix_ =
        MakeSpeedButton(client_, "btnMix", {137, 4, 32, 16}, QStringLiteral("Volume control."));
    btnMix_->setIcon(glyph("Volume"));
    // Tab reaches every button, as the window has no other way to the tiny form or the volume.
    for (QToolButton* button : {btnFull_, transport_[0], transport_[1], transport_[2],
                                transport_[3], transport_[4], SpeedButton1_, btnMix_}) {
        button->setFocusPolicy(Qt::TabFocus);
    }

    Pan1_ = new QLabel(QStringLiteral("Mode: "), client_);
    Pan1_->setObjectName(QStringLiteral("Pan1"));
    Pan1_->setGeometry(176, 4, 91, 16);
    Pan1_->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Pan1_->setAlignment(Qt::AlignCenter);
    Pan1_->setAutoFillBackground(true);
    // The longest mode name must fit the 16-pixel-high panel.
    QFont modeFont = Pan1_->font();
    modeFont.setPointSize(8);
    Pan1_->setFont(modeFont);

    Pan_ = new QFrame(client_);
    Pan_->setObjectName(QStringLiteral("Pan"));
    Pan_->setGeometry(4, 24, 263, 29);
    Pan_->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Pan_->setAutoFillBackground(true);
    labName_ = new QLabel(Pan_);
    labName_->setObjectName(QStringLiteral("labName"));
    bev_ = new QFrame(Pan_);
    bev_->setObjectName(QStringLiteral("bev"));
    bev_->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    labTrack_ = new QLabel(Pan_);
    labTrack_->setObjectName(QStringLiteral("labTrack"));
    DescribeForReaders();
}

void TfrmSmall::DescribeForReaders() {
    ImageControlAccess& display = ReaderAccess(*Pan_);
    display.Role = QAccessible::StaticText;
    display.Name = [this] {
        const PlayerEngine& engine = main_.Engine();
        if (!engine.State.DiscShown) {
            return QStringLiteral("No disc");
        }
        // The track's clocks, as the window's caption shows them.
        return QString::fromStdString(SpokenDisplay(engine.State, engine.ModeLine(), false));
    };

    // The volume button starts the volume program; its arrow keys step the CD volume as the main
    // handset's four-way control does, and a reader finds the two channels' values under it.
    ImageControlAccess& volume = ReaderAccess(*btnMix_);
    volume.Role = QAccessible::Button;
    volume.Press = [this] { btnMix_->click(); };
    DescribeVolumeChannels(
        volume,
        [](int channel) {
            const Settings& settings = AppSettings();
            return static_cast<int>(channel == 0 ? settings.VolumeLeft : settings.VolumeRight);
        },
        kVolumeMax, kVolumeStep);
    btnMix_->installEventFilter(this);
}

bool TfrmSmall::eventFilter(QObject* watched, QEvent* event) {
    if (watched == btnMix_ && event->type() == QEvent::KeyPress &&
        main_.VolumeKey(static_cast<QKeyEvent*>(event)->key())) {
        AnnounceValues(*btnMix_);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TfrmSmall::AnnounceDisplay() {
    const PlayerEngine& engine = main_.Engine();
    // The time alone changing is read on demand, not announced every second.
    if (spokenChange_.Changed(engine.State, engine.ModeLine())) {
        AnnounceName(*Pan_);
    }
}

void TfrmSmall::BuildPopupMenu() {
    popup_ = new QMenu(this);
    popup_->setObjectName(QStringLiteral("PopupMenu1"));
    const std::array<const char*, 5> captions = {"&Play", "&Stop", "Pa&use", "&Eject", "&Close"};
    for (std::size_t i = 0; i < captions.size(); ++i) {
        // Never disabled: the main handset's command decides what a command does now.
        connect(popup_->addAction(QString::fromLatin1(captions[i])), &QAction::triggered, this,
                [this, i] { Transport(kCommands[i]); });
    }
    connect(popup_->addAction(QStringLiteral("&Volume")), &QAction::triggered, this,
            [this] { main_.miVolClick(); });
    // "d" as in the main handset's menu: "e" is Eject's.
    connect(popup_->addAction(QStringLiteral("Edit current CD &data record")), &QAction::triggered,
            this, [this] { main_.btnDataClick(); });
    connect(popup_->addAction(QStringLiteral("&Browse CD database")), &QAction::triggered, this,
            [this] { main_.btnBrowseClick(); });
    connect(popup_->addAction(QStringLiteral("&Full")), &QAction::triggered, this,
            [this] { btnFullClick(); });
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { popup_->popup(mapToGlobal(at)); });
}

void TfrmSmall::Wire() {
    connect(btnFull_, &QToolButton::clicked, this, [this] { btnFullClick(); });
    for (std::size_t i = 0; i < transport_.size(); ++i) {
        const auto run = [this, i] { Transport(kCommands[i]); };
        connect(transport_[i], &QToolButton::clicked, this, run);
        connect(accelerators_[i], &QPushButton::clicked, this, run);
    }
    connect(SpeedButton1_, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
    connect(btnMix_, &QToolButton::clicked, this, [this] { main_.miVolClick(); });
    SetHelpContext(this, kHelpSmallHandset);
}

template <typename Command>
void TfrmSmall::Transport(Command command) {
    (main_.*command)();
    MirrorButtons();
}

void TfrmSmall::showEvent(QShowEvent* event) {
    // Runs before the window is mapped, so it appears at its place and size.
    FormShow();
    QWidget::showEvent(event);
}

void TfrmSmall::FormShow() {
    const Settings& settings = AppSettings();
    move(settings.SmallLeft, settings.SmallTop);
    ExitOnClose = true;

    QFont font(QString::fromStdString(settings.SmallFontName));
    font.setPointSize(settings.SmallFontSize > 0 ? settings.SmallFontSize : 7);
    QPalette palette = labName_->palette();
    palette.setColor(QPalette::WindowText, ToQColor(settings.SmallFontColor));
    const int h = QFontMetrics(font).height();
    const int width = Pan_->width() - 8;
    for (QLabel* label : {labName_, labTrack_}) {
        label->setFont(font);
        label->setPalette(palette);
    }
    labName_->setGeometry(4, 2, width, h);
    Pan_->resize(Pan_->width(), 2 * h + 7);
    bev_->setGeometry(2, h + 3, Pan_->width() - 4, 2);
    labTrack_->setGeometry(4, h + 5, width, h);

    smallSize_ = {Right(Pan1_) + 4, Bottom(Pan_) + 2};
    tinySize_ = {Right(btnMix_) + 4, Bottom(btnMix_) + 2};
    MirrorButtons();
    timS_->start();
    ApplySize();
}

void TfrmSmall::ApplySize() {
    const QSize size = AppSettings().ShowTinyHandset ? tinySize_ : smallSize_;
    client_->setGeometry(0, 0, size.width(), size.height());
    setFixedSize(size);
}

void TfrmSmall::MirrorButtons() {
    const CommandAvailability can = main_.Status().Commands();
    const std::array<bool, 5> enabled = {can.Play, can.Stop, can.Pause, can.Eject, can.CloseTray};
    for (std::size_t i = 0; i < enabled.size(); ++i) {
        transport_[i]->setEnabled(enabled[i]);
        accelerators_[i]->setEnabled(enabled[i]);
    }
}

void TfrmSmall::timSTimer() {
    timS_->stop();
    Settings& settings = AppSettings();
    if (y() != settings.SmallTop || x() != settings.SmallLeft) {
        settings.SmallTop = y();
        settings.SmallLeft = x();
        main_.SaveSettingsReporting();
    }
    const HandsetStatus& status = main_.Status();
    labName_->setText(QStringLiteral("Disc: ") + QString::fromStdString(status.DiscNameText()));
    labTrack_->setText(QStringLiteral("Track: ") + QString::fromStdString(status.TrackNameText()));
    setWindowTitle(QString::fromStdString(status.TitleText()));
    Pan1_->setText(QString::fromStdString(status.PlayModeText()));
    AnnounceDisplay();
    MirrorButtons();
    timS_->start();
}

bool TfrmSmall::MirrorRunning() const {
    return timS_->isActive();
}

void TfrmSmall::SpeedButton1Click() {
    Settings& settings = AppSettings();
    settings.ShowTinyHandset = !settings.ShowTinyHandset;
    ApplySize();
    main_.SaveSettingsReporting();
}

void TfrmSmall::btnFullClick() {
    ExitOnClose = false;
    close();
}

void TfrmSmall::closeEvent(QCloseEvent* event) {
    timS_->stop();
    event->accept();
    emit Closed(ExitOnClose);
}

}  // namespace snx
