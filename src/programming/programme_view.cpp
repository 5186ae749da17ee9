#include "programming/programme_view.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

#include "programming/track_list.h"

namespace snx {

namespace {

void ShowRows(TrackList& list, const std::vector<ProgrammeRow>& rows) {
    // Refilling the list must not throw the user back to its top.
    const int scrolled = list.verticalScrollBar()->value();
    std::vector<std::string> texts;
    texts.reserve(rows.size());
    for (const ProgrammeRow& row : rows) {
        texts.push_back(row.Text);
    }
    list.SetRows(texts);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        list.item(static_cast<int>(i))->setSelected(rows[i].Selected);
    }
    list.verticalScrollBar()->setValue(scrolled);
}

}  // namespace

ProgrammeView::ProgrammeView(ProgrammeLists& lists, const ProgrammeControls& controls)
    : lists_(lists), controls_(controls) {}

void ProgrammeView::TakeSelection() {
    for (int i = 0; i < controls_.Src->count(); ++i) {
        lists_.SelectSrc(static_cast<std::size_t>(i), controls_.Src->item(i)->isSelected());
    }
    for (int i = 0; i < controls_.Dst->count(); ++i) {
        lists_.SelectDst(static_cast<std::size_t>(i), controls_.Dst->item(i)->isSelected());
    }
}

void ProgrammeView::Show() {
    ShowRows(*controls_.Src, lists_.SrcList());
    ShowRows(*controls_.Dst, lists_.DstList());
    const ProgrammeButtons buttons = lists_.RefreshProgrammeButtons();
    controls_.Add->setEnabled(buttons.Add);
    controls_.Remove->setEnabled(buttons.Remove);
    controls_.Clear->setEnabled(buttons.Clear);
    controls_.Up->setEnabled(buttons.Up);
    controls_.Down->setEnabled(buttons.Down);
    controls_.Time->setText(QString::fromStdString(buttons.Time));
}

}  // namespace snx
