#include "catalogue_ui/completing_field.h"

#include <QComboBox>
#include <QEvent>
#include <QLineEdit>

#include "catalogue_ui/disc_editor.h"
#include "catalogue_ui/list_editing.h"

namespace snx {

CompletingField::CompletingField(QComboBox* combo, QLineEdit* edit)
    : QObject(combo), combo_(combo), edit_(edit) {
    const QString text = edit_->text();
    combo_->setEditable(true);
    combo_->setLineEdit(edit_);  // which shows the combo's (empty) current item
    edit_->setText(text);
    combo_->setCompleter(nullptr);  // the completion is ours, from the list's first entry
    combo_->setInsertPolicy(QComboBox::NoInsert);
    combo_->setMaxVisibleItems(10);
    // The combo is the edit box's focus proxy: the keyboard's keys arrive at the combo, which
    // hands them to the edit box past its filters. A key sent to the edit box itself is seen
    // there; no key passes both.
    combo_->installEventFilter(this);
    edit_->installEventFilter(this);
    // Choosing from the drop-down puts the name in the edit box; the focus comes back to it as
    // the drop-down closes. The combo also reports a name completed from the list as chosen when
    // the focus leaves, so taking the focus here would pull it back from the next field.
    connect(combo_, &QComboBox::activated, this,
            [this](int index) { edit_->setText(combo_->itemText(index)); });
}

void CompletingField::SetList(const ReferenceList& list) {
    const QString text = edit_->text();
    shown_.Clear();
    combo_->clear();
    for (const std::string& entry : list.Entries()) {
        const std::string shown = ShownText(entry);
        combo_->addItem(QString::fromStdString(shown));
        shown_.Add(shown);
    }
    combo_->setCurrentIndex(-1);
    edit_->setText(text);
}

void CompletingField::Complete() {
    const QString typed = edit_->text();
    if (shown_.Entries().empty() || typed.isEmpty()) {
        return;
    }
    const std::string typedUtf8 = typed.toStdString();
    const Completion completion = CompleteFromList(shown_, typedUtf8);
    const QString text = QString::fromStdString(completion.Text);
    // The typed part is whole characters, so its length in the edit box is its own.
    const int start = static_cast<int>(
        QString::fromUtf8(completion.Text.data(), static_cast<qsizetype>(completion.SelectFrom))
            .size());
    if (text != typed) {
        edit_->setText(text);
    }
    if (text.size() > start) {
        edit_->setSelection(text.size(), start - text.size());
    }
}

bool CompletingField::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == edit_ || watched == combo_) && event->type() == QEvent::KeyRelease) {
        Complete();  // the press before it has changed the text already
    }

    return QObject::eventFilter(watched, event);
}

}  // namespace snx
