// TfrmLookup, "Names found online": the releases a lookup found for a disc, one to take, and
// whether its front cover becomes the disc's picture. Dismissed, the disc keeps its names.
#pragma once

#include <QDialog>
#include <memory>
#include <optional>
#include <vector>

#include "lookup/lookup_candidate.h"

namespace Ui {
class TfrmLookup;
}

namespace snx {

struct LookupChoice {
    std::size_t Index = 0;
    bool TakeCover = false;
};

class TfrmLookup final : public QDialog {
    Q_OBJECT
  public:
    // offerCover: the cover box is shown, and enabled for a release that has a front image.
    TfrmLookup(const std::vector<LookupCandidate>& candidates, bool offerCover,
               QWidget* parent = nullptr);
    ~TfrmLookup() override;

    Ui::TfrmLookup& Form() const { return *ui_; }
    // The release taken after OK; nothing after Cancel.
    std::optional<LookupChoice> Choice() const;

    // Shows the dialog modally and gives what was taken.
    static std::optional<LookupChoice> Ask(QWidget* parent,
                                           const std::vector<LookupCandidate>& candidates,
                                           bool offerCover);

  private:
    void SelectionChanged();

    std::unique_ptr<Ui::TfrmLookup> ui_;
    std::vector<LookupCandidate> candidates_;
    bool offerCover_;
};

// A single candidate with no cover to offer is taken as it is; otherwise the user chooses.
std::optional<LookupChoice> ChooseCandidate(QWidget* parent,
                                            const std::vector<LookupCandidate>& candidates,
                                            bool offerCover);

}  // namespace snx
