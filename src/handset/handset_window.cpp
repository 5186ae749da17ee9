#include "handset/handset_window.h"
#include "widgets/speed_button.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QShortcut>
#include <QStandardPaths>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWindow>
#include <filesystem>

#include "catalogue/disc_catalogue.h"
#include "catalogue/disc_picture.h"
#include "catalogue_ui/disc_data_dialog.h"
#include "catalogue_ui/print_layer.h"
#include "catalogue_ui/printing_dlg.h"
#include "cd/cd_device.h"
#include "cd/cd_types.h"
#include "handset/default_bitmaps.h"
#include "handset/volume_painter.h"
#include "lookup/online_lookup.h"
#include "player/player_engine.h"
#include "player/recording_hook.h"
#include "player/track_grid.h"
#include "programming/fit_dialog.h"
#include "programming/mode_dialog.h"
#include "programming/programme_dialog.h"
#include "programming/programme_edit.h"
#include "programming/track_row.h"
#include "programming/tracks_dialog.h"
#include "samples/wave_device.h"
#include "settings/drive_dialog.h"
#include "settings/file_names.h"
#include "settings/qt_colour.h"
#include "settings/settings.h"
#include "small_handset/small_handset_window.h"
#include "util/text.h"
#include "util/user_messages.h"
#include "widgets/button_glyphs.h"
#include "widgets/handset_background.h"
#include "widgets/help_window.h"
#include "widgets/image_control.h"
#include "widgets/point_hand_cursor.h"
#include "widgets/stored_text.h"

