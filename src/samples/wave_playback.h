// A sample playing through the wave device with its controls: the stop button, the position bar
// in seconds that follows the playback and restarts it where the user moves it, and the start
// and length labels. Shared by the windows that play samples.
#pragma once

#include <QObject>
#include <cstdint>
#include <filesystem>

class QAbstractButton;
class QLabel;
class QSlider;
class QTimer;

namespace snx {

class WaveDevice;

class WavePlayback final : public QObject {
    Q_OBJECT
  public:
    // The controls belong to the window; this object is its child.
    WavePlayback(WaveDevice& wave, QAbstractButton* stop, QSlider* bar, QLabel* start, QLabel* end,
                 QObject* parent);
    ~WavePlayback() override;

    // Stops what plays, then plays the file without waiting. A file the device cannot open is
    // not heard and leaves the controls off.
    void PlayFile(const std::filesystem::path& file);
    // Closes what this object opened (a recording in progress keeps the device) and puts the
    // controls back: stop and bar disabled, bar at 0, labels empty.
    void Stop();
    // Every 100 ms while playing: the bar follows; the end of the sample stops.
    void TimerTimer();
    // The bar moved: a user's move plays from that second.
    void trBarChange(int position);

    bool Playing() const { return ownsWave_; }
    QTimer* Timer() const { return timer_; }

  private:
    void SetBar(int position);

    WaveDevice& wave_;
    QAbstractButton* stop_;
    QSlider* bar_;
    QLabel* start_;
    QLabel* end_;
    QTimer* timer_;
    std::int64_t length_ = 0;
    bool settingBar_ = false;
    bool ownsWave_ = false;  // the device holds a wave this object opened
};

}  // namespace snx
