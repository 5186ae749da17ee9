// Everything the program builds for its main window, over the virtual drive on the system clock,
// for benchmarks that time windows; and a watch for a widget's first paint.
#pragma once

#include <QApplication>
#include <QEvent>
#include <QObject>
#include <filesystem>
#include <memory>

#include "audio/clock.h"
#include "audio/null_output.h"
#include "bench/support/catalogue_session.h"
#include "cd/cd_device.h"
#include "cd/system_drives.h"
#include "handset/handset_window.h"
#include "player/recording_hook.h"
#include "samples/sound_wave_backend.h"
#include "samples/wave_device.h"

namespace snx::bench {

// Notes the first paint of a widget.
class PaintWatch final : public QObject {
  public:
    bool Painted = false;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        Painted = Painted || event->type() == QEvent::Paint;
        return false;
    }
};

struct Handset {
    explicit Handset(const std::filesystem::path& dir)
        : Session(dir),
          Drives({}, Clock, [this] { return std::make_unique<NullOutput>(Clock); }),
          Device(Drives),
          WaveBackend(Clock, [this] { return std::make_unique<NullOutput>(Clock); }),
          Wave(WaveBackend, Device, Device.LastError) {
        AppSettings().CdromInUse = Drives.VirtualDriveIndex();
    }
    ~Handset() {
        if (Window) {
            Window->close();
        }
    }
    Handset(const Handset&) = delete;
    Handset& operator=(const Handset&) = delete;

    // Shows the window and returns once its face has been painted.
    void ShowUntilPainted() {
        PaintWatch watch;
        Window->centralWidget()->installEventFilter(&watch);
        Window->show();
        while (!watch.Painted) {
            QApplication::processEvents();
        }
        Window->centralWidget()->removeEventFilter(&watch);
    }

    CatalogueSession Session;
    SystemClock Clock;
    SystemDrives Drives;
    CdDevice Device;
    NoRecording Recording;
    SoundWaveBackend WaveBackend;
    WaveDevice Wave;
    std::unique_ptr<TSnx> Window;
};

}  // namespace snx::bench
