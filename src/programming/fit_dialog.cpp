#include "programming/fit_dialog.h"

#include <QApplication>
#include <QRegularExpressionValidator>

#include "settings/settings.h"
#include "ui_fit_dialog.h"
#include "widgets/help_window.h"

namespace snx {

namespace {

// The hourglass for as long as it lives.
class BusyCursor {
  public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace

TfrmFit::TfrmFit(ProgrammeLists& lists, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TfrmFit>()) {
    ui_->setupUi(this);
    view_.emplace(lists,
                  ProgrammeControls{ui_->SrcList, ui_->DstList, ui_->labTime, ui_->btnInclude,
                                    ui_->btnRemove, ui_->btnClear, ui_->btnUp, ui_->btnDown});
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    SetHelpContext(this, kHelpFitTracks);
    // Minutes and seconds as "##.##"; seconds past 59 are refused when a calculation reads it.
    ui_->edTime->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,2}(\\.[0-9]{0,2})?")), ui_->edTime));
    ui_->edTime->setText(QString::fromStdString(FormatMinSec(AppSettings().FitTracksTime)));

    connect(ui_->btnInclude, &QPushButton::clicked, this, [this] { IncludeBtnClick(); });
    connect(ui_->btnExch, &QPushButton::clicked, this, [this] { btnExchClick(); });
    connect(ui_->btnRemove, &QPushButton::clicked, this, [this] { ExcludeBtnClick(); });
    connect(ui_->btnClear, &QPushButton::clicked, this, [this] { ExcAllBtnClick(); });
    connect(ui_->btnUp, &QPushButton::clicked, this, [this] { btnUpClick(); });
    connect(ui_->btnDown, &QPushButton::clicked, this, [this] { btnDownClick(); });
    connect(ui_->btnIn, &QPushButton::clicked, this, [this] { btnInClick(); });
    connect(ui_->btnAny, &QPushButton::clicked, this, [this] { btnAnyClick(); });
    connect(ui_->SrcList, &QListWidget::itemDoubleClicked, this, [this] { IncludeBtnClick(); });
    connect(ui_->DstList, &QListWidget::itemDoubleClicked, this, [this] { ExcludeBtnClick(); });
    view_->Show();
}

TfrmFit::~TfrmFit() = default;

TrackList* TfrmFit::SrcList() const {
    return ui_->SrcList;
}

TrackList* TfrmFit::DstList() const {
    return ui_->DstList;
}

QLineEdit* TfrmFit::TimeEntry() const {
    return ui_->edTime;
}

void TfrmFit::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ui_->edTime->setFocus();
    ui_->edTime->selectAll();
}

std::optional<MinSec> TfrmFit::Target() const {
    return ParseMinSec(ui_->edTime->text().toStdString());
}

void TfrmFit::IncludeBtnClick() {
    view_->Run([](ProgrammeLists& lists) { lists.IncludeBtnClick(); });
}

void TfrmFit::ExcludeBtnClick() {
    view_->Run([](ProgrammeLists& lists) { lists.ExcludeBtnClick(); });
}

void TfrmFit::ExcAllBtnClick() {
    view_->Run([](ProgrammeLists& lists) { lists.ExcAllBtnClick(); });
}

void TfrmFit::btnUpClick() {
    view_->Run([](ProgrammeLists& lists) { lists.btnUpClick(); });
}

void TfrmFit::btnDownClick() {
    view_->Run([](ProgrammeLists& lists) { lists.btnDownClick(); });
}

void TfrmFit::btnExchClick() {
    view_->Run([](ProgrammeLists& lists) { lists.btnExchClick(); });
}

void TfrmFit::btnInClick() {
    view_->Run([this](ProgrammeLists& lists) { lists.btnInClick(Target()); });
}

void TfrmFit::btnAnyClick() {
    const BusyCursor busy;
    view_->Run([this](ProgrammeLists& lists) { lists.btnAnyClick(Target()); });
}

bool TfrmFit::Ask(QWidget* parent, ProgrammeLists& lists) {
    TfrmFit dialog(lists, parent);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace snx
