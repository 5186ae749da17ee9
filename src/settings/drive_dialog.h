// TfrmCD, the choice of the drive the player uses: one line per drive, in the device's order.
#pragma once

#include <QDialog>
#include <memory>
#include <span>
#include <string>

namespace Ui {
class TfrmCD;
}

namespace snx {

class TfrmCD final : public QDialog {
    Q_OBJECT
  public:
    // labels: the drives' labels; current: the drive in use, selected when it is listed.
    TfrmCD(std::span<const std::string> labels, int current, QWidget* parent = nullptr);
    ~TfrmCD() override;

    // The chosen line, which is the drive's index; -1 when none is selected.
    int Selected() const;

    void btnOKClick();

  private:
    std::unique_ptr<Ui::TfrmCD> ui_;
};

}  // namespace snx
