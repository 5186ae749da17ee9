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

void QtUserMessages::ShowError(const std::string& text) {
    QApplication::beep();
    QMessageBox::information(parent_, Title(), QString::fromStdString(text), QMessageBox::Ok);
}

bool QtUserMessages::Confirm(const std::string& text) {
    return QMessageBox::question(parent_, Title(), QString::fromStdString(text),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace snx
