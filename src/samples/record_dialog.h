// TfrmRecord, "Recording options": how a sample of the disc is recorded. Made once when the
// program starts and reused, so its choices stay as the user left them; it is also the engine's
// recording hook, ending a recording when play ends.
#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <memory>

#include "player/recording_hook.h"
#include "samples/sample_recorder.h"

class QRadioButton;

namespace Ui {
class TfrmRecord;
}

namespace snx {

class TfrmRecord final : public QDialog, public RecordingHook {
    Q_OBJECT
  public:
    // recorder must be attached before the dialog is shown or a recording ends.
    explicit TfrmRecord(SampleRecorder& recorder, QWidget* parent = nullptr);
    ~TfrmRecord() override;

    bool RecordingActive() const override { return recorder_.RecordingActive(); }
    void EndRecording() override { recorder_.EndRecording(); }

    SampleRecorder& Recorder() const { return recorder_; }
    // The choices as they stand.
    RecordOptions Options() const;
    // The rate buttons in the order of kRecordRates.
    std::array<QRadioButton*, 6> RateButtons() const;

    void btnStartClick();
    void btnPrevClick();
    void btnAdjustClick();
    void btnRecordClick();

    // Asks for the recording control program when none is set; the program shows an open
    // dialog, tests answer directly. Empty when cancelled.
    std::function<QString()> AskControlProgram;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void FormShow();

    std::unique_ptr<Ui::TfrmRecord> ui_;
    SampleRecorder& recorder_;
};

}  // namespace snx
