#include "catalogue_ui/list_dialog.h"

#include <QGuiApplication>
#include <QScreen>

#include "catalogue_ui/disc_editor.h"
#include "catalogue_ui/item_dialog.h"
#include "catalogue_ui/list_editing.h"
#include "ui_list_dialog.h"
#include "util/user_messages.h"
#include "widgets/help_window.h"

namespace snx {

namespace {

QString Shown(const std::string& stored) {
    return QString::fromStdString(ShownText(stored));
}

}  // namespace

TfrmLists::TfrmLists(ReferenceListKind kind, const std::filesystem::path& dataDirectory,
                     QWidget* parent)
    : QDialog(parent),
      ui_(std::make_unique<Ui::TfrmLists>()),
      kind_(kind),
      file_(ListEditorPath(dataDirectory, kind)) {
    ui_->setupUi(this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    SetHelpContext(this, kHelpReferenceLists);
    const ListEditorTexts& texts = ListEditorTextsOf(kind);
    setWindowTitle(QString::fromUtf8(texts.Caption));
    ui_->labType->setText(QString::fromUtf8(texts.TypeLabel));
    // A list takes no name from its label: a screen reader reads the label's words instead.
    ui_->lbList->setAccessibleName(
        QString::fromUtf8(texts.TypeLabel).remove(QLatin1Char('&')).remove(QLatin1Char(':')));
    list_.Load(file_, true);
    for (const std::string& entry : list_.Entries()) {
        ui_->lbList->addItem(Shown(entry));
    }
    connect(ui_->btnAdd, &QPushButton::clicked, this, [this] { btnAddClick(); });
    connect(ui_->btnEdit, &QPushButton::clicked, this, [this] { btnEditClick(); });
    connect(ui_->lbList, &QListWidget::itemDoubleClicked, this, [this] { btnEditClick(); });
    connect(ui_->btnRemove, &QPushButton::clicked, this, [this] { btnRemoveClick(); });
    connect(ui_->btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        adjustSize();
        move(screen->availableGeometry().center() - rect().center());
    }
}

TfrmLists::~TfrmLists() = default;

QListWidget* TfrmLists::lbList() const {
    return ui_->lbList;
}

QPushButton* TfrmLists::Button(const char* name) const {
    return findChild<QPushButton*>(QString::fromLatin1(name));
}

void TfrmLists::Insert(std::string entry) {
    const QString shown = Shown(entry);
    const std::size_t at = list_.Add(std::move(entry));
    ui_->lbList->insertItem(static_cast<int>(at), shown);
    ui_->lbList->setCurrentRow(static_cast<int>(at));
}

void TfrmLists::btnAddClick() {
    const ListEditorTexts& texts = ListEditorTextsOf(kind_);
    // Added as typed: an empty name or one already listed is the user's to keep.
    if (const std::optional<QString> name =
            TfrmItem::Ask(this, windowTitle(), QString::fromUtf8(texts.ItemGroup),
                          static_cast<int>(texts.AddWidth), {})) {
        Insert(name->toStdString());
    }
}

void TfrmLists::btnEditClick() {
    const int row = ui_->lbList->currentRow();
    if (row < 0 || ui_->lbList->currentItem() == nullptr ||
        !ui_->lbList->currentItem()->isSelected()) {
        ShowError("Please select an item to edit.");
        ui_->lbList->setFocus();
        return;
    }
    const ListEditorTexts& texts = ListEditorTextsOf(kind_);
    const std::string stored = list_.Entries()[static_cast<std::size_t>(row)];
    if (const std::optional<QString> name =
            TfrmItem::Ask(this, windowTitle(), QString::fromUtf8(texts.ItemGroup),
                          static_cast<int>(texts.EditWidth), Shown(stored))) {
        list_.RemoveAt(static_cast<std::size_t>(row));
        delete ui_->lbList->takeItem(row);
        // An entry left as shown keeps its bytes, whatever their encoding.
        Insert(TypedText(stored, name->toStdString(), std::string::npos));
    }
}

void TfrmLists::btnRemoveClick() {
    const int row = ui_->lbList->currentRow();
    if (row < 0 || ui_->lbList->currentItem() == nullptr ||
        !ui_->lbList->currentItem()->isSelected()) {
        ShowError("Please select an item to delete.");
        ui_->lbList->setFocus();
        return;
    }
    if (Confirm("Are you sure you wish to delete the highlighted entry?")) {
        list_.RemoveAt(static_cast<std::size_t>(row));
        delete ui_->lbList->takeItem(row);
    }
}

void TfrmLists::btnOKClick() {
    list_.Save(file_, windowTitle().toStdString());
    accept();
}

void EditReferenceList(QWidget* parent, char letter, const std::filesystem::path& dataDirectory) {
    TfrmLists dialog(ReferenceListKindFromLetter(letter), dataDirectory, parent);
    dialog.exec();
}

}  // namespace snx
