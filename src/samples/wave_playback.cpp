#include "samples/wave_playback.h"

#include <QAbstractButton>
#include <QLabel>
#include <QSlider>
#include <QTimer>

#include "cd/cd_types.h"
#include "samples/wave_device.h"
#include "util/user_messages.h"

namespace snx {

namespace {
constexpr int kTimerInterval = 100;
}

WavePlayback::WavePlayback(WaveDevice& wave, QAbstractButton* stop, QSlider* bar, QLabel* start,
                           QLabel* end, QObject* parent)
    : QObject(parent),
      wave_(wave),
      stop_(stop),
      bar_(bar),
      start_(start),
      end_(end),
      timer_(new QTimer(this)) {
    timer_->setInterval(kTimerInterval);
    connect(timer_, &QTimer::timeout, this, &WavePlayback::TimerTimer);
    connect(stop_, &QAbstractButton::clicked, this, &WavePlayback::Stop);
    connect(bar_, &QSlider::valueChanged, this, &WavePlayback::trBarChange);
    start_->clear();
    end_->clear();
    stop_->setEnabled(false);
    bar_->setEnabled(false);
    bar_->setRange(0, 0);
}

WavePlayback::~WavePlayback() {
    if (ownsWave_) {
        wave_.CloseWave();
    }
}

void WavePlayback::SetBar(int position) {
    // The bar follows the playback; only the user's moves restart it.
    settingBar_ = true;
    bar_->setValue(position);
    settingBar_ = false;
}

void WavePlayback::PlayFile(const std::filesystem::path& file) {
    Stop();
    try {
        wave_.OpenWave(file.string());
        ownsWave_ = wave_.IsOpen();
        if (!ownsWave_) {
            return;  // not a wave the device can play: nothing is heard
        }
        stop_->setEnabled(true);
        bar_->setEnabled(true);
        length_ = wave_.GetWaveLength();
        start_->setText(QStringLiteral("0"));
        end_->setText(QString::asprintf("%6.2f", static_cast<double>(length_) * 0.001));
        settingBar_ = true;
        bar_->setRange(0, static_cast<int>(length_ / 1000));
        settingBar_ = false;
        SetBar(0);
        timer_->start();
        wave_.PlayWave(false);
    } catch (const EMCIDeviceError& error) {
        ShowError(error.what());
    }
}

void WavePlayback::TimerTimer() {
    if (!ownsWave_ || !wave_.IsOpen()) {
        Stop();
        return;
    }
    const std::int64_t position = wave_.GetWavePosition();
    SetBar(static_cast<int>(position / 1000));
    if (position >= length_) {
        Stop();
    }
}

void WavePlayback::trBarChange(int position) {
    if (settingBar_ || !ownsWave_ || !wave_.IsOpen()) {
        return;
    }
    wave_.PlayWaveFrom(static_cast<std::int64_t>(position) * 1000);
}

void WavePlayback::Stop() {
    if (ownsWave_) {
        wave_.CloseWave();
        ownsWave_ = false;
    }
    timer_->stop();
    stop_->setEnabled(false);
    bar_->setEnabled(false);
    SetBar(0);
    start_->clear();
    end_->clear();
}

}  // namespace snx
