#include "catalogue_ui/item_dialog.h"

#include "ui_item_dialog.h"
#include "widgets/help_window.h"
#include "widgets/stored_width.h"

namespace snx {

TfrmItem::TfrmItem(const QString& caption, const QString& group, int maxLength, const QString& name,
                   QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TfrmItem>()) {
    ui_->setupUi(this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    SetHelpContext(this, kHelpReferenceLists);
    setWindowTitle(caption);
    ui_->gbItem->setTitle(group);
    ui_->edName->setText(name);
    LimitToStoredWidth(ui_->edName, static_cast<std::size_t>(maxLength));
    ui_->edName->selectAll();
}

TfrmItem::~TfrmItem() = default;

QLineEdit* TfrmItem::edName() const {
    return ui_->edName;
}

std::optional<QString> TfrmItem::Ask(QWidget* parent, const QString& caption, const QString& group,
                                     int maxLength, const QString& name) {
    TfrmItem dialog(caption, group, maxLength, name, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.edName()->text();
}

}  // namespace snx
