// TfrmCat, "CD catalogue": every disc of the catalogue in a tree, flat by name or grouped by
// composer, artist, music type or record label, optionally filtered; from it a record's sample
// is played, its picture shown, the record edited, deleted, given to the disc in the drive or
// printed.
#pragma once

#include <QDialog>
#include <QModelIndex>
#include <memory>

#include "catalogue/browse_tree.h"

namespace Ui {
class TfrmCat;
}

namespace snx {

class BrowseModel;
class DiscCatalogue;
class PlayerEngine;
class PrintLayer;
class WaveDevice;
class WavePlayback;

class TfrmCat final : public QDialog {
    Q_OBJECT
  public:
    // engine: the disc in the drive and its record; layer: the program's printing.
    TfrmCat(DiscCatalogue& catalogue, WaveDevice& wave, PlayerEngine& engine, PrintLayer& layer,
            QWidget* parent = nullptr);
    ~TfrmCat() override;

    Ui::TfrmCat& Form() const { return *ui_; }
    BrowseModel& Model() const { return *model_; }
    WavePlayback& Playback() const { return *playback_; }
    BrowseView View() const;
    BrowseFilter Filter() const;

    // Refreshing: the tree cleared and built again for the view and filter, under the wait
    // cursor, with sorting off.
    void rbNameClick();
    void btnSortClick();
    void btnSelectedClick();
    void btnBitmapClick();
    void btnEditClick();
    void btnDeleteClick();
    void btnAttachClick();
    // The selected disc's archive in the virtual drive, that drive selected and playing.
    void btnArchiveClick();
    // The window is disabled while its report prints; the progress window stays usable.
    void btnPrintCDClick();
    void btnPrintCatClick();
    void done(int result) override;

  private:
    void FormShow();
    void ClearTree();
    void ShowCounts();
    // Play is on for a disc node with an archive only.
    void ShowArchiveButton();
    // The selected node, or null.
    QModelIndex SelectedIndex() const;
    const BrowseNode* Selected() const;
    // A disc node's record read from the file; false, reported, when it cannot be.
    bool ReadSelected(const BrowseNode& node, DiscRecord& record);
    // The disc in the drive, empty when there is none.
    std::string DriveIdentity() const;

    std::unique_ptr<Ui::TfrmCat> ui_;
    DiscCatalogue& catalogue_;
    PlayerEngine& engine_;
    PrintLayer& layer_;
    BrowseModel* model_ = nullptr;
    WavePlayback* playback_ = nullptr;
    bool sorted_ = false;
    bool printing_ = false;  // a report is running from this window
};

}  // namespace snx
