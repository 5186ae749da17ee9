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
    QTimer* Timer() const { return timer_; }

    // Asks for a WAVE file; the program shows an open dialog, tests answer directly. Empty when
    // cancelled.
    std::function<QString()> AskWaveFile;

  private:
    void FormShow();
    void PlayFile(const std::filesystem::path& file);
    void PlaySampleAt(std::int32_t address);
    void StartWavePlayback();
    void SetBar(int position);

    std::unique_ptr<Ui::TfrmSelectPlay> ui_;
    DiscCatalogue& catalogue_;
    WaveDevice& wave_;
    const PlayerEngine& engine_;
    QTimer* timer_ = nullptr;
    QPixmap sound_;
    std::int64_t length_ = 0;
    std::int64_t position_ = 0;
    bool settingBar_ = false;
    bool ownsWave_ = false;  // the device holds a wave this dialog opened
};

}  // namespace snx
