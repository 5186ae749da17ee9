// The main window until the handset exists: tells where the program keeps its data.
#pragma once

#include <QMainWindow>

namespace snx {

struct Settings;

class StartupWindow : public QMainWindow {
    Q_OBJECT
  public:
    // settingsFound tells whether the settings came from an existing file.
    StartupWindow(const Settings& settings, bool settingsFound, QWidget* parent = nullptr);
};

}  // namespace snx
