// TSnx, the main handset: the LED display, the track panel, the volume panel, the transport
// buttons, the disc data panel and the main menu. It shows the engine's state and forwards the
// user's commands; the playing logic stays in PlayerEngine.
#pragma once

#include <QImage>
#include <QMainWindow>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "archive/archive_job.h"
#include "archive/archive_window.h"

#include "handset/led_painter.h"
#include "handset/track_panel_painter.h"
#include "player/handset_commands.h"
#include "player/player_view.h"
#include "player/spoken_display.h"
#include "player/volume_control.h"

class QAction;
class QFrame;
class QLabel;
class QTimer;
class QToolButton;
class QPushButton;

namespace snx {

class CdDevice;
class DiscCatalogue;
class HelpWindow;
class ImageControl;
class OnlineLookup;
struct LookupOutcome;
class PlayerEngine;
class PrintLayer;
class RecordingHook;
class TPrintingDlg;
class TfrmRecord;
class TfrmSmall;
class WaveDevice;

class TSnx final : public QMainWindow, public PlayerView, public HandsetCommands {
    Q_OBJECT
  public:
    // FormCreate: settings must be loaded. wave plays and records samples on device's disc.
    // autoPlay is the command line's play request.
    TSnx(CdDevice& device, DiscCatalogue& catalogue, RecordingHook& recording, WaveDevice& wave,
         bool autoPlay, QWidget* parent = nullptr);
    ~TSnx() override;

    PlayerEngine& Engine() override { return *engine_; }
    // A second start asked for play ("/P"): play the disc in the drive, and every later one.
    void RequestAutoPlay();
    // Brings the window forward, restoring it when minimised; the small handset when it is up.
    void ComeForward() override;
    // Menu "Exi&t": closes the window, which ends the program.
    void Exit1Click() override;

    // Menu "Sm&all!": hides this window and shows the small handset in its place, until the
    // small handset ends the program or gives way to this window again.
    void Small2Click();
    bool SmallHandsetShown() const { return smallHandsetShown_; }
    TfrmSmall* SmallHandset() const { return small_.get(); }
    // What the small handset and the session bus read: the engine's state of play.
    const HandsetStatus& Status() const override;
    const QImage& BackgroundTile() const { return background_; }
    void SaveSettingsReporting() override;
    // Opens the help window at a topic's page.
    void ShowHelp(int topic);

    // PlayerView
    void SetButtons(ButtonPattern pattern, const CommandAvailability& can) override;
    void ShowDisc(const PlayerEngine& engine) override;
    void SetVolumeGauges(int left, int right) override;
    void Redraw(const PlayerEngine& engine) override;
    void ClearDisc() override;
    void SetTitle(std::string_view title) override;
    void SetRepeat(bool on, std::string_view glyph) override;
    int WindowTop() const override;
    int WindowLeft() const override;
    void OpenSmallHandset() override;
    void SetTickEnabled(bool enabled) override;
    void SetTickInterval(int milliseconds) override;
    void SetSkipTimer(bool enabled, int milliseconds) override;

    bool TickActive() const;
    HelpWindow* Help() const { return help_; }
    int TallHeight() const { return tallHeight_; }
    int ShortHeight() const { return shortHeight_; }
    int WideWidth() const { return wideWidth_; }
    int NarrowWidth() const { return narrowWidth_; }

