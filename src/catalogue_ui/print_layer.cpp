#include "catalogue_ui/print_layer.h"

#include <QCoreApplication>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QPageSize>
#include <QPdfWriter>
#include <QPrintDialog>
#include <cmath>
#include <system_error>

#include "catalogue_ui/printing_dlg.h"
#include "settings/settings.h"
#include "util/atomic_file.h"
#include "util/user_messages.h"

namespace snx {

namespace {

QString Qs(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

PaperSize PaintSize(QPageLayout layout, QPageLayout::Orientation orientation, int resolution) {
    layout.setOrientation(orientation);
    const QRect rect = layout.paintRectPixels(resolution);
    return {rect.width(), rect.height()};
}

// The named family, then the usual name of its kind and the metric-compatible family setup
// installs for it. Without them fontconfig answers an unknown name (the default "Times Roman New"
// among them) with its general fallback, whose wider letters break the grid.
QStringList ReportFontFamilies(const QString& name) {
    const QString lower = name.toLower();
    if (lower.contains(QStringLiteral("courier")) || lower.contains(QStringLiteral("mono"))) {
        return {name, QStringLiteral("Courier New"), QStringLiteral("Liberation Mono")};
    }
    if (lower.contains(QStringLiteral("arial")) || lower.contains(QStringLiteral("helvetica")) ||
        lower.contains(QStringLiteral("sans"))) {
        return {name, QStringLiteral("Arial"), QStringLiteral("Liberation Sans")};
    }
    return {name, QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif")};
}

}  // namespace

PrintLayer::PrintLayer(TPrintingDlg* dialog) : dialog_(dialog) {}

PrintLayer::~PrintLayer() {
    if (painter_.isActive()) {
        aborted_ = true;
        EndReport();
    }
}

void PrintLayer::PrintToPrinter() {
    pdfFile_.reset();
}

void PrintLayer::PrintToPdf(const std::filesystem::path& file) {
    pdfFile_ = file;
}

QPagedPaintDevice* PrintLayer::Device() {
    if (writer_) {
        return writer_.get();
    }
    return &printer_;
}

bool PrintLayer::Aborted() const {
    return aborted_ || (dialog_ != nullptr && dialog_->Aborted());
}

bool PrintLayer::BeginReport(const QString& title, QPageLayout::Orientation orientation,
                             int columnsNeeded) {
    aborted_ = false;
    if (dialog_ != nullptr) {
        dialog_->ClearAborted();
    }
    const Settings& settings = AppSettings();
    const bool named = !settings.ReportFontName.empty();
    fontName_ = named ? QString::fromStdString(settings.ReportFontName)
                      : QString::fromLatin1(kDefaultReportFont);
    const int size =
        named && settings.ReportFontSize > 0 ? settings.ReportFontSize : kDefaultReportFontSize;

    QString printerName;
    bool landscape = orientation == QPageLayout::Landscape;
    finalFile_.clear();
    tempFile_.clear();
    if (pdfFile_) {
        finalFile_ = *pdfFile_;
        tempFile_ = FollowLinks(finalFile_);
        tempFile_ += ".part";
        writer_ = std::make_unique<QPdfWriter>(QString::fromStdString(tempFile_.string()));
        writer_->setResolution(600);
        writer_->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), orientation,
                                           QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
        writer_->setTitle(title);
        writer_->setCreator(QStringLiteral("Sonatrix"));
        printerName = QString::fromStdString(finalFile_.filename().string());
    } else {
        oldOrientation_ = printer_.pageLayout().orientation();
        printer_.setPageOrientation(orientation);
        QPrintDialog chooser(&printer_, dialog_ != nullptr ? dialog_->parentWidget() : nullptr);
        if (chooser.exec() != QDialog::Accepted) {
            printer_.setPageOrientation(oldOrientation_);
            return false;
        }
        // The orientation the user set in the dialog, or the report's own left there.
        landscape = printer_.pageLayout().orientation() == QPageLayout::Landscape;
        printerName = printer_.printerName();
        if (printer_.outputFormat() == QPrinter::PdfFormat &&
            !printer_.outputFileName().isEmpty()) {
            finalFile_ = printer_.outputFileName().toStdString();
            tempFile_ = FollowLinks(finalFile_);
            tempFile_ += ".part";
            printer_.setOutputFileName(QString::fromStdString(tempFile_.string()));
            if (printerName.isEmpty()) {
                printerName = QString::fromStdString(finalFile_.filename().string());
            }
        }
    }

    QPagedPaintDevice* device = Device();
    const int resolution = device->logicalDpiY();
    const QPageLayout layout = device->pageLayout();
    const ReportPlan plan =
        PlanReport(size, resolution, PaintSize(layout, QPageLayout::Portrait, resolution),
                   PaintSize(layout, QPageLayout::Landscape, resolution), landscape, columnsNeeded);
    landscape_ = plan.Landscape;
    device->setPageOrientation(landscape_ ? QPageLayout::Landscape : QPageLayout::Portrait);
    grid_ = plan.Grid;
    baseSize_ = plan.FontSize;

    QFont wanted;
    wanted.setFamilies(ReportFontFamilies(fontName_));
    // Resolved once: every later size and weight asks for the family actually found, which is
    // much quicker than going down the list again.
    font_ = QFont(QFontInfo(wanted).family());
    font_.setPointSize(baseSize_);
    if (!painter_.begin(device)) {
        FinishFile(false);
        ShowError("Cannot start printing.");
        return false;
    }
    painter_.setPen(QPen(Qt::black, 3));
    ApplyFont();
    pageNumber_ = 1;
    if (dialog_ != nullptr) {
        dialog_->FormShow(printerName);
        // After the window's own set-up, which empties the label.
        dialog_->ReportLabel()->setText(title);
        QCoreApplication::processEvents();
    }
    return true;
}

void PrintLayer::FinishFile(bool keep) {
    writer_.reset();
    if (tempFile_.empty()) {
        return;
    }
    std::error_code error;
    if (keep) {
        // A link the user chose stays a link to the new report.
        std::filesystem::rename(tempFile_, FollowLinks(finalFile_), error);
    } else {
        std::filesystem::remove(tempFile_, error);
    }
    if (!pdfFile_) {
        printer_.setOutputFileName(QString::fromStdString(finalFile_.string()));
    }
    tempFile_.clear();
}

void PrintLayer::EndReport() {
    if (dialog_ != nullptr) {
        dialog_->hide();
    }
    const bool aborted = Aborted();
    if (aborted && !writer_ && tempFile_.empty()) {
        printer_.abort();
    }
    if (painter_.isActive()) {
        painter_.end();
    }
    FinishFile(!aborted);
    if (!pdfFile_) {
        printer_.setPageOrientation(oldOrientation_);
    }
}

void PrintLayer::ApplyFont() {
    painter_.setFont(font_);
    metrics_.emplace(font_, painter_.device());
}

void PrintLayer::SetCurrentFont(const QFont& font) {
    font_ = font;
    ApplyFont();
}

void PrintLayer::Write(std::string_view text, int column, int line, int width) {
    const QRectF cell(column * grid_.CellWidth, line * grid_.LineHeight, width * grid_.CellWidth,
                      2 * grid_.LineHeight);
    painter_.drawText(cell, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, Qs(text));
}

void PrintLayer::WriteRight(std::string_view text, int column, int line, int width) {
    const QRectF cell(column * grid_.CellWidth, line * grid_.LineHeight, width * grid_.CellWidth,
                      2 * grid_.LineHeight);
    painter_.drawText(cell, Qt::AlignRight | Qt::AlignTop | Qt::TextSingleLine,
                      Qs(RightAlignedText(text)));
}

void PrintLayer::Rule(int line, int fromColumn, int toColumn) {
    const double y = line * grid_.LineHeight + grid_.LineHeight / 2.0;
    const double half = grid_.CellWidth / 2.0;
    painter_.drawLine(QPointF(fromColumn * grid_.CellWidth + half, y),
                      QPointF(toColumn * grid_.CellWidth + half, y));
}

void PrintLayer::DrawPicture(const QImage& picture, int column1, int line1, int column2,
                             int line2) {
    const QRectF target(column1 * grid_.CellWidth, line1 * grid_.LineHeight,
                        (column2 - column1) * grid_.CellWidth, (line2 - line1) * grid_.LineHeight);
    painter_.drawImage(target, picture);
}

void PrintLayer::Bold() {
    font_.setBold(true);
    ApplyFont();
}

void PrintLayer::Plain() {
    font_.setBold(false);
    font_.setItalic(false);
    font_.setUnderline(false);
    font_.setStrikeOut(false);
    ApplyFont();
}

void PrintLayer::ScaleFont(int a, int b) {
    font_.setPointSize(std::max(1, baseSize_ * a / b));
    ApplyFont();
}

void PrintLayer::NewPage() {
    Device()->newPage();
    ++pageNumber_;
    if (dialog_ != nullptr) {
        // Lets the abort button be pressed while the report runs.
        QCoreApplication::processEvents();
    }
}

void PrintLayer::ShowPage(int page) {
    if (dialog_ != nullptr) {
        dialog_->PageLabel()->setText(QStringLiteral("Page: ") + QString::number(page));
    }
}

double PrintLayer::TextWidth(std::string_view text) const {
    return metrics_ ? metrics_->horizontalAdvance(Qs(text)) : 0.0;
}

std::vector<std::string> PrintLayer::WrapLines(const std::vector<std::string>& lines,
                                               int width) const {
    return WrapText(lines, width, grid_.CellWidth,
                    [this](std::string_view text) { return TextWidth(text); });
}

int PrintLayer::Wrap(const std::vector<std::string>& lines, int column, int firstLine, int width) {
    const std::vector<std::string> printed = WrapLines(lines, width);
    for (std::size_t i = 0; i < printed.size(); ++i) {
        Write(printed[i], column, firstLine + static_cast<int>(i), width);
    }
    return static_cast<int>(printed.size());
}

}  // namespace snx
