#include "app/startup_window.h"

#include <QFormLayout>
#include <QLabel>

#include "settings/settings.h"

namespace snx {

namespace {

QLabel* PathLabel(const std::string& path) {
    auto* label = new QLabel(QString::fromStdString(path));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

}  // namespace

StartupWindow::StartupWindow(const Settings& settings, bool settingsFound, QWidget* parent)
    : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Sonatrix"));
    auto* panel = new QWidget(this);
    auto* form = new QFormLayout(panel);
    form->addRow(tr("Data directory:"), PathLabel(settings.ProgramDirectory));
    form->addRow(tr("Settings file:"), PathLabel(settings.FileName().string()));
    form->addRow(tr("Settings:"), new QLabel(settingsFound ? tr("loaded from the file")
                                                           : tr("defaults (no file yet)")));
    setCentralWidget(panel);
}

}  // namespace snx
