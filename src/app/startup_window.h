// The main window until the handset exists: tells where the program keeps its data and which
// drive and disc are selected.
#pragma once

#include <QMainWindow>

class QLabel;

namespace snx {

struct Settings;
class CdDevice;

class StartupWindow : public QMainWindow {
    Q_OBJECT
  public:
    // settingsFound tells whether the settings came from an existing file.
    StartupWindow(const Settings& settings, bool settingsFound, CdDevice& device,
                  QWidget* parent = nullptr);

  private:
    void ShowDisc();

    CdDevice& device_;
    QLabel* disc_;
};

}  // namespace snx
