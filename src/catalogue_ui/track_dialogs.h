// The disc editor's two track dialogs: TfrmSTrack for one track, TfrmEdTr for the whole grid.
#pragma once

#include <QDialog>
#include <memory>

#include "store/block_file/string_grid.h"

namespace Ui {
class TfrmSTrack;
class TfrmEdTr;
}  // namespace Ui

class QLineEdit;
class QTableWidget;
class QPushButton;

namespace snx {

class TfrmSTrack final : public QDialog {
    Q_OBJECT
  public:
    explicit TfrmSTrack(QWidget* parent = nullptr);
    ~TfrmSTrack() override;
    std::unique_ptr<Ui::TfrmSTrack> ui;
};

// Edits the texts of tracks 1 to count (rows of a grdTracks layout); the numbers are its own.
class TfrmEdTr final : public QDialog {
    Q_OBJECT
  public:
    TfrmEdTr(const StringGrid& tracks, int count, const QString& discName,
             QWidget* parent = nullptr);
    ~TfrmEdTr() override;

    QTableWidget* edTracks() const;
    QPushButton* Button(const char* name) const;
    // The texts as edited, in the layout they came in.
    StringGrid Tracks() const;

    void btnInsertClick();
    void btnDeleteClick();

  private:
    // A row dragged by its number from one track's place to another's; the header shows it moved.
    void MoveRow(int fromTrack, int toTrack);
    void ReadTable();
    void ShowTable();
    void MarkCurrent();

    std::unique_ptr<Ui::TfrmEdTr> ui_;
    StringGrid tracks_;
    int count_;
};

}  // namespace snx
