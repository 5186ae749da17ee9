#include "samples/adjust_dialog.h"

#include <QEvent>
#include <QTimer>

#include "cd/cd_device.h"
#include "cd/cd_types.h"
#include "player/player_engine.h"
#include "ui_adjust_dialog.h"
#include "util/user_messages.h"
#include "widgets/help_window.h"

namespace snx {

namespace {

constexpr int kRepeatInterval = 1000;
const QString kRepeatCaption = QStringLiteral("&Repeat preview");
const QString kStopCaption = QStringLiteral("&Stop preview");

}  // namespace

TfrmAdjust::TfrmAdjust(PlayerEngine& engine, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TfrmAdjust>()), engine_(engine) {
    ui_->setupUi(this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    SetHelpContext(this, kHelpRecording);
    timer_ = new QTimer(this);
    timer_->setInterval(kRepeatInterval);
    connect(timer_, &QTimer::timeout, this, &TfrmAdjust::TimerTimer);
    connect(ui_->btnPreview, &QPushButton::clicked, this, &TfrmAdjust::btnPreviewClick);
    connect(ui_->btnRepeat, &QPushButton::clicked, this, &TfrmAdjust::btnRepeatClick);
    connect(ui_->btnOK, &QPushButton::clicked, this, &TfrmAdjust::accept);
    for (QSpinBox* box : FieldBoxes()) {
        box->installEventFilter(this);
    }
    current_ = ui_->OvcSM;
    connect(ui_->OvcSpinner1, &QSpinBox::valueChanged, this, &TfrmAdjust::SpinnerMoved);
    FormShow();
}

TfrmAdjust::~TfrmAdjust() = default;

std::array<QSpinBox*, 6> TfrmAdjust::FieldBoxes() const {
    return {ui_->OvcSM, ui_->OvcSS, ui_->OvcSF, ui_->OvcEM, ui_->OvcES, ui_->OvcEF};
}

BookmarkFields TfrmAdjust::Fields() const {
    const std::array<QSpinBox*, 6> boxes = FieldBoxes();
    return {{boxes[0]->value(), boxes[1]->value(), boxes[2]->value()},
            {boxes[3]->value(), boxes[4]->value(), boxes[5]->value()}};
}

void TfrmAdjust::SetFields(const BookmarkFields& fields) {
    const std::array<QSpinBox*, 6> boxes = FieldBoxes();
    for (std::size_t i = 0; i < 3; ++i) {
        boxes[i]->setValue(fields.Start[i]);
        boxes[i + 3]->setValue(fields.End[i]);
    }
}

void TfrmAdjust::FormShow() {
    const PlayerState& state = engine_.State;
    SetFields(
        FieldsOfBookmark(state.BookmarkStart, state.BookmarkEnd, engine_.Device().TrackStart[1]));
}

bool TfrmAdjust::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        for (QSpinBox* box : FieldBoxes()) {
            if (box == watched) {
                current_ = box;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmAdjust::SpinnerMoved(int value) {
    // The spinner keeps no value of its own: each of its steps moves the field last entered.
    current_->stepBy(value - spinnerValue_);
    spinnerValue_ = value;
}

bool TfrmAdjust::ReadBookmark() {
    PlayerState& state = engine_.State;
    if (snx::ReadBookmark(Fields(), engine_.Device().TrackStart[1], state.BookmarkStart,
                          state.BookmarkEnd)) {
        return true;
    }
    ShowError("Start position is after end position.");
    return false;
}

bool TfrmAdjust::Repeating() const {
    return timer_->isActive();
}

void TfrmAdjust::btnPreviewClick() {
    if (!ReadBookmark()) {
        return;
    }
    try {
        engine_.PlayRange(engine_.State.BookmarkStart, engine_.State.BookmarkEnd);
    } catch (const EMCIDeviceError& error) {
        ShowError(error.what());
    }
}

void TfrmAdjust::StopRepeating() {
    timer_->stop();
    ui_->btnRepeat->setText(kRepeatCaption);
}

void TfrmAdjust::btnRepeatClick() {
    if (ui_->btnRepeat->text() == kRepeatCaption && ReadBookmark()) {
        btnPreviewClick();
        timer_->start();
        ui_->btnRepeat->setText(kStopCaption);
        return;
    }
    StopRepeating();
    try {
        engine_.Stop();
    } catch (const EMCIDeviceError& error) {
        ShowError(error.what());
    }
}

void TfrmAdjust::TimerTimer() {
    if (!Repeating() || engine_.Device().GetMode() == CdMode::Playing) {
        return;
    }
    if (snx::ReadBookmark(Fields(), engine_.Device().TrackStart[1], engine_.State.BookmarkStart,
                          engine_.State.BookmarkEnd)) {
        btnPreviewClick();
        return;
    }
    // Fields made invalid while repeating end the repeat, with one message, not one a second.
    StopRepeating();
    ShowError("Start position is after end position.");
}

void TfrmAdjust::accept() {
    if (!ReadBookmark()) {
        return;
    }
    StopRepeating();
    QDialog::accept();
}

}  // namespace snx
