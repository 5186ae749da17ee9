// Tfrmconf, the configuration of the handsets' colours and fonts, the report font, the user
// field labels and the system options. The controls hold the choices while it is open (a colour
// item's radio button shows its background and text colour, a font item's its font); OK copies
// them back. AutoPlay is the exception: its box registers or unregisters at once.
#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>
#include <QString>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "settings/mime_apps.h"
#include "settings/settings.h"

class QRadioButton;

namespace Ui {
class Tfrmconf;
}

namespace snx {

class Tfrmconf final : public QDialog {
    Q_OBJECT
  public:
    // FormCreate: the first item of each page selected, every control empty.
    explicit Tfrmconf(QWidget* parent = nullptr);
    ~Tfrmconf() override;

    // Fills every control from the settings. The AutoPlay box is set without registering.
    void Fill(const Settings& settings);
    // Copies every control back into its setting; AutoPlayHandler is left to cbAutoClick.
    void CopyBack(Settings& settings) const;

    void rbTimeClick() { SelectColour(1); }
    void rbTrackClick() { SelectColour(2); }
    void rbSelectClick() { SelectColour(3); }
    void rbVolBarClick() { SelectColour(4); }
    void rbVolBackClick() { SelectColour(5); }
    void rbHandBackClick() { SelectColour(6); }
    void rbDiscClick() { SelectColour(7); }
    void rbSmallClick() { SelectColour(8); }
    void rbTimeFontClick() { fontSelected_ = 1; }
    void rbTrackFontClick() { fontSelected_ = 2; }
    void rbDiscFontClick() { fontSelected_ = 3; }
    void rbReportFontClick() { fontSelected_ = 4; }
    void rbSmallFontClick() { fontSelected_ = 5; }
    void btnForeClick();
    void btnBackClick();
    void btnFontClick();
    void btnBitmapClick();
    // Registers or unregisters for AutoPlay and saves the settings; a failure is reported and
    // the box goes back.
    void cbAutoClick();
    void SpeedButton1Click();
    void SpeedButton2Click();

    // The pickers, replaceable so that tests need no modal loop. nullopt or an empty name is a
    // cancelled pick.
    struct FilePick {
        QString Title;
        QString Directory;
        QString Name;               // proposed file name, or empty
        bool Applications = false;  // the executables filter chosen, else the bitmap filter
    };
    std::function<std::optional<QColor>(QColor initial, QWidget* parent)> PickColour;
    std::function<std::optional<QFont>(const QFont& initial, QWidget* parent)> PickFont;
    std::function<QString(const FilePick& pick, QWidget* parent)> PickFile;
    // Where AutoPlay is registered; the desktop's places unless a test says otherwise.
    AutoPlayPlaces AutoPlay;

    int ColourSelected() const { return colourSelected_; }
    int FontSelected() const { return fontSelected_; }
    Ui::Tfrmconf& Controls() { return *ui_; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    struct ColourItem {
        QRadioButton* Button = nullptr;
        Colour Settings::*Back = nullptr;  // null: the "Background" button is off for it
        Colour Settings::*Text = nullptr;  // null: the "Foreground/Font" button is off for it
        Colour BackValue = 0;
        Colour TextValue = 0;
    };
    struct FontItem {
        QRadioButton* Button = nullptr;
        std::string Settings::*Name = nullptr;
        std::int32_t Settings::*Size = nullptr;
        bool Settings::*Bold = nullptr;  // only the main display keeps the bold style
    };

    void SelectColour(int item);
    void ShowColour(const ColourItem& item);
    // A program or bitmap pick into the label's file name; the start is that name's directory.
    void PickInto(QString& fileName, const QString& title, bool applications, bool proposeName);
    void ShowFileNames();

    std::unique_ptr<Ui::Tfrmconf> ui_;
    std::array<ColourItem, 8> colours_{};
    std::array<FontItem, 5> fonts_{};
    int colourSelected_ = 1;
    int fontSelected_ = 1;
    QString programDirectory_;
    QString bitmap_;
    QString mixer_;
    QString recording_;
    std::string defaultCollector_;
};

// The standard pickers the dialog uses unless told otherwise.
std::optional<QColor> PickColourWithDialog(QColor initial, QWidget* parent);
std::optional<QFont> PickFontWithDialog(const QFont& initial, QWidget* parent);
// An open dialog for an existing file; the applications filter lists executable files.
QString PickFileWithDialog(const Tfrmconf::FilePick& pick, QWidget* parent);

}  // namespace snx
