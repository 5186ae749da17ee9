#include "lookup/lookup_chooser.h"

#include "ui_lookup_chooser.h"
#include "util/text.h"
#include "widgets/stored_text.h"

namespace snx {

TfrmLookup::TfrmLookup(const std::vector<LookupCandidate>& candidates, bool offerCover,
                       QWidget* parent)
    : QDialog(parent),
      ui_(std::make_unique<Ui::TfrmLookup>()),
      candidates_(candidates),
      offerCover_(offerCover) {
    ui_->setupUi(this);
    for (const LookupCandidate& c : candidates_) {
        auto* item = new QTreeWidgetItem(ui_->lvCandidates);
        item->setText(0, FromStored(c.Name));
        item->setText(1, FromStored(c.Artist));
        item->setText(2, c.Year > 0 ? QString::number(c.Year) : QString());
        item->setText(3, FromStored(c.Label));
        item->setText(4, FromStored(c.Country));
        item->setText(5, QString::number(c.Tracks.size()));
        item->setText(6, FromStored(c.Source));
    }
    for (int column = 0; column < ui_->lvCandidates->columnCount(); ++column) {
        ui_->lvCandidates->resizeColumnToContents(column);
    }
    ui_->cbCover->setVisible(offerCover_);
    connect(ui_->lvCandidates, &QTreeWidget::currentItemChanged, this,
            [this] { SelectionChanged(); });
    connect(ui_->lvCandidates, &QTreeWidget::itemDoubleClicked, this, [this] { accept(); });
    if (!candidates_.empty()) {
        ui_->lvCandidates->setCurrentItem(ui_->lvCandidates->topLevelItem(0));
    }
    SelectionChanged();
}

TfrmLookup::~TfrmLookup() = default;

void TfrmLookup::SelectionChanged() {
    const int row = ui_->lvCandidates->indexOfTopLevelItem(ui_->lvCandidates->currentItem());
    const bool front = row >= 0 && candidates_[static_cast<std::size_t>(row)].FrontCover;
    ui_->cbCover->setEnabled(front);
    if (!front) {
        ui_->cbCover->setChecked(false);
    }
    ui_->btnOK->setEnabled(row >= 0);
}

std::optional<LookupChoice> TfrmLookup::Choice() const {
    const int row = ui_->lvCandidates->indexOfTopLevelItem(ui_->lvCandidates->currentItem());
    if (result() != QDialog::Accepted || row < 0) {
        return std::nullopt;
    }
    return LookupChoice{static_cast<std::size_t>(row),
                        offerCover_ && ui_->cbCover->isEnabled() && ui_->cbCover->isChecked()};
}

std::optional<LookupChoice> TfrmLookup::Ask(QWidget* parent,
                                            const std::vector<LookupCandidate>& candidates,
                                            bool offerCover) {
    TfrmLookup dialog(candidates, offerCover, parent);
    dialog.exec();
    return dialog.Choice();
}

std::optional<LookupChoice> ChooseCandidate(QWidget* parent,
                                            const std::vector<LookupCandidate>& candidates,
                                            bool offerCover) {
    if (candidates.empty()) {
        return std::nullopt;
    }
    if (candidates.size() == 1 && !(offerCover && candidates.front().FrontCover)) {
        return LookupChoice{0, false};
    }
    return TfrmLookup::Ask(parent, candidates, offerCover);
}

}  // namespace snx
