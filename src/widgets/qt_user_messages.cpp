#include "widgets/qt_user_messages.h"

#include <QApplication>
#include <QMessageBox>

namespace snx {

namespace {

QString Title() {
    const QString name = QApplication::applicationDisplayName();
    return name.isEmpty() ? QStringLiteral("Sonatrix") : name;
}

}  // namespace

QWidget* QtUserMessages::Owner() const {
    // A message raised while a dialog is up belongs to that dialog, which stays in front of it.
    if (QWidget* modal = QApplication::activeModalWidget()) {
        return modal;
    }
    return parent_;
}

void QtUserMessages::ShowError(const std::string& text) {
    QApplication::beep();
    QMessageBox::information(Owner(), Title(), QString::fromStdString(text), QMessageBox::Ok);
}

bool QtUserMessages::Confirm(const std::string& text) {
    return QMessageBox::question(Owner(), Title(), QString::fromStdString(text),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace snx
