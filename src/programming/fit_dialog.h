// TfrmFit, "Custom programme - fit tracks to time": chooses tracks that fill an entered time,
// in disc order or by best fit, over lists in which each track is in one place only.
#pragma once

#include <QDialog>
#include <memory>
#include <optional>

#include "programming/programme_lists.h"
#include "programming/programme_view.h"

class QLineEdit;

namespace Ui {
class TfrmFit;
}

namespace snx {

class TfrmFit final : public QDialog {
    Q_OBJECT
  public:
    // Requires: lists is of the fit flavour and outlives the dialog. The entry starts at
    // FitTracksTime.
    explicit TfrmFit(ProgrammeLists& lists, QWidget* parent = nullptr);
    ~TfrmFit() override;

    TrackList* SrcList() const;
    TrackList* DstList() const;
    QLineEdit* TimeEntry() const;

    void IncludeBtnClick();
    void ExcludeBtnClick();
    void ExcAllBtnClick();
    void btnUpClick();
    void btnDownClick();
    void btnExchClick();
    void btnInClick();
    // Shows the hourglass while it searches.
    void btnAnyClick();

    // Shows the dialog modally over lists; true for OK.
    static bool Ask(QWidget* parent, ProgrammeLists& lists);

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    std::optional<MinSec> Target() const;

    std::unique_ptr<Ui::TfrmFit> ui_;
    std::optional<ProgrammeView> view_;
};

}  // namespace snx
