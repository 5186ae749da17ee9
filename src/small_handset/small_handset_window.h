// TfrmSmall, the small handset: a row of small transport buttons, the play mode, and the disc and
// track lines, in place of the hidden main handset. It owns no play logic: every command goes to
// the main handset, and what it shows is read from it once a second.
#pragma once

#include <QIcon>
#include <QImage>
#include <QSize>
#include <QWidget>
#include <array>
#include <string>

#include "player/spoken_display.h"

class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QTimer;
class QToolButton;

namespace snx {

class HandsetBackground;
class HandsetCommands;

class TfrmSmall final : public QWidget {
    Q_OBJECT
  public:
    // FormCreate: builds the controls; settings must be loaded.
    TfrmSmall(HandsetCommands& main, const QImage& backgroundTile, const QIcon& icon);

    // Set at every show, cleared by the Full command. A close while it is set ends the program.
    bool ExitOnClose = true;

    // The once-a-second mirror: position saved, disc and track lines, caption, mode, buttons.
    void timSTimer();
    bool MirrorRunning() const;
    // Back to the main handset.
    void btnFullClick();
    // Toggles the tiny and the small form and saves the choice.
    void SpeedButton1Click();

    // Client sizes of the two forms, worked out at each show.
    QSize SmallSize() const { return smallSize_; }
    QSize TinySize() const { return tinySize_; }

  signals:
    // The window was closed; exitProgram is ExitOnClose at that moment.
    void Closed(bool exitProgram);

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QPushButton* AcceleratorButton(const char* name, const QString& caption, int left);
    void BuildControls();
    void BuildPopupMenu();
    // Names, the display as a sentence and the volume's values, for screen readers.
    void DescribeForReaders();
    // Raises the event that makes a reader announce the display, once its track or mode changed.
    void AnnounceDisplay();
    void Wire();
    void FormShow();
    void ApplySize();
    // Each transport button and its accelerator twin take the main handset's button state.
    void MirrorButtons();
    // Runs one of the main handset's transport commands, then mirrors its buttons.
    template <typename Command>
    void Transport(Command command);

    HandsetCommands& main_;
    HandsetBackground* client_ = nullptr;
    QToolButton* btnFull_ = nullptr;
    // btnPlay, btnStop, btnPause, BtnEject, btnClose.
    std::array<QToolButton*, 5> transport_{};
    // btnPlay1, btnStop1, btnPause1, btnEject1, btnClose1: the Alt-key accelerators.
    std::array<QPushButton*, 5> accelerators_{};
    QToolButton* SpeedButton1_ = nullptr;
    QToolButton* btnMix_ = nullptr;
    QLabel* Pan1_ = nullptr;
    QFrame* Pan_ = nullptr;
    QLabel* labName_ = nullptr;
    QFrame* bev_ = nullptr;
    QLabel* labTrack_ = nullptr;
    QMenu* popup_ = nullptr;
    QTimer* timS_ = nullptr;
    QSize smallSize_;
    QSize tinySize_;
    SpokenChange spokenChange_;
};

}  // namespace snx
