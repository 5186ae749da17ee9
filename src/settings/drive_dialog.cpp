#include "settings/drive_dialog.h"

#include "settings/drive_list_lines.h"
#include "ui_drive_dialog.h"
#include "util/user_messages.h"
#include "widgets/dialog_parts.h"
#include "widgets/help_window.h"

namespace snx {

TfrmCD::TfrmCD(std::span<const std::string> labels, int current, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TfrmCD>()) {
    ui_->setupUi(this);
    SetHelpContext(this, kHelpDriveSelection);
    SetFixedDialogFrame(*this);
    for (const std::string& line : DriveListLines(labels)) {
        ui_->lbDrives->addItem(QString::fromStdString(line));
    }
    if (current >= 0 && current < ui_->lbDrives->count()) {
        ui_->lbDrives->setCurrentRow(current);
    }
    connect(ui_->btnOK, &QPushButton::clicked, this, &TfrmCD::btnOKClick);
    connect(ui_->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui_->lbDrives, &QListWidget::itemDoubleClicked, this, &TfrmCD::btnOKClick);
}

TfrmCD::~TfrmCD() = default;

int TfrmCD::Selected() const {
    const QListWidgetItem* item = ui_->lbDrives->currentItem();
    return item != nullptr && item->isSelected() ? ui_->lbDrives->row(item) : -1;
}

void TfrmCD::btnOKClick() {
    if (Selected() < 0) {
        ShowError("Please select a drive to use.");
        return;
    }
    accept();
}

}  // namespace snx