namespace snx {

namespace {

constexpr int kHintTime = 2000;  // milliseconds a hint stays up

// False on Wayland, where the compositor alone places windows and a client cannot learn where.
bool PlatformPlacesWindows() {
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QFont SettingsFont(const std::string& name, int size, bool bold) {
    QFont font(QString::fromStdString(name));
    font.setPointSize(size > 0 ? size : 8);
    font.setBold(bold);
    return font;
}

QFrame* Panel(QWidget* parent, QRect geometry, QFrame::Shadow shadow, const char* name) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(QString::fromLatin1(name));
    frame->setGeometry(geometry);
    frame->setFrameStyle(QFrame::Panel | shadow);
    frame->setLineWidth(1);
    frame->setAutoFillBackground(true);
    return frame;
}

void Fill(QWidget* widget, QColor colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
}

}  // namespace

TSnx::TSnx(CdDevice& device, DiscCatalogue& catalogue, RecordingHook& recording, WaveDevice& wave,
           bool autoPlay, QWidget* parent)
    : QMainWindow(parent),
      device_(device),
      catalogue_(catalogue),
      recording_(recording),
      wave_(wave),
      volume_(AppSettings().VolumeLeft, AppSettings().VolumeRight, [this] { VolumeChanged(); }) {
    Settings& settings = AppSettings();
    setObjectName(QStringLiteral("Sonatrix"));
    setWindowTitle(QString::fromLatin1(kTitleAtStart));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowIcon(ButtonGlyph("PlayColor"));

    engine_ = std::make_unique<PlayerEngine>(device_, catalogue_, *this, recording_);
    engine_->State.AutoPlayRequested = autoPlay;
    // Through the engine, so that it knows the tick it runs at.
    wave_.SetTickInterval = [this](int milliseconds) { SetTimer(milliseconds); };

    const std::filesystem::path dataDirectory(settings.ProgramDirectory);
    lookup_ = std::make_unique<OnlineLookup>(dataDirectory);
    engine_->UnknownDisc = [this] { LookUpUnknownDisc(); };
    EditorHooks().Lookup = lookup_.get();
    EditorHooks().DriveToc = [this](const std::string& identity) -> std::optional<DiscToc> {
        const std::shared_ptr<const DiscInfo> disc = device_.GetDiscInfo();
        if (!disc || engine_->Disc().Identity() != identity) {
            return std::nullopt;
        }
        return TocOfDisc(*disc);
    };
    WriteDefaultBitmaps(dataDirectory);
    if (settings.UseBackgroundBitmap) {
        const std::filesystem::path named(settings.BackgroundBitmap);
        const std::filesystem::path tile =
            ResolveFileName(named.parent_path(), named.filename().string());
        std::error_code error;
        if (std::filesystem::exists(tile, error)) {
            background_.load(QString::fromStdString(tile.string()));
        }
    }

    client_ = new HandsetBackground(background_, ToQColor(settings.HandsetBackColor));
    setCentralWidget(client_);
    BuildControls();
    BuildMenus();
    Wire();
    BuildSampleButtons();
    printing_ = new TPrintingDlg(this);
    printLayer_ = std::make_unique<PrintLayer>(printing_);
    DescribeForReaders();

    led_.Make(
        {SettingsFont(settings.DisplayFontName, settings.DisplayFontSize, settings.DisplayFontBold),
         ToQColor(settings.DisplayBackColor), ToQColor(settings.DisplayFontColor)});
    imgTracksSetup();
    Fill(panVolume_, ToQColor(settings.VolumeDisplayBackColor));
    SetVolumeGauges(settings.VolumeLeft, settings.VolumeRight);
    miAutoPlay_->setChecked(settings.AutoPlayOnStartup);
    iFourWayDraw();
    SetDisplay();
    SetRepeat(false, "LEDOFF");
    if (PlatformPlacesWindows()) {
        move(settings.MainLeft, settings.MainTop);
    }
    miHints_->setChecked(settings.ShowHints);
    qApp->installEventFilter(this);
}

TSnx::~TSnx() {
    EditorHooks().PlaySample = nullptr;
    EditorHooks().Lookup = nullptr;
    EditorHooks().DriveToc = nullptr;
    qApp->removeEventFilter(this);
}

void TSnx::BuildControls() {
    panDisplay_ = Panel(client_, {6, 8, 223, 49}, QFrame::Sunken, "panDisplay");
    display_ = new ImageControl({2, 2, kDisplayWidth, kDisplayHeight}, panDisplay_);
    display_->setObjectName(QStringLiteral("Display"));
    imgMode_ = new ImageControl({132, 3, 89, 14}, panDisplay_);
    imgMode_->setObjectName(QStringLiteral("imgMode"));
    imgTrack_ = new ImageControl({132, 18, 89, 14}, panDisplay_);
    imgTrack_->setObjectName(QStringLiteral("imgTrack"));
    imgTime_ = new ImageControl({132, 33, 89, 14}, panDisplay_);
    imgTime_->setObjectName(QStringLiteral("imgTime"));
    display_->setToolTip(
        QStringLiteral("Click left mouse button to toggle disk and track time display."));
    imgTime_->setToolTip(display_->toolTip());
    imgMode_->setToolTip(QStringLiteral("Click the left mouse button to select play mode."));
    imgTrack_->setToolTip(QStringLiteral("Click the left mouse button to select a track."));

    imgPanel_ = Panel(client_, {236, 8, 102, 90}, QFrame::Sunken, "ImgPanel");
    imgTracks_ = new ImageControl({2, 2, 98, 86}, imgPanel_);
    imgTracks_->setObjectName(QStringLiteral("imgTracks"));
    imgTracks_->setToolTip(
        QStringLiteral("Click the left mouse button to select a track - right "
                       "mouse button to toggle track/picture display."));

    panVolume_ = Panel(client_, {340, 8, 39, 90}, QFrame::Raised, "panVolume");
    gLeft_ = new ImageControl({9, 3, 9, 50}, panVolume_);
    gLeft_->setObjectName(QStringLiteral("gLeft"));
    gRight_ = new ImageControl({21, 3, 9, 50}, panVolume_);
    gRight_->setObjectName(QStringLiteral("gRight"));
    const int gaugeBottom = gLeft_->geometry().y() + gLeft_->height();
    iFourWay_ = new ImageControl(
        {(panVolume_->width() - 39) / 2 + 5,
         (panVolume_->height() - (gaugeBottom + 30)) / 2 + gaugeBottom, kFourWaySize, kFourWaySize},
        panVolume_);
    iFourWay_->setObjectName(QStringLiteral("iFourWay"));
    iFourWay_->setToolTip(
        QStringLiteral("Volume control. Click and hold to change - click on "
                       "middle to equalise channels."));
    iFourWay_->hide();

    bevel2_ = Panel(client_, {6, 61, 150, 34}, QFrame::Raised, "Bevel2");
    bevel3_ = Panel(client_, {6, 101, 150, 34}, QFrame::Raised, "Bevel3");
    b4_ = Panel(client_, {238, 101, 134, 34}, QFrame::Raised, "B4");
    for (QFrame* bevel : {bevel2_, bevel3_, b4_}) {
        bevel->setAutoFillBackground(false);
    }

    btnPlay_ = MakeSpeedButton(client_, "btnPlay", {12, 66, 25, 25}, QStringLiteral("Play CD"));
    btnStop_ = MakeSpeedButton(client_, "btnStop", {40, 66, 25, 25}, QStringLiteral("Stop CD"));
    btnPause_ =
        MakeSpeedButton(client_, "btnPause", {68, 66, 25, 25}, QStringLiteral("Pause/Restart CD"));
    btnEject_ = MakeSpeedButton(client_, "btnEject", {96, 66, 25, 25}, QStringLiteral("Eject CD"));
    btnClose_ =
        MakeSpeedButton(client_, "btnClose", {124, 66, 25, 25}, QStringLiteral("Close CD tray"));
    btnStart_ = MakeSpeedButton(client_, "btnStart", {12, 106, 25, 25},
                                QStringLiteral("Play from beginning of current track."));
    btnBack_ = MakeSpeedButton(client_, "btnBack", {40, 106, 25, 25},
                               QStringLiteral("Jump to previous track"));
    btnForward_ = MakeSpeedButton(client_, "btnForward", {68, 106, 25, 25},
                                  QStringLiteral("Jump to next track"));
    btnSkipBack_ = MakeSpeedButton(client_, "btnSkipBack", {96, 106, 25, 25},
                                   QStringLiteral("Fast rewind - hold to repeat."));
    BtnSkipForward_ = MakeSpeedButton(client_, "BtnSkipForward", {124, 106, 25, 25},
                                      QStringLiteral("Fast forward - hold to repeat."));

    btnTrack_ = MakeSpeedButton(client_, "btnTrack", {168, 87, 25, 24},
                                QStringLiteral("Select track to play."));
    btnMode_ = MakeSpeedButton(client_, "btnMode", {203, 87, 25, 24},
                               QStringLiteral("Select mode of play."));

    btnData_ = MakeSpeedButton(client_, "btnData", {244, 106, 25, 25},
                               QStringLiteral("Display/Edit record for current disc."));
    btnBrowse_ = MakeSpeedButton(client_, "btnBrowse", {279, 106, 25, 25},
                                 QStringLiteral("Disc catalogue."));
    SpeedButton13_ =
        MakeSpeedButton(client_, "SpeedButton13", {244, 298, 25, 25}, btnData_->toolTip());
    SpeedButton13_->setText(QStringLiteral("&D"));
    SpeedButton14_ =
        MakeSpeedButton(client_, "SpeedButton14", {279, 298, 25, 25}, btnBrowse_->toolTip());
    SpeedButton14_->setText(QStringLiteral("&W"));

    btnRepeat_ = new QPushButton(QStringLiteral("&Repeat"), client_);
    btnRepeat_->setObjectName(QStringLiteral("btnRepeat"));
    btnRepeat_->setGeometry(168, 61, 60, 24);
    btnRepeat_->setToolTip(QStringLiteral("Toggle repeat mode."));
    btnRepeat_->setIconSize(QSize(10, 10));
    btnBeg_ = new QPushButton(QStringLiteral("Mar&k"), client_);
    btnBeg_->setObjectName(QStringLiteral("btnBeg"));
    btnBeg_->setGeometry(168, 113, 60, 24);
    btnBeg_->setToolTip(QStringLiteral("Mark start position of bookmark."));
    for (QPushButton* button : {btnRepeat_, btnBeg_}) {
        button->setFocusPolicy(Qt::NoFocus);
    }

    dData_ = Panel(client_, {8, 144, 369, 68}, QFrame::Sunken, "DData");
    const std::array<const char*, 4> captions = {"Disc:", "Track:", "Composer:", "Artist:"};
    for (std::size_t i = 0; i < captions.size(); ++i) {
        captions_[i] = new QLabel(QString::fromLatin1(captions[i]), dData_);
        captions_[i]->setObjectName(QStringLiteral("Label%1").arg(i + 1));
    }
    labName_ = new QLabel(dData_);
    labName_->setObjectName(QStringLiteral("labName"));
    labTrack_ = new QLabel(dData_);
    labTrack_->setObjectName(QStringLiteral("labTrack"));
    LabComp_ = new QLabel(dData_);
    LabComp_->setObjectName(QStringLiteral("LabComp"));
    labArt_ = new QLabel(dData_);
    labArt_->setObjectName(QStringLiteral("labArt"));

    for (ImageControl* image : {display_, imgMode_, imgTrack_, imgTime_, imgTracks_}) {
        image->setCursor(PointHandCursor());
    }

    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("Timer"));
    timer_->setInterval(kTickInterval);
    tmrSkip_ = new QTimer(this);
    tmrSkip_->setObjectName(QStringLiteral("tmrSkip"));
    tmrSkip_->setInterval(250);
    tmrVolume_ = new QTimer(this);
    tmrVolume_->setObjectName(QStringLiteral("tmrVolume"));
}

