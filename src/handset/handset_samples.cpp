// The handset's sample commands: recording a sample of the disc, playing samples and wave
// files, and the disc editor's sample played to its end.
#include <QShortcut>
#include <QToolButton>

#include "catalogue_ui/disc_data_dialog.h"
#include "cd/cd_types.h"
#include "handset/handset_window.h"
#include "player/player_engine.h"
#include "samples/record_dialog.h"
#include "samples/select_play_dialog.h"
#include "samples/wave_device.h"
#include "util/user_messages.h"
#include "widgets/speed_button.h"

namespace snx {

void TSnx::BuildSampleButtons() {
    btnSample_ = MakeSpeedButton(client_, "btnSample", {313, 106, 25, 25},
                                 QStringLiteral("Record a sample from the disc."));
    btnPlaySamp_ = MakeSpeedButton(client_, "btnPlaySamp", {348, 106, 25, 25},
                                   QStringLiteral("Play disc samples and wave files."));
    connect(btnSample_, &QToolButton::clicked, this, [this] { btnSampleClick(); });
    connect(btnPlaySamp_, &QToolButton::clicked, this, [this] { btnPlaySampClick(); });
    // Alt and the letter, as for the transport buttons; a disabled button takes no key.
    const auto accelerator = [this](Qt::Key key, QToolButton* button) {
        auto* shortcut = new QShortcut(QKeySequence(Qt::ALT | key), this);
        connect(shortcut, &QShortcut::activated, button, [button] {
            if (button->isEnabled()) {
                button->click();
            }
        });
    };
    accelerator(Qt::Key_J, btnSample_);
    accelerator(Qt::Key_Y, btnPlaySamp_);
    EditorHooks().PlaySample = [this](const std::filesystem::path& file) { PlaySampleToEnd(file); };
}

void TSnx::ProbeWaveDevice() {
    // The device may hold nothing of the user's yet: it is opened on a new element and closed.
    wave_.OpenWave({});
    const bool open = wave_.IsOpen();
    if (!open || !wave_.CanRecord) {
        btnSample_->setEnabled(false);
    }
    btnPlaySamp_->setEnabled(open && wave_.CanPlay);
    wave_.CloseWave();
}

void TSnx::UseRecordDialog(TfrmRecord& dialog) {
    record_ = &dialog;
    dialog.Recorder().Attach(*engine_, wave_);
}

void TSnx::btnSampleClick() {
    if (record_ != nullptr) {
        record_->exec();
    }
}

void TSnx::btnPlaySampClick() {
    TfrmSelectPlay dialog(catalogue_, wave_, *engine_, this);
    dialog.exec();
}

void TSnx::PlaySampleToEnd(const std::filesystem::path& file) {
    // Opening another element would throw away the sample being recorded.
    if (recording_.RecordingActive()) {
        return;
    }
    try {
        wave_.OpenWave(file.string());
        if (wave_.IsOpen()) {
            wave_.PlayWave(true);
        }
        wave_.CloseWave();
    } catch (const EMCIDeviceError& error) {
        ShowError(error.what());
    }
}

}  // namespace snx
