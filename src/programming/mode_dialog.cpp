#include "programming/mode_dialog.h"

#include <QRadioButton>

#include "ui_mode_dialog.h"
#include "widgets/dialog_parts.h"
#include "widgets/help_window.h"

namespace snx {

TfrmMode::TfrmMode(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::TfrmMode>()) {
    ui_->setupUi(this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    SetHelpContext(this, kHelpPlayMode);
}

TfrmMode::~TfrmMode() = default;

void TfrmMode::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOnScreen(*this);
}

QRadioButton* TfrmMode::Button(ModeButton button) const {
    switch (button) {
        case ModeButton::Disk:
            return ui_->btnDisk;
        case ModeButton::Track:
            return ui_->BtnTrack;
        case ModeButton::Intro:
            return ui_->BtnIntro;
        case ModeButton::Shuffle:
            return ui_->btnShuffle;
        case ModeButton::Custom:
            return ui_->btnCustom;
    }
    return ui_->btnDisk;
}

void TfrmMode::Mark(std::optional<ModeButton> button) {
    // Exclusive buttons refuse to be unchecked one by one; a mode without a button marks none.
    for (const ModeButton each : kModeButtons) {
        QRadioButton* radio = Button(each);
        radio->setAutoExclusive(false);
        radio->setChecked(button == each);
        radio->setAutoExclusive(true);
    }
}

std::optional<ModeButton> TfrmMode::Marked() const {
    for (const ModeButton button : kModeButtons) {
        if (Button(button)->isChecked()) {
            return button;
        }
    }
    return std::nullopt;
}

ModeChoice TfrmMode::Ask(QWidget* parent, std::optional<ModeButton> marked) {
    TfrmMode dialog(parent);
    dialog.Mark(marked);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    return {accepted, dialog.Marked()};
}

}  // namespace snx
