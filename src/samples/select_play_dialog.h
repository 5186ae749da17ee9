// TfrmSelectPlay, "Play wave file": plays the sample of the disc in the drive, of a catalogued
// disc or any WAVE file through the wave device, with a position bar to follow and move it. The
// CD is not touched.
#pragma once

#include <QDialog>
#include <QPixmap>
#include <filesystem>
#include <functional>
#include <memory>

class QTimer;

namespace Ui {
class TfrmSelectPlay;
}

namespace snx {

class DiscCatalogue;
class PlayerEngine;
class WaveDevice;
class WavePlayback;

// The small picture beside discs that have a sample.
QPixmap SoundPicture();

class TfrmSelectPlay final : public QDialog {
    Q_OBJECT
  public:
    TfrmSelectPlay(DiscCatalogue& catalogue, WaveDevice& wave, const PlayerEngine& engine,
                   QWidget* parent = nullptr);
    ~TfrmSelectPlay() override;

    void btnCurrentClick();
    void btnSelectedClick();
    void btnWaveClick();
    void StopWavePlayback();
    void TimerTimer();
    void trBarChange(int position);
    void done(int result) override;

    Ui::TfrmSelectPlay& Form() const { return *ui_; }
    QTimer* Timer() const;

    // Asks for a WAVE file; the program shows an open dialog, tests answer directly. Empty when
    // cancelled.
    std::function<QString()> AskWaveFile;

  private:
    void FormShow();
    void PlayFile(const std::filesystem::path& file);
    void PlaySampleAt(std::int32_t address);

    std::unique_ptr<Ui::TfrmSelectPlay> ui_;
    DiscCatalogue& catalogue_;
    WaveDevice& wave_;
    const PlayerEngine& engine_;
    WavePlayback* playback_ = nullptr;
    QPixmap sound_;
};

}  // namespace snx