    // The transport commands of the buttons and menu items, for every window that forwards
    // them; a closed device is reported to the user.
    void btnPlayClick() override;
    void btnStopClick() override;
    void btnPauseClick() override;
    void btnForwardClick() override;
    void btnBackClick() override;
    void btnEjectClick() override;
    void btnCloseClick() override;
    void btnStartClick();
    void btnSkipBackClick();
    void BtnSkipForwardClick();
    // The skip buttons act on press and repeat on tmrSkip while held.
    void btnSkipBackMouseDown();
    void BtnSkipForwardMouseDown();
    void btnSkipBackMouseUp();
    void BtnSkipForwardMouseUp();
    void tmrSkipTimer();
    void btnRepeatClick();
    void btnBegClick();
    // One tick of the engine; the tick's timer runs it.
    void TimerTimer();
    // The tick interval in milliseconds (a sample recording ticks faster).
    void SetTimer(int milliseconds);
    // Opens the play mode dialog; refused while the disc plays.
    void btnModeClick();
    // Opens the track list and goes to the chosen track.
    void btnTrackClick();
    // The custom programme dialogs; OK makes the play list the disc's programme.
    void Cust1Click();
    void Fitt1Click();
    // Edits the record of the disc in the drive and stores it, whichever way the editor closes.
    void btnDataClick() override;
    // The catalogue browser; afterwards the disc panel shows the disc's record as now stored.
    void btnBrowseClick() override;
    // The printing of both reports, with the one progress window made at start.
    PrintLayer& Printing() { return *printLayer_; }
    TPrintingDlg* PrintingDialog() const { return printing_; }
    // The reference list editor of the list with this letter (C, A, L or T).
    void mTypeClick(char letter);
    // Starts the external volume program, asking for it when none is set.
    void miVolClick() override;
    bool VolumeKey(int key) override;
    // Menu "&Configure Sonatrix...": the configuration dialog; on OK the settings are saved and
    // this window takes the new look at once.
    void ConfigureSonatrix1Click();
    // Redraws everything that shows a colour, font or picture of the settings, as they are now.
    void ApplySettings();
    // The drive selection dialog; on OK the chosen drive is opened and the choice saved.
    void SelectCdRomClick();
    // Plays from the drive of that index from now on, and at the next start.
    void UseDrive(int driveIndex);
    // Asks for a disc image and inserts it.
    void InsertImageClick();
    // Puts the image in the virtual drive and plays from that drive, remembering it for the
    // next start; an unreadable image is reported and changes nothing.
    bool InsertDiscImage(const std::string& imagePath);

    void DisplayClick();
    void miDiscDataClick();
    void miExtClick();

    // File menu: the export and import dialogs, and the catalogue's rebuild. After an import or
    // a rebuild the disc in the drive shows its record as now stored.
    void Exportdatabase1Click();
    void Importdatabase1Click();
    void Rebuilddatabase1Click();

    // Samples. The recording options are the one dialog made at start (and the engine's
    // recording hook); the handset shows it and attaches it to the engine and wave device.
    void UseRecordDialog(TfrmRecord& dialog);
    void btnSampleClick();
    void btnPlaySampClick();
    // Plays a WAVE file to its end through the wave device (the disc editor's sample).
    void PlaySampleToEnd(const std::filesystem::path& file);

    // File menu "&Archive disc...": the disc the source gives (the drive in use) copied into
    // the archive folder in a window of its own; one archive at a time.
    void UseArchiveSource(std::function<std::optional<ArchiveSource>()> source);
    void ArchiveDiscClick();
    ArchiveWindow* OpenArchiveWindow() { return archive_.get(); }

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildControls();
    void BuildSampleButtons();
    // Disables the sample buttons that the wave device cannot serve.
    void ProbeWaveDevice();
    void BuildMenus();
    void Wire();
    void FormShow();

    void SetDisplay();
    // Names, roles and keys for screen readers (handset_accessibility.cpp).
    void DescribeForReaders();
    // Raises the events that make a reader announce the display's track or mode, once changed.
    void AnnounceDisplay(const PlayerEngine& engine);
    void AnnounceVolume();
    bool TrackPanelKey(int key);
    void LayoutDiscData();
    void SetClientSize(int width, int height);
    void SetBitmapButtons();
    // The disc panel's name, composer and artist from the record; the track line emptied.
    void ShowRecordLabels();
    // A new disc that nothing names is looked up online when the settings allow it; what is
    // found fills its record in memory, stored when the user stores it, and a failure is one
    // line on the disc panel.
    void LookUpUnknownDisc();
    void TakeLookup(const std::string& identity, const LookupOutcome& outcome);
    void imgTracksSetup();
    void DrawAllTracks(int current);
    void ShowBitmap();
    void imgTracksMouseDown(QPoint position, Qt::MouseButton button);
    void iFourWayDraw();
    void iFourWayMouseDown(QPoint position, Qt::MouseButton button);
    void iFourWayMouseUp();
    void tmrVolumeTimer();
    void VolumeChanged();
    void DrawGauges();
    void Showhints1Click();
    void Autoplaymode1Click();
    void AboutClick();
    void TickNow();
    void SmallHandsetClosed(bool exitProgram);
    // Runs a device command; a closed device is reported, not thrown through the event loop.
    template <typename Command>
    void Run(Command command);
    // While export, import or rebuild work runs, the engine runs only for a disc already taken
    // up: a new disc's record would be read from the catalogue in the middle of the work.
    bool EngineMayRun() const;
    // True when such work runs: command is then run again once it has ended.
    bool LaterIfWorking(std::function<void()> command);

