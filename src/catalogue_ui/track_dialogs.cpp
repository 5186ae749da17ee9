#include "catalogue_ui/track_dialogs.h"

#include <QHeaderView>
#include <QTableWidget>

#include "catalogue_ui/disc_editor.h"
#include "settings/settings.h"
#include "ui_single_track_dialog.h"
#include "ui_track_grid_dialog.h"
#include "widgets/help_window.h"
#include "widgets/stored_text.h"

namespace snx {

namespace {

constexpr int kNumberWidth = 20;
constexpr int kTextWidth = 250;
constexpr int kRowHeight = 18;

}  // namespace

TfrmSTrack::TfrmSTrack(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TfrmSTrack>()) {
    ui->setupUi(this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    SetHelpContext(this, kHelpTrack);
    ui->labUser1->setText(FromStored(AppSettings().TrackUser1Label));
    ui->labUser2->setText(FromStored(AppSettings().TrackUser2Label));
}

TfrmSTrack::~TfrmSTrack() = default;

TfrmEdTr::TfrmEdTr(const StringGrid& tracks, int count, const QString& discName, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TfrmEdTr>()), tracks_(tracks), count_(count) {
    ui_->setupUi(this);
    SetHelpContext(this, kHelpTrackGrid);
    setWindowTitle(QStringLiteral("Track details for - ") + discName);
    QTableWidget* grid = ui_->edTracks;
    grid->setColumnCount(3);
    grid->setRowCount(count_);
    grid->setHorizontalHeaderLabels({QStringLiteral("Track name"),
                                     FromStored(AppSettings().TrackUser1Label),
                                     FromStored(AppSettings().TrackUser2Label)});
    for (int column = 0; column < 3; ++column) {
        grid->setColumnWidth(column, kTextWidth);
    }
    grid->verticalHeader()->setFixedWidth(kNumberWidth);
    grid->verticalHeader()->setDefaultSectionSize(kRowHeight);
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setSectionsMovable(true);
    grid->horizontalHeader()->setSectionsClickable(false);
    grid->setEditTriggers(QAbstractItemView::CurrentChanged | QAbstractItemView::DoubleClicked |
                          QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed);
    ShowTable();
    connect(grid->verticalHeader(), &QHeaderView::sectionMoved, this,
            [this](int, int oldVisual, int newVisual) { MoveRow(oldVisual + 1, newVisual + 1); });
    connect(grid, &QTableWidget::currentCellChanged, this, [this] { MarkCurrent(); });
    connect(ui_->btnInsert, &QPushButton::clicked, this, [this] { btnInsertClick(); });
    connect(ui_->btnDelete, &QPushButton::clicked, this, [this] { btnDeleteClick(); });
    if (count_ > 0) {
        grid->setCurrentCell(0, 0);
    }
    MarkCurrent();
    grid->setFocus();
}

TfrmEdTr::~TfrmEdTr() = default;

QTableWidget* TfrmEdTr::edTracks() const {
    return ui_->edTracks;
}

QPushButton* TfrmEdTr::Button(const char* name) const {
    return findChild<QPushButton*>(QString::fromLatin1(name));
}

StringGrid TfrmEdTr::Tracks() const {
    const_cast<TfrmEdTr*>(this)->ReadTable();
    return tracks_;
}

void TfrmEdTr::ReadTable() {
    for (int row = 0; row < count_; ++row) {
        for (int column = 0; column < 3; ++column) {
            const QTableWidgetItem* item = ui_->edTracks->item(row, column);
            tracks_.SetCell(column, row + 1,
                            item != nullptr ? item->text().toStdString() : std::string());
        }
    }
}

void TfrmEdTr::ShowTable() {
    QTableWidget* grid = ui_->edTracks;
    const QSignalBlocker block(grid);
    for (int row = 0; row < count_; ++row) {
        grid->setVerticalHeaderItem(row, new QTableWidgetItem(QString::number(row + 1)));
        for (int column = 0; column < 3; ++column) {
            grid->setItem(
                row, column,
                new QTableWidgetItem(QString::fromStdString(tracks_.Cell(column, row + 1))));
        }
    }
}

void TfrmEdTr::MarkCurrent() {
    QTableWidget* grid = ui_->edTracks;
    const int current = grid->currentRow();
    const int column = grid->currentColumn();
    for (int row = 0; row < count_; ++row) {
        if (QTableWidgetItem* number = grid->verticalHeaderItem(row)) {
            number->setForeground(row == current ? QBrush(Qt::blue) : QBrush());
        }
    }
    for (int c = 0; c < 3; ++c) {
        if (QTableWidgetItem* heading = grid->horizontalHeaderItem(c)) {
            heading->setForeground(c == column ? QBrush(Qt::blue) : QBrush());
        }
    }
}

void TfrmEdTr::btnInsertClick() {
    const int row = ui_->edTracks->currentRow();
    if (row < 0) {
        return;
    }
    ReadTable();
    InsertTrackRow(tracks_, count_, row + 1);
    ShowTable();
}

void TfrmEdTr::btnDeleteClick() {
    const int row = ui_->edTracks->currentRow();
    if (row < 0) {
        return;
    }
    ReadTable();
    DeleteTrackRow(tracks_, count_, row + 1);
    ShowTable();
}

void TfrmEdTr::MoveRow(int fromTrack, int toTrack) {
    QHeaderView* header = ui_->edTracks->verticalHeader();
    {
        // The header only shows the drag; the texts move in the table and the numbers stay.
        const QSignalBlocker block(header);
        header->moveSection(toTrack - 1, fromTrack - 1);
    }
    ReadTable();
    MoveTrackRow(tracks_, count_, fromTrack, toTrack);
    ShowTable();
    ui_->edTracks->setCurrentCell(toTrack - 1, std::max(0, ui_->edTracks->currentColumn()));
}

}  // namespace snx
