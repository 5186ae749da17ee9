// TfrmAdjust, "Adjust bookmark": both ends of the bookmark in minutes, seconds and frames from
// the start of track 1, with a preview that can repeat. Opened by the recording options, used
// once.
#pragma once

#include <QDialog>
#include <array>
#include <memory>

#include "samples/bookmark.h"

class QSpinBox;
class QTimer;

namespace Ui {
class TfrmAdjust;
}

namespace snx {

class PlayerEngine;

class TfrmAdjust final : public QDialog {
    Q_OBJECT
  public:
    TfrmAdjust(PlayerEngine& engine, QWidget* parent = nullptr);
    ~TfrmAdjust() override;

    BookmarkFields Fields() const;
    void SetFields(const BookmarkFields& fields);
    // In the order start minutes, seconds, frames, end minutes, seconds, frames.
    std::array<QSpinBox*, 6> FieldBoxes() const;
    // The field the spinner acts on: the one last entered.
    QSpinBox* SpinnerTarget() const { return current_; }
    bool Repeating() const;

    // Stores both ends in the engine's state; false (after "Start position is after end
    // position.") when the end is before the start.
    bool ReadBookmark();
    void btnPreviewClick();
    void btnRepeatClick();
    void TimerTimer();
    void accept() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void FormShow();
    void StopRepeating();
    void SpinnerMoved(int value);

    std::unique_ptr<Ui::TfrmAdjust> ui_;
    PlayerEngine& engine_;
    QTimer* timer_ = nullptr;
    QSpinBox* current_ = nullptr;
    int spinnerValue_ = 0;
};

}  // namespace snx