    CdDevice& device_;
    DiscCatalogue& catalogue_;
    RecordingHook& recording_;
    WaveDevice& wave_;
    std::unique_ptr<PlayerEngine> engine_;
    std::unique_ptr<OnlineLookup> lookup_;
    std::function<std::optional<ArchiveSource>()> archiveSource_;
    std::unique_ptr<ArchiveWindow> archive_;

    LedPainter led_;
    TrackPanelPainter trackPainter_{{}};
    VolumeControl volume_;
    QImage background_;
    bool showDiscTimes_ = false;
    bool showTrackGrid_ = true;
    int highlighted_ = -1;
    bool shownOnce_ = false;
    int tallHeight_ = 0;
    int shortHeight_ = 0;
    int wideWidth_ = 0;
    int narrowWidth_ = 0;
    std::array<int, 2> gauges_{};
    SpokenChange spokenChange_;
    int trackCursor_ = 1;  // the track panel's item under the keyboard

    QWidget* client_ = nullptr;
    QFrame* panDisplay_ = nullptr;
    ImageControl* display_ = nullptr;
    ImageControl* imgMode_ = nullptr;
    ImageControl* imgTrack_ = nullptr;
    ImageControl* imgTime_ = nullptr;
    QFrame* imgPanel_ = nullptr;
    ImageControl* imgTracks_ = nullptr;
    QFrame* panVolume_ = nullptr;
    ImageControl* gLeft_ = nullptr;
    ImageControl* gRight_ = nullptr;
    ImageControl* iFourWay_ = nullptr;
    QToolButton* btnPlay_ = nullptr;
    QToolButton* btnStop_ = nullptr;
    QToolButton* btnPause_ = nullptr;
    QToolButton* btnEject_ = nullptr;
    QToolButton* btnClose_ = nullptr;
    QToolButton* btnStart_ = nullptr;
    QToolButton* btnBack_ = nullptr;
    QToolButton* btnForward_ = nullptr;
    QToolButton* btnSkipBack_ = nullptr;
    QToolButton* BtnSkipForward_ = nullptr;
    QToolButton* btnTrack_ = nullptr;
    QToolButton* btnMode_ = nullptr;
    QToolButton* btnData_ = nullptr;
    QToolButton* btnBrowse_ = nullptr;
    // Second buttons of the editor and the browser, below the part of the window ever shown:
    // their captions' letters give Alt+D and Alt+W.
    QToolButton* SpeedButton13_ = nullptr;
    QToolButton* SpeedButton14_ = nullptr;
    QToolButton* btnSample_ = nullptr;
    QToolButton* btnPlaySamp_ = nullptr;
    TfrmRecord* record_ = nullptr;
    QPushButton* btnRepeat_ = nullptr;
    QPushButton* btnBeg_ = nullptr;
    QFrame* bevel2_ = nullptr;
    QFrame* bevel3_ = nullptr;
    QFrame* b4_ = nullptr;
    QFrame* dData_ = nullptr;
    std::array<QLabel*, 4> captions_{};
    QLabel* labName_ = nullptr;
    QLabel* labTrack_ = nullptr;
    QLabel* LabComp_ = nullptr;
    QLabel* labArt_ = nullptr;

    QAction* miPlay_ = nullptr;
    QAction* miStop_ = nullptr;
    QAction* miPause_ = nullptr;
    QAction* miNext_ = nullptr;
    QAction* miLast_ = nullptr;
    QAction* miBeginning_ = nullptr;
    QAction* miGotoTrack_ = nullptr;
    QAction* miProgramme_ = nullptr;
    QAction* miFitTracks_ = nullptr;
    QAction* miModeOfPlay_ = nullptr;
    QAction* miForward_ = nullptr;
    QAction* miRewind_ = nullptr;
    QAction* miEject_ = nullptr;
    QAction* miCloseTray_ = nullptr;
    QAction* miRepeat_ = nullptr;
    QAction* miAutoPlay_ = nullptr;
    QAction* miDiscData_ = nullptr;
    QAction* miExt_ = nullptr;
    QAction* miHints_ = nullptr;
    QAction* miData_ = nullptr;
    QAction* miBrowse_ = nullptr;

    std::unique_ptr<TfrmSmall> small_;
    // A closed small handset waits here until its close has returned, then is freed.
    std::unique_ptr<TfrmSmall> closedSmall_;
    bool smallHandsetShown_ = false;

    HelpWindow* help_ = nullptr;
    TPrintingDlg* printing_ = nullptr;
    std::unique_ptr<PrintLayer> printLayer_;
    QTimer* timer_ = nullptr;
    QTimer* tmrSkip_ = nullptr;
    QTimer* tmrVolume_ = nullptr;
};

}  // namespace snx
