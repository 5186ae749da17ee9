#include "catalogue_ui/bitmap_dialog.h"

#include <QFileDialog>
#include <QPixmap>

#include "settings/file_names.h"
#include "ui_bitmap_dialog.h"
#include "util/user_messages.h"
#include "widgets/help_window.h"

namespace snx {

namespace {

QString DirectoryText(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

}  // namespace

TfrmBitmap::TfrmBitmap(const std::filesystem::path& dataDirectory, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TfrmBitmap>()), dataDirectory_(dataDirectory) {
    ui_->setupUi(this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    SetHelpContext(this, kHelpBitmap);
    const std::filesystem::path disc = ResolveFileName(dataDirectory_, data_file::kDiscBitmap);
    std::error_code error;
    if (std::filesystem::exists(disc, error)) {
        Show(QImage(DirectoryText(disc)));
    }
    connect(ui_->btnLoad, &QPushButton::clicked, this, [this] { btnLoadClick(); });
    connect(ui_->btnSave, &QPushButton::clicked, this, [this] { btnSaveClick(); });
    connect(ui_->btnClear, &QPushButton::clicked, this, [this] { btnClearClick(); });
}

TfrmBitmap::~TfrmBitmap() = default;

QLabel* TfrmBitmap::imgBit() const {
    return ui_->imgBit;
}

QPushButton* TfrmBitmap::Button(const char* name) const {
    return findChild<QPushButton*>(QString::fromLatin1(name));
}

void TfrmBitmap::Show(const QImage& image) {
    image_ = image;
    ui_->imgBit->setPixmap(image.isNull() ? QPixmap() : QPixmap::fromImage(image));
}

void TfrmBitmap::btnLoadClick() {
    const QString file = QFileDialog::getOpenFileName(
        this, QString(), DirectoryText(dataDirectory_),
        QStringLiteral("Bitmap files (*.bmp *.BMP *.png *.PNG *.jpg *.JPG *.jpeg *.JPEG)"));
    if (file.isEmpty()) {
        return;
    }
    const QImage image(file);
    if (image.isNull()) {
        // Attaching bytes no reader can show would leave the disc with a picture nobody sees.
        ShowError("Cannot read the picture " + file.toStdString());
        return;
    }
    chosen_ = file.toStdString();
    Show(image);
}

void TfrmBitmap::btnSaveClick() {
    QFileDialog dialog(this, QString(), DirectoryText(dataDirectory_));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(
        {QStringLiteral("Bitmap file (*.bmp *.BMP)"), QStringLiteral("All files (*)")});
    dialog.setDefaultSuffix(QStringLiteral("BMP"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return;
    }
    const QString file = dialog.selectedFiles().front();
    if (image_.isNull() ||
        !image_.save(
            file, file.endsWith(QStringLiteral(".BMP"), Qt::CaseInsensitive) ? "BMP" : nullptr)) {
        ShowError("Cannot save the picture to " + file.toStdString());
    }
}

void TfrmBitmap::btnClearClick() {
    Show(QImage());
    chosen_ = kClearedBitmap;
    std::error_code error;
    std::filesystem::remove(ResolveFileName(dataDirectory_, data_file::kDiscBitmap), error);
}

}  // namespace snx