void TSnx::BuildMenus() {
    auto add = [this](QMenu* menu, const char* caption, const QKeySequence& keys, auto handler) {
        QAction* action = menu->addAction(QString::fromUtf8(caption));
        action->setShortcut(keys);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    miData_ = add(file, "Edit current CD &data record", QKeySequence(Qt::CTRL | Qt::Key_D),
                  [this] { btnDataClick(); });
    QMenu* lists = file->addMenu(QStringLiteral("Reference &files"));
    add(lists, "&Composers...", {}, [this] { mTypeClick('C'); });
    add(lists, "&Artists...", {}, [this] { mTypeClick('A'); });
    add(lists, "&Record labels...", {}, [this] { mTypeClick('L'); });
    add(lists, "&Music type...", {}, [this] { mTypeClick('T'); });
    miBrowse_ = add(file, "Bro&wse CD database", QKeySequence(Qt::CTRL | Qt::Key_W),
                    [this] { btnBrowseClick(); });
    file->addSeparator();
    // "&I" is the import's; the image takes a letter no other File command has.
    add(file, "I&nsert disc image...", {}, [this] { InsertImageClick(); });
    add(file, "&Archive disc...", {}, [this] { ArchiveDiscClick(); });
    add(file, "&Configure Sonatrix...", {}, [this] { ConfigureSonatrix1Click(); });
    add(file, "&Select CD Rom drive...", {}, [this] { SelectCdRomClick(); });
    file->addSeparator();
    add(file, "E&xport database...", {}, [this] { Exportdatabase1Click(); });
    add(file, "&Import database...", {}, [this] { Importdatabase1Click(); });
    add(file, "&Rebuild database", {}, [this] { Rebuilddatabase1Click(); });
    file->addSeparator();
    add(file, "Exi&t", {}, [this] { close(); });

    QMenu* control = menuBar()->addMenu(QStringLiteral("Contr&ol"));
    miPlay_ = add(control, "&Play", QKeySequence(Qt::CTRL | Qt::Key_P), [this] { btnPlayClick(); });
    miStop_ = add(control, "&Stop", QKeySequence(Qt::CTRL | Qt::Key_S), [this] { btnStopClick(); });
    miPause_ =
        add(control, "Pa&use", QKeySequence(Qt::CTRL | Qt::Key_U), [this] { btnPauseClick(); });
    miNext_ = add(control, "&Next track", QKeySequence(Qt::CTRL | Qt::Key_N),
                  [this] { btnForwardClick(); });
    miLast_ =
        add(control, "&Last track", QKeySequence(Qt::CTRL | Qt::Key_L), [this] { btnBackClick(); });
    miBeginning_ = add(control, "&Beginning of current track", QKeySequence(Qt::CTRL | Qt::Key_B),
                       [this] { btnStartClick(); });
    miGotoTrack_ = add(control, "Goto &track...", QKeySequence(Qt::CTRL | Qt::Key_T),
                       [this] { btnTrackClick(); });
    miProgramme_ = add(control, "Custom pr&ogramme...", QKeySequence(Qt::CTRL | Qt::Key_O),
                       [this] { Cust1Click(); });
    miFitTracks_ = add(control, "&Fit tracks to time...", QKeySequence(Qt::CTRL | Qt::Key_F),
                       [this] { Fitt1Click(); });
    miForward_ = add(control, "Fast forward (&X)", QKeySequence(Qt::CTRL | Qt::Key_X),
                     [this] { BtnSkipForwardClick(); });
    miRewind_ = add(control, "Fast rewind (&Z)", QKeySequence(Qt::CTRL | Qt::Key_Z),
                    [this] { btnSkipBackClick(); });
    miEject_ =
        add(control, "&Eject CD", QKeySequence(Qt::CTRL | Qt::Key_E), [this] { btnEjectClick(); });
    miCloseTray_ = add(control, "&Close CD tray", QKeySequence(Qt::CTRL | Qt::Key_C),
                       [this] { btnCloseClick(); });
    add(control, "&Volume control", QKeySequence(Qt::CTRL | Qt::Key_V), [this] { miVolClick(); });

    QMenu* mode = menuBar()->addMenu(QStringLiteral("&Mode"));
    miModeOfPlay_ = add(mode, "&Mode of play...", QKeySequence(Qt::CTRL | Qt::Key_M),
                        [this] { btnModeClick(); });
    miRepeat_ =
        add(mode, "&Repeat mode", QKeySequence(Qt::CTRL | Qt::Key_R), [this] { btnRepeatClick(); });
    miRepeat_->setCheckable(true);
    miAutoPlay_ = add(mode, "&Auto play mode", QKeySequence(Qt::CTRL | Qt::Key_A),
                      [this] { Autoplaymode1Click(); });
    miAutoPlay_->setCheckable(true);

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    miDiscData_ = add(view, "&CD data record", {}, [this] { miDiscDataClick(); });
    miDiscData_->setCheckable(true);
    miExt_ = add(view, "&Extended options", {}, [this] { miExtClick(); });
    miExt_->setCheckable(true);

    connect(menuBar()->addAction(QStringLiteral("Sm&all!")), &QAction::triggered, this,
            [this] { Small2Click(); });

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    add(help, "&Help contents", {}, [this] { ShowHelp(kHelpContents); });
    miHints_ = add(help, "&Show hints", {}, [this] { Showhints1Click(); });
    miHints_->setCheckable(true);
    add(help, "&About Sonatrix", {}, [this] { AboutClick(); });
    SetHelpContext(this, kHelpHandset);

    // Alt and a letter give the transport commands, as the hidden accelerator buttons did.
    const std::array<std::pair<Qt::Key, QAction*>, 11> accelerators = {{
        {Qt::Key_P, miPlay_},
        {Qt::Key_S, miStop_},
        {Qt::Key_U, miPause_},
        {Qt::Key_E, miEject_},
        {Qt::Key_C, miCloseTray_},
        {Qt::Key_B, miBeginning_},
        {Qt::Key_L, miLast_},
        {Qt::Key_N, miNext_},
        {Qt::Key_Z, miRewind_},
        {Qt::Key_X, miForward_},
        {Qt::Key_T, miGotoTrack_},
    }};
    for (const auto& [key, action] : accelerators) {
        auto* shortcut = new QShortcut(QKeySequence(Qt::ALT | key), this);
        connect(shortcut, &QShortcut::activated, action, &QAction::trigger);
    }
}

void TSnx::btnPlayClick() {
    Run([](PlayerEngine& e) { e.Play(); });
}
void TSnx::btnStopClick() {
    Run([](PlayerEngine& e) { e.Stop(); });
}
void TSnx::btnPauseClick() {
    Run([](PlayerEngine& e) { e.Pause(); });
}
void TSnx::btnForwardClick() {
    Run([](PlayerEngine& e) { e.Forward(); });
}
void TSnx::btnBackClick() {
    Run([](PlayerEngine& e) { e.Back(); });
}
void TSnx::btnEjectClick() {
    Run([](PlayerEngine& e) { e.Eject(); });
}
void TSnx::btnCloseClick() {
    Run([](PlayerEngine& e) { e.CloseTray(); });
}
void TSnx::btnStartClick() {
    Run([](PlayerEngine& e) { e.RestartTrack(); });
}
void TSnx::btnSkipBackClick() {
    Run([](PlayerEngine& e) { e.Skip(SkipDirection::Back); });
}
void TSnx::BtnSkipForwardClick() {
    Run([](PlayerEngine& e) { e.Skip(SkipDirection::Forward); });
}
void TSnx::btnSkipBackMouseDown() {
    Run([](PlayerEngine& e) { e.StartSkip(SkipDirection::Back); });
}
void TSnx::BtnSkipForwardMouseDown() {
    Run([](PlayerEngine& e) { e.StartSkip(SkipDirection::Forward); });
}
void TSnx::btnSkipBackMouseUp() {
    engine_->EndSkip(SkipDirection::Back);
}
void TSnx::BtnSkipForwardMouseUp() {
    engine_->EndSkip(SkipDirection::Forward);
}
void TSnx::tmrSkipTimer() {
    Run([](PlayerEngine& e) { e.SkipTick(); });
}
void TSnx::btnRepeatClick() {
    engine_->ToggleRepeat();
}
void TSnx::btnBegClick() {
    Run([](PlayerEngine& e) { e.MarkBookmark(); });
}
void TSnx::TimerTimer() {
    Run([](PlayerEngine& e) { e.Tick(); });
}
void TSnx::SetTimer(int milliseconds) {
    engine_->SetTickInterval(milliseconds);
}

void TSnx::btnModeClick() {
    Run([this](PlayerEngine& e) {
        const bool shown = ChangePlayMode(
            e, [this](std::optional<ModeButton> marked) { return TfrmMode::Ask(this, marked); });
        // The mode line shows the new mode now, not at the next tick.
        if (shown && e.State.DiscShown) {
            e.RedrawHandset();
        }
    });
}

void TSnx::btnTrackClick() {
    const CurrentDisc& disc = engine_->Disc();
    const DiscClaim claim = disc.Claim();
    // The device keeps the last disc's table after it leaves the drive; those are not tracks.
    const std::vector<std::string> rows =
        TrackRows(engine_->SelectableTrackCount(), disc.Record(), disc.Tracks());
    const std::optional<int> track = TfrmTracks::Ask(this, rows);
    // A track of the disc the list showed, not of one inserted meanwhile.
    if (track && disc.Holds(claim)) {
        Run([track](PlayerEngine& e) { e.GoToTrack(*track); });
    }
}

void TSnx::Cust1Click() {
    EditProgramme(*engine_, ProgrammeFlavour::Programme,
                  [this](ProgrammeLists& lists) { return TfrmProgramme::Ask(this, lists); });
}

void TSnx::Fitt1Click() {
    EditProgramme(*engine_, ProgrammeFlavour::Fit,
                  [this](ProgrammeLists& lists) { return TfrmFit::Ask(this, lists); });
}

template <typename Command>
void TSnx::Run(Command command) {
    if (!EngineMayRun()) {
        return;
    }
    try {
        command(*engine_);
    } catch (const EMCIDeviceError& error) {
        ShowError(error.what());
    }
}

void TSnx::Wire() {
    connect(btnPlay_, &QToolButton::clicked, miPlay_, &QAction::trigger);
    connect(btnStop_, &QToolButton::clicked, miStop_, &QAction::trigger);
    connect(btnPause_, &QToolButton::clicked, miPause_, &QAction::trigger);
    connect(btnEject_, &QToolButton::clicked, miEject_, &QAction::trigger);
    connect(btnClose_, &QToolButton::clicked, miCloseTray_, &QAction::trigger);
    connect(btnStart_, &QToolButton::clicked, miBeginning_, &QAction::trigger);
    connect(btnBack_, &QToolButton::clicked, miLast_, &QAction::trigger);
    connect(btnForward_, &QToolButton::clicked, miNext_, &QAction::trigger);
    connect(btnTrack_, &QToolButton::clicked, miGotoTrack_, &QAction::trigger);
    connect(btnMode_, &QToolButton::clicked, miModeOfPlay_, &QAction::trigger);
    connect(btnData_, &QToolButton::clicked, miData_, &QAction::trigger);
    connect(btnBrowse_, &QToolButton::clicked, miBrowse_, &QAction::trigger);
    connect(SpeedButton13_, &QToolButton::clicked, miData_, &QAction::trigger);
    connect(SpeedButton14_, &QToolButton::clicked, miBrowse_, &QAction::trigger);
    // The skip buttons act on press and repeat while held; their release ends the repeat.
    connect(btnSkipBack_, &QToolButton::pressed, this, &TSnx::btnSkipBackMouseDown);
    connect(btnSkipBack_, &QToolButton::released, this, &TSnx::btnSkipBackMouseUp);
    connect(BtnSkipForward_, &QToolButton::pressed, this, &TSnx::BtnSkipForwardMouseDown);
    connect(BtnSkipForward_, &QToolButton::released, this, &TSnx::BtnSkipForwardMouseUp);
    connect(btnRepeat_, &QPushButton::clicked, miRepeat_, &QAction::trigger);
    connect(btnBeg_, &QPushButton::clicked, this, &TSnx::btnBegClick);

    connect(timer_, &QTimer::timeout, this, &TSnx::TimerTimer);
    connect(tmrSkip_, &QTimer::timeout, this, &TSnx::tmrSkipTimer);
    connect(tmrVolume_, &QTimer::timeout, this, [this] { tmrVolumeTimer(); });

    const auto displayClick = [this](QPoint, Qt::MouseButton button) {
        if (button == Qt::LeftButton) {
            DisplayClick();
        }
    };
    connect(display_, &ImageControl::Pressed, this, displayClick);
    connect(imgTime_, &ImageControl::Pressed, this, displayClick);
    connect(imgMode_, &ImageControl::Pressed, this, [this](QPoint, Qt::MouseButton button) {
        if (button == Qt::LeftButton) {
            btnModeClick();
        }
    });
    connect(imgTrack_, &ImageControl::Pressed, this, [this](QPoint, Qt::MouseButton button) {
        if (button == Qt::LeftButton) {
            btnTrackClick();
        }
    });
    connect(
        imgTracks_, &ImageControl::Pressed, this,
        [this](QPoint position, Qt::MouseButton button) { imgTracksMouseDown(position, button); });
    connect(
        iFourWay_, &ImageControl::Pressed, this,
        [this](QPoint position, Qt::MouseButton button) { iFourWayMouseDown(position, button); });
    connect(iFourWay_, &ImageControl::Released, this, [this](QPoint, Qt::MouseButton button) {
        if (button == Qt::LeftButton) {
            iFourWayMouseUp();
        }
    });
}

void TSnx::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        FormShow();
    }
    engine_->FirstTickAfterShow = true;
}

