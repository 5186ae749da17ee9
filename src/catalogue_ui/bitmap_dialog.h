// TfrmBitmap, "CD bitmap form": shows the disc's picture and lets the user choose another or
// clear it. The opener reads the chosen file name after OK.
#pragma once

#include <QDialog>
#include <QImage>
#include <filesystem>
#include <memory>
#include <string>

namespace Ui {
class TfrmBitmap;
}

class QLabel;
class QPushButton;

namespace snx {

// The chosen name that asks for the picture to be removed.
inline constexpr const char* kClearedBitmap = "...";

class TfrmBitmap final : public QDialog {
    Q_OBJECT
  public:
    // Shows "disc.bmp" of dataDirectory when it exists.
    explicit TfrmBitmap(const std::filesystem::path& dataDirectory, QWidget* parent = nullptr);
    ~TfrmBitmap() override;

    QLabel* imgBit() const;
    QPushButton* Button(const char* name) const;
    // Empty: nothing chosen; kClearedBitmap: cleared; otherwise the picture file to attach.
    const std::string& ChosenFile() const { return chosen_; }

    void btnLoadClick();
    void btnSaveClick();
    void btnClearClick();

  private:
    void Show(const QImage& image);

    std::unique_ptr<Ui::TfrmBitmap> ui_;
    std::filesystem::path dataDirectory_;
    std::string chosen_;
    QImage image_;
};

}  // namespace snx
