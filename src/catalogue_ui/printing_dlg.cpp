#include "catalogue_ui/printing_dlg.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

#include "ui_printing_dlg.h"

namespace snx {

TPrintingDlg::TPrintingDlg(QWidget* parent) : QDialog(parent), ui_(new Ui::TPrintingDlg) {
    ui_->setupUi(this);
    setModal(false);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    connect(ui_->AbortButton, &QPushButton::clicked, this, &TPrintingDlg::AbortButtonClick);
}

TPrintingDlg::~TPrintingDlg() = default;

void TPrintingDlg::FormShow(const QString& printerName) {
    ui_->AbortButton->setEnabled(true);
    ui_->PrinterLabel->setText(QStringLiteral("Printing on ") + printerName);
    ui_->ReportLabel->clear();
    ui_->PageLabel->clear();
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    show();
    // A report started from a modal window (the catalogue browser) would leave Abort blocked by
    // that window: the progress window goes above it for as long as it shows.
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && modal != this && windowHandle() != nullptr &&
        modal->windowHandle() != nullptr) {
        windowHandle()->setTransientParent(modal->windowHandle());
    }
}

void TPrintingDlg::AbortButtonClick() {
    ui_->AbortButton->setEnabled(false);
    aborted_ = true;
}

void TPrintingDlg::reject() {
    AbortButtonClick();
}

QLabel* TPrintingDlg::PrinterLabel() const {
    return ui_->PrinterLabel;
}
QLabel* TPrintingDlg::ReportLabel() const {
    return ui_->ReportLabel;
}
QLabel* TPrintingDlg::PageLabel() const {
    return ui_->PageLabel;
}
QPushButton* TPrintingDlg::AbortButton() const {
    return ui_->AbortButton;
}

}  // namespace snx
