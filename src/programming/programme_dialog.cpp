#include "programming/programme_dialog.h"

#include "ui_programme_dialog.h"
#include "widgets/help_window.h"

namespace snx {

TfrmProgramme::TfrmProgramme(ProgrammeLists& lists, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TfrmProgramme>()) {
    ui_->setupUi(this);
    view_.emplace(lists,
                  ProgrammeControls{ui_->SrcList, ui_->DstList, ui_->labTime, ui_->btnInclude,
                                    ui_->btnRemove, ui_->btnClear, ui_->btnUp, ui_->btnDown});
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    SetHelpContext(this, kHelpProgramme);
    connect(ui_->btnInclude, &QPushButton::clicked, this, [this] { IncludeBtnClick(); });
    connect(ui_->btnRemove, &QPushButton::clicked, this, [this] { ExcludeBtnClick(); });
    connect(ui_->btnClear, &QPushButton::clicked, this, [this] { ExcAllBtnClick(); });
    connect(ui_->btnUp, &QPushButton::clicked, this, [this] { btnUpClick(); });
    connect(ui_->btnDown, &QPushButton::clicked, this, [this] { btnDownClick(); });
    connect(ui_->SrcList, &QListWidget::itemDoubleClicked, this, [this] { IncludeBtnClick(); });
    connect(ui_->DstList, &QListWidget::itemDoubleClicked, this, [this] { ExcludeBtnClick(); });
    view_->Show();
}

TfrmProgramme::~TfrmProgramme() = default;

TrackList* TfrmProgramme::SrcList() const {
    return ui_->SrcList;
}

TrackList* TfrmProgramme::DstList() const {
    return ui_->DstList;
}

void TfrmProgramme::IncludeBtnClick() {
    view_->Run([](ProgrammeLists& lists) { lists.IncludeBtnClick(); });
}

void TfrmProgramme::ExcludeBtnClick() {
    view_->Run([](ProgrammeLists& lists) { lists.ExcludeBtnClick(); });
}

void TfrmProgramme::ExcAllBtnClick() {
    view_->Run([](ProgrammeLists& lists) { lists.ExcAllBtnClick(); });
}

void TfrmProgramme::btnUpClick() {
    view_->Run([](ProgrammeLists& lists) { lists.btnUpClick(); });
}

void TfrmProgramme::btnDownClick() {
    view_->Run([](ProgrammeLists& lists) { lists.btnDownClick(); });
}

bool TfrmProgramme::Ask(QWidget* parent, ProgrammeLists& lists) {
    TfrmProgramme dialog(lists, parent);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace snx