void TSnx::FormShow() {
    Settings& settings = AppSettings();
    device_.FindCdDrives();
    SetButtons(engine_->Pattern(), engine_->Commands());
    miDiscData_->setChecked(settings.ShowDiscData);
    miExt_->setChecked(settings.ShowExtendedHandset);
    dData_->resize((settings.ShowExtendedHandset ? wideWidth_ : narrowWidth_) - 24,
                   dData_->height());
    LayoutDiscData();
    device_.FindCdAuxDevice();
    device_.OpenDrive(settings.CdromInUse);
    if (device_.IsOpen()) {
        engine_->ApplyVolume();
        timer_->start();
    } else {
        btnPlay_->setEnabled(false);
    }
    ProbeWaveDevice();
    SetBitmapButtons();
    catalogue_.OpenDiscVlf();
    catalogue_.CloseDiscVlf();
}

void TSnx::closeEvent(QCloseEvent* event) {
    if (LaterIfWorking([this] { close(); })) {
        event->ignore();
        return;
    }
    // Closed while the small handset stands in for it (the desktop's Quit): the program ends, so
    // the small handset closes too. Its close, not a hide, is what lets the program end once no
    // window is left; it must not call back here.
    if (small_) {
        disconnect(small_.get(), &TfrmSmall::Closed, this, nullptr);
        closedSmall_ = std::move(small_);
        closedSmall_->close();
        smallHandsetShown_ = false;
    }
    Settings& settings = AppSettings();
    if (settings.AutoStopOnClose && device_.IsOpen()) {
        device_.Stop();
    }
    timer_->stop();
    tmrSkip_->stop();
    tmrVolume_->stop();
    SaveSettingsReporting();
    device_.CloseDrive();
    event->accept();
}

