#include "programming/tracks_dialog.h"

#include "ui_tracks_dialog.h"
#include "util/user_messages.h"
#include "widgets/help_window.h"

namespace snx {

namespace {

constexpr const char* kNoTrackSelected =
    "No track selected.  Please select a track before clicking [OK].";

}  // namespace

TfrmTracks::TfrmTracks(const std::vector<std::string>& rows, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TfrmTracks>()) {
    ui_->setupUi(this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    SetHelpContext(this, kHelpPlayMode);
    ui_->lstTracks->SetRows(rows);
    connect(ui_->btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    connect(ui_->lstTracks, &QListWidget::itemDoubleClicked, this, [this] { btnOKClick(); });
}

TfrmTracks::~TfrmTracks() = default;

TrackList* TfrmTracks::List() const {
    return ui_->lstTracks;
}

int TfrmTracks::SelectedRow() const {
    const QModelIndexList selected = ui_->lstTracks->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.front().row();
}

void TfrmTracks::btnOKClick() {
    if (SelectedRow() < 0) {
        ShowError(kNoTrackSelected);
        return;
    }
    accept();
}

std::optional<int> TfrmTracks::Ask(QWidget* parent, const std::vector<std::string>& rows) {
    TfrmTracks dialog(rows, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.SelectedRow() + 1;
}

}  // namespace snx
