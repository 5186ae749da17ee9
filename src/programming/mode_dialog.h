// TfrmMode, "CD play mode": one radio button per mode the user may choose.
#pragma once

#include <QDialog>
#include <memory>
#include <optional>

#include "programming/play_mode_choice.h"

class QRadioButton;

namespace Ui {
class TfrmMode;
}

namespace snx {

class TfrmMode final : public QDialog {
    Q_OBJECT
  public:
    explicit TfrmMode(QWidget* parent = nullptr);
    ~TfrmMode() override;

    // Marks button, or no button at all.
    void Mark(std::optional<ModeButton> button);
    // The first marked button in dialog order.
    std::optional<ModeButton> Marked() const;
    QRadioButton* Button(ModeButton button) const;

    // Shows the dialog modally with marked marked: the ModeDialog of the main handset.
    static ModeChoice Ask(QWidget* parent, std::optional<ModeButton> marked);

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    std::unique_ptr<Ui::TfrmMode> ui_;
};

}  // namespace snx