void TSnx::changeEvent(QEvent* event) {
    // FormResize: a window brought back from the task bar says only its name until the tick.
    if (event->type() == QEvent::WindowStateChange && !isMinimized() && shownOnce_) {
        setWindowTitle(QStringLiteral("SNX"));
    }
    QMainWindow::changeEvent(event);
}

bool TSnx::eventFilter(QObject* watched, QEvent* event) {
    // F1 in any of the program's windows opens that window's help page.
    if (event->type() == QEvent::KeyPress &&
        static_cast<const QKeyEvent*>(event)->key() == Qt::Key_F1) {
        const auto* widget = qobject_cast<const QWidget*>(watched);
        if (const int topic = widget != nullptr ? HelpContextOf(widget) : 0; topic != 0) {
            ShowHelp(topic);
            return true;
        }
    }
    // Hints for the whole program: off by the menu, and never up for more than two seconds.
    if (event->type() == QEvent::ToolTip) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!AppSettings().ShowHints) {
            return true;
        }
        if (widget != nullptr && !widget->toolTip().isEmpty()) {
            const auto* help = static_cast<QHelpEvent*>(event);
            QToolTip::showText(help->globalPos(), widget->toolTip(), widget, {}, kHintTime);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TSnx::SaveSettingsReporting() {
    try {
        SaveSettings();
    } catch (const SettingsWriteError& error) {
        ShowError(error.what());
    }
}

void TSnx::RequestAutoPlay() {
    engine_->State.AutoPlayRequested = true;
    if (engine_->State.DiscShown && device_.IsOpen() && device_.GetMode() != CdMode::Playing) {
        Run([](PlayerEngine& e) { e.Play(); });
    }
}

void TSnx::ComeForward() {
    QWidget* shown = small_ ? static_cast<QWidget*>(small_.get()) : this;
    if (shown->isMinimized()) {
        shown->showNormal();
    }
    shown->raise();
    shown->activateWindow();
}

// ---- Display -------------------------------------------------------------------------------

void TSnx::SetDisplay() {
    Fill(panDisplay_, led_.Style().Back);
    led_.DrawBackground(display_->Image());
    for (ImageControl* line : {imgMode_, imgTrack_, imgTime_}) {
        line->Image().fill(led_.Style().Back);
        line->update();
    }
    display_->update();
    LayoutDiscData();
}

void TSnx::DisplayClick() {
    showDiscTimes_ = !showDiscTimes_;
    display_->setToolTip(
        showDiscTimes_ ? QStringLiteral("Click with the left mouse button to show track details")
                       : QStringLiteral("Click with the left mouse button to show disk details"));
}

void TSnx::Redraw(const PlayerEngine& engine) {
    const PlayerState& state = engine.State;
    led_.DrawLine(imgMode_->Image(), QString::fromStdString(engine.ModeLine()));
    imgMode_->update();

    const int current = state.CurrentTrack;
    if (highlighted_ != current) {
        if (showTrackGrid_) {
            if (highlighted_ > 0) {
                trackPainter_.DrawTrackNumber(imgTracks_->Image(), highlighted_,
                                              trackPainter_.Style().Fore);
            }
            if (current > 0) {
                trackPainter_.DrawTrackNumber(imgTracks_->Image(), current,
                                              trackPainter_.Style().Selected);
            }
            imgTracks_->update();
        }
        highlighted_ = current;
        labTrack_->setText(FromStored(engine.Disc().Tracks().Cell(0, current)));
    }
    led_.DrawLine(imgTrack_->Image(), QStringLiteral("Track: %1").arg(current));
    imgTrack_->update();

    led_.DrawLine(imgTime_->Image(),
                  showDiscTimes_ ? QStringLiteral("Disc time") : QStringLiteral("Track time"));
    imgTime_->update();
    if (showDiscTimes_) {
        led_.DrawClocks(display_->Image(), state.DiscElapsed, state.DiscRemaining);
    } else {
        led_.DrawClocks(display_->Image(), state.TrackElapsed, state.TrackRemaining);
    }
    display_->update();
    AnnounceDisplay(engine);
}

void TSnx::SetTitle(std::string_view title) {
    setWindowTitle(FromUtf8(title));
}

// ---- Track panel ---------------------------------------------------------------------------

void TSnx::imgTracksSetup() {
    const Settings& settings = AppSettings();
    trackPainter_ =
        TrackPanelPainter({SettingsFont(settings.TrackFontName, settings.TrackFontSize, false),
                           ToQColor(settings.TrackFontColor), ToQColor(settings.TrackSelectedColor),
                           ToQColor(settings.TrackBackColor)});
    imgTracks_->Resize(imgPanel_->size() - QSize(4, 4));
    imgTracks_->move(2, 2);
    trackPainter_.Setup(imgTracks_->Image(), showTrackGrid_);
    imgTracks_->update();
}

void TSnx::DrawAllTracks(int current) {
    trackPainter_.DrawAll(imgTracks_->Image(), device_.TrackCount, current);
    imgTracks_->update();
}

void TSnx::ShowBitmap() {
    const std::filesystem::path shown =
        DiscPictureFile(catalogue_, engine_->Disc().Record(),
                        std::filesystem::path(AppSettings().ProgramDirectory));
    TrackPanelPainter::DrawPicture(imgTracks_->Image(),
                                   QImage(QString::fromStdString(shown.string())));
    imgTracks_->update();
}

void TSnx::ShowDisc(const PlayerEngine& engine) {
    const int current = engine.State.CurrentTrack;
    if (showTrackGrid_) {
        imgTracksSetup();
        DrawAllTracks(current);
    } else {
        ShowBitmap();
    }
    ShowRecordLabels();
}

void TSnx::ShowRecordLabels() {
    const DiscRecord& record = engine_->Disc().Record();
    labName_->setText(FromStored(record.Name));
    labTrack_->clear();
    LabComp_->setText(FromStored(record.Composer));
    labArt_->setText(FromStored(record.Artist));
    highlighted_ = -1;  // the next tick draws the current track's highlight again
}

void TSnx::ClearDisc() {
    imgTracksSetup();
    SetDisplay();
    for (QLabel* label : {labName_, labTrack_, LabComp_, labArt_}) {
        label->clear();
    }
}

void TSnx::imgTracksMouseDown(QPoint position, Qt::MouseButton button) {
    if (button == Qt::LeftButton) {
        const int track =
            TrackAtPoint(position.x(), position.y(), imgTracks_->width(), device_.TrackCount);
        if (track > 0 && device_.IsOpen()) {
            Run([track](PlayerEngine& e) { e.GoToTrack(track); });
        }
    } else if (button == Qt::RightButton) {
        showTrackGrid_ = !showTrackGrid_;
        imgTracksSetup();
        if (!showTrackGrid_) {
            ShowBitmap();
        } else if (engine_->State.DiscShown) {
            DrawAllTracks(engine_->State.CurrentTrack);
        }
    }
}

// ---- Buttons -------------------------------------------------------------------------------

void TSnx::SetButtons(ButtonPattern, const CommandAvailability& can) {
    const auto group = [](bool on, std::initializer_list<QWidget*> widgets,
                          std::initializer_list<QAction*> actions) {
        for (QWidget* widget : widgets) {
            widget->setEnabled(on);
        }
        for (QAction* action : actions) {
            action->setEnabled(on);
        }
    };
    group(can.Play, {btnPlay_}, {miPlay_});
    group(can.Mode, {btnMode_}, {miModeOfPlay_});
    group(can.Stop, {btnStop_}, {miStop_});
    group(can.Mark, {btnBeg_}, {});
    group(can.Skips, {btnSkipBack_, BtnSkipForward_, btnStart_},
          {miRewind_, miForward_, miBeginning_});
    group(can.Next, {btnForward_}, {miNext_});
    group(can.GotoTrack, {btnTrack_}, {miGotoTrack_});
    group(can.Programme, {}, {miProgramme_});
    group(can.Fit, {}, {miFitTracks_});
    group(can.Edit, {btnData_, SpeedButton13_}, {miData_});
    group(can.Sample, {btnSample_}, {});
    group(can.Previous, {btnBack_}, {miLast_});
    group(can.Pause, {btnPause_}, {miPause_});
    btnClose_->setEnabled(can.CloseTray);
    btnEject_->setEnabled(can.Eject);
}

void TSnx::SetBitmapButtons() {
    const char* const suffix = AppSettings().UseColorButtons ? "Color" : "Mono";
    const std::array<std::pair<QToolButton*, const char*>, 16> glyphs = {{
        {btnPlay_, "Play"},
        {btnStop_, "Stop"},
        {btnPause_, "Pause"},
        {btnEject_, "Eject"},
        {btnClose_, "Close"},
        {btnBack_, "Last"},
        {btnForward_, "Next"},
        {btnSkipBack_, "Rew"},
        {BtnSkipForward_, "FF"},
        {btnStart_, "Start"},
        {btnTrack_, "Tracks"},
        {btnMode_, "Mode"},
        {btnData_, "Data"},
        {btnBrowse_, "Browse"},
        {btnSample_, "Sample"},
        {btnPlaySamp_, "PlaySample"},
    }};
    for (const auto& [button, name] : glyphs) {
        button->setIcon(ButtonGlyph(std::string(name) + suffix));
    }
}

void TSnx::SetRepeat(bool on, std::string_view glyph) {
    miRepeat_->setChecked(on);
    btnRepeat_->setIcon(ButtonGlyph(glyph));
}

// ---- Disc data panel and window size -------------------------------------------------------

void TSnx::LayoutDiscData() {
    const Settings& settings = AppSettings();
    const QColor back = ToQColor(settings.DiscDataBackColor);
    Fill(dData_, back);
    QFont font = SettingsFont(settings.DiscDataFontName, settings.DiscDataFontSize, false);
    QPalette palette = dData_->palette();
    palette.setColor(QPalette::WindowText, ToQColor(settings.DiscDataFontColor));
    const std::array<QLabel*, 4> values = {labName_, labTrack_, LabComp_, labArt_};
    for (QLabel* label : captions_) {
        label->setFont(font);
        label->setPalette(palette);
        label->adjustSize();
    }
    const int h = captions_[0]->height();
    const int valueLeft = captions_[2]->width() + 8;
    for (std::size_t i = 0; i < captions_.size(); ++i) {
        // Each line one pixel further apart than the font's height.
        const int top = static_cast<int>(i) * (h + 1) + 2;
        captions_[i]->move(4, top);
        values[i]->setFont(font);
        values[i]->setPalette(palette);
        values[i]->setGeometry(valueLeft, top, std::max(0, dData_->width() - valueLeft - 4), h);
    }
    dData_->resize(dData_->width(), 4 * h + 14);
    tallHeight_ = dData_->geometry().bottom() + 1 + 7;
    shortHeight_ = btnBeg_->geometry().bottom() + 1 + 7;
    wideWidth_ = b4_->geometry().right() + 1 + 13;
    narrowWidth_ = btnBeg_->geometry().right() + 1 + 13;
    SetClientSize(settings.ShowExtendedHandset ? wideWidth_ : narrowWidth_,
                  settings.ShowDiscData ? tallHeight_ : shortHeight_);
}

void TSnx::SetClientSize(int width, int height) {
    client_->setFixedSize(width, height);
    // Fixed size: the menu bar above the client area decides the rest.
    setFixedSize(width, height + menuBar()->sizeHint().height());
}

void TSnx::miDiscDataClick() {
    Settings& settings = AppSettings();
    settings.ShowDiscData = miDiscData_->isChecked();
    SetClientSize(miExt_->isChecked() ? wideWidth_ : narrowWidth_,
                  settings.ShowDiscData ? tallHeight_ : shortHeight_);
    SaveSettingsReporting();
}

void TSnx::miExtClick() {
    Settings& settings = AppSettings();
    settings.ShowExtendedHandset = miExt_->isChecked();
    const int width = settings.ShowExtendedHandset ? wideWidth_ : narrowWidth_;
    dData_->resize(width - 24, dData_->height());
    LayoutDiscData();
    SetClientSize(width, miDiscData_->isChecked() ? tallHeight_ : shortHeight_);
    SaveSettingsReporting();
}

// ---- Volume --------------------------------------------------------------------------------

void TSnx::SetVolumeGauges(int left, int right) {
    gauges_ = {left, right};
    DrawGauges();
}

void TSnx::DrawGauges() {
    const Settings& settings = AppSettings();
    const QColor back = ToQColor(settings.VolumeBarBackColor);
    const QColor fore = ToQColor(settings.VolumeBarForeColor);
    const std::array<ImageControl*, 2> bars = {gLeft_, gRight_};
    for (std::size_t i = 0; i < bars.size(); ++i) {
        QPainter painter(&bars[i]->Image());
        DrawGauge(painter, bars[i]->Image().rect(), gauges_[i], back, fore);
        bars[i]->update();
    }
}

void TSnx::VolumeChanged() {
    const Settings& settings = AppSettings();
    SetVolumeGauges(settings.VolumeLeft, settings.VolumeRight);
    engine_->ApplyVolume();
    AnnounceVolume();
}

void TSnx::iFourWayDraw() {
    DrawFourWay(
        iFourWay_->Image(), volume_.HeldArrows(),
        {ToQColor(AppSettings().VolumeDisplayBackColor), ButtonFaceColor(), ButtonShadowColor()});
    iFourWay_->show();
    iFourWay_->update();
}

void TSnx::iFourWayMouseDown(QPoint position, Qt::MouseButton button) {
    if (button != Qt::LeftButton) {
        return;
    }
    volume_.Press(position.x(), position.y());
    iFourWayDraw();
    tmrVolume_->start(AppSettings().VolumeRepeatDelay);
}

void TSnx::tmrVolumeTimer() {
    tmrVolume_->stop();
    volume_.Repeat();
    tmrVolume_->start(AppSettings().VolumeRepeatInterval);
}

void TSnx::iFourWayMouseUp() {
    tmrVolume_->stop();
    volume_.Release();
    iFourWayDraw();
    engine_->KeepDiscVolumes();
}

// ---- Menu commands -------------------------------------------------------------------------

void TSnx::Showhints1Click() {
    AppSettings().ShowHints = miHints_->isChecked();
    SaveSettingsReporting();
}

void TSnx::Autoplaymode1Click() {
    AppSettings().AutoPlayOnStartup = miAutoPlay_->isChecked();
    SaveSettingsReporting();
}

void TSnx::miVolClick() {
    Settings& settings = AppSettings();
    QString program = QString::fromStdString(settings.MixerControlProgram);
    const QFileInfo info(program);
    if (program.isEmpty() || !info.isFile() || !info.isExecutable()) {
        program = QFileDialog::getOpenFileName(this, QStringLiteral("Volume control program"),
                                               QString(), QStringLiteral("Applications (*)"));
        if (program.isEmpty()) {
            return;
        }
        settings.MixerControlProgram = program.toStdString();
        SaveSettingsReporting();
    }
    if (!QProcess::startDetached(program, {}, QFileInfo(program).absolutePath())) {
        ShowError("Cannot start " + program.toStdString());
    }
}

void TSnx::SelectCdRomClick() {
    device_.FindCdDrives();
    TfrmCD dialog(device_.DriveLetters, AppSettings().CdromInUse, this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    UseDrive(dialog.Selected());
}

void TSnx::UseDrive(int driveIndex) {
    if (LaterIfWorking([this, driveIndex] { UseDrive(driveIndex); })) {
        return;
    }
    AppSettings().CdromInUse = driveIndex;
    Run([driveIndex](PlayerEngine& e) { e.ReopenDrive(driveIndex); });
    SaveSettingsReporting();
    TickNow();
}

void TSnx::InsertImageClick() {
    const QFileInfo last(QString::fromStdString(AppSettings().VirtualDriveImage));
    const QString path = QFileDialog::getOpenFileName(
        this, QStringLiteral("Insert disc image"), last.absolutePath(),
        QStringLiteral("Disc images (*.cue *.toc *.nrg);;All files (*)"));
    if (!path.isEmpty()) {
        InsertDiscImage(path.toStdString());
    }
}

bool TSnx::InsertDiscImage(const std::string& imagePath) {
    if (LaterIfWorking([this, imagePath] { InsertDiscImage(imagePath); })) {
        return true;
    }
    bool inserted = false;
    Run([&](PlayerEngine& e) { inserted = e.InsertImage(imagePath); });
    if (!inserted) {
        ShowError("Cannot read the disc image " + imagePath);
        return false;
    }
    SaveSettingsReporting();
    TickNow();
    return true;
}

void TSnx::TickNow() {
    // The new drive's disc shows at once rather than on the next tick.
    if (device_.IsOpen()) {
        TimerTimer();
    }
}

void TSnx::ShowHelp(int topic) {
    // A modal dialog blocks every window but its own: its help is a window of the dialog.
    if (QWidget* modal = QApplication::activeModalWidget(); modal != nullptr && modal != this) {
        auto* help = modal->findChild<HelpWindow*>(QString(), Qt::FindDirectChildrenOnly);
        if (help == nullptr) {
            help = new HelpWindow(modal);
        }
        help->ShowTopic(topic);
        return;
    }
    if (help_ == nullptr) {
        help_ = new HelpWindow(this);
    }
    help_->ShowTopic(topic);
}

void TSnx::AboutClick() {
    QDialog about(this);
    about.setWindowTitle(QStringLiteral("About Sonatrix"));
    auto* layout = new QVBoxLayout(&about);
    auto* text = new QLabel(QStringLiteral("<b>Sonatrix</b><br>An audio CD player with a disc "
                                           "catalogue.<br><br>Version %1")
                                .arg(QStringLiteral(SONATRIX_VERSION)));
    layout->addWidget(text);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, &about, &QDialog::accept);
    layout->addWidget(buttons);
    about.exec();
}

// ---- Window and timers for the engine ------------------------------------------------------

// Where the compositor places windows (Wayland), the position a window reads is not where it is:
// the stored one stays for the next desktop that lets the program place it.
int TSnx::WindowTop() const {
    return PlatformPlacesWindows() ? y() : AppSettings().MainTop;
}
int TSnx::WindowLeft() const {
    return PlatformPlacesWindows() ? x() : AppSettings().MainLeft;
}

void TSnx::OpenSmallHandset() {
    Small2Click();
}

// ---- Small handset -------------------------------------------------------------------------

void TSnx::Small2Click() {
    if (small_) {
        return;
    }
    engine_->FirstTickAfterShow = false;
    small_ = std::make_unique<TfrmSmall>(*this, background_, windowIcon());
    // Kept while the small handset is up, so a program ended from it starts small next time.
    AppSettings().StartSmall = true;
    SaveSettingsReporting();
    hide();
    smallHandsetShown_ = true;
    connect(small_.get(), &TfrmSmall::Closed, this,
            [this](bool exitProgram) { SmallHandsetClosed(exitProgram); });
    // Not modal: the engine's tick opens it, and no event loop may run inside the tick.
    small_->show();
}

void TSnx::SmallHandsetClosed(bool exitProgram) {
    // Called from inside the small handset's close: it may be freed only once that has returned.
    closedSmall_ = std::move(small_);
    QTimer::singleShot(0, this, [this] { closedSmall_.reset(); });
    if (exitProgram) {
        close();
        return;
    }
    AppSettings().StartSmall = false;
    SaveSettingsReporting();
    // Shown before the small handset hides, so the program never has no window up.
    show();
    smallHandsetShown_ = false;
}

const HandsetStatus& TSnx::Status() const {
    return *engine_;
}

void TSnx::Exit1Click() {
    close();
}

void TSnx::SetTickEnabled(bool enabled) {
    if (enabled) {
        timer_->start();
    } else {
        timer_->stop();
    }
}

void TSnx::SetTickInterval(int milliseconds) {
    timer_->setInterval(milliseconds);
}

void TSnx::SetSkipTimer(bool enabled, int milliseconds) {
    tmrSkip_->setInterval(milliseconds);
    if (enabled) {
        tmrSkip_->start();
    } else {
        tmrSkip_->stop();
    }
}

bool TSnx::TickActive() const {
    return timer_->isActive();
}

}  // namespace snx
