// TfrmProgramme, "Custom programme": the disc's tracks on the left, the programme being built on
// the right; a track can be added any number of times.
#pragma once

#include <QDialog>
#include <memory>
#include <optional>

#include "programming/programme_lists.h"
#include "programming/programme_view.h"

namespace Ui {
class TfrmProgramme;
}

namespace snx {

class TfrmProgramme final : public QDialog {
    Q_OBJECT
  public:
    // Requires: lists is of the programme flavour and outlives the dialog.
    explicit TfrmProgramme(ProgrammeLists& lists, QWidget* parent = nullptr);
    ~TfrmProgramme() override;

    TrackList* SrcList() const;
    TrackList* DstList() const;

    void IncludeBtnClick();
    void ExcludeBtnClick();
    void ExcAllBtnClick();
    void btnUpClick();
    void btnDownClick();

    // Shows the dialog modally over lists; true for OK.
    static bool Ask(QWidget* parent, ProgrammeLists& lists);

  private:
    std::unique_ptr<Ui::TfrmProgramme> ui_;
    std::optional<ProgrammeView> view_;
};

}  // namespace snx
