// The print layer under both catalogue reports: one report at a time, laid out on a grid of
// character cells fixed from the report font at the start, on a printer the user chooses in the
// system print dialog or straight into a PDF file. A job written to a file appears only when it
// ends unaborted.
#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue_ui/print_grid.h"

class QImage;
class QPdfWriter;
class QPagedPaintDevice;

namespace snx {

class TPrintingDlg;

// The report font when the settings name none.
inline constexpr const char* kDefaultReportFont = "Times Roman New";
constexpr int kDefaultReportFontSize = 12;

class PrintLayer {
  public:
    // dialog: the program's progress window, shown during each report; null where no window is
    // shown (the command line).
    explicit PrintLayer(TPrintingDlg* dialog = nullptr);
    ~PrintLayer();
    PrintLayer(const PrintLayer&) = delete;
    PrintLayer& operator=(const PrintLayer&) = delete;

    // The following reports go to the printer chosen in the system print dialog (the default).
    void PrintToPrinter();
    // The following reports go into this PDF file, A4, without the print dialog.
    void PrintToPdf(const std::filesystem::path& file);
    QPrinter& Printer() { return printer_; }

    // Takes the report font from the settings, asks for the printer, sets up the grid (landscape
    // when fewer than columnsNeeded fit), starts the job and shows the progress window with the
    // title. False, printing nothing, when the user cancels or the job cannot start (which is
    // reported).
    bool BeginReport(const QString& title, QPageLayout::Orientation orientation, int columnsNeeded);
    // Hides the progress window and ends the job, or aborts it when abort was asked for.
    void EndReport();

    // Texts are UTF-8. Write: left-aligned from column, clipped to width cells and two lines.
    void Write(std::string_view text, int column, int line, int width);
    // Right-aligned against the right edge of width cells; see RightAlignedText.
    void WriteRight(std::string_view text, int column, int line, int width);
    // A line through the middle of the line, from the middle of one cell to the middle of the
    // other.
    void Rule(int line, int fromColumn, int toColumn);
    // The picture stretched over the cells from (column1, line1) to (column2, line2).
    void DrawPicture(const QImage& picture, int column1, int line1, int column2, int line2);
    void Bold();
    void Plain();
    // Font size := base size * a / b.
    void ScaleFont(int a, int b);
    QFont CurrentFont() const { return font_; }
    void SetCurrentFont(const QFont& font);
    void NewPage();
    // Prints lines as wrapped paragraphs from (column, firstLine); the number of lines printed.
    int Wrap(const std::vector<std::string>& lines, int column, int firstLine, int width);
    // The lines Wrap would print, in the current font.
    std::vector<std::string> WrapLines(const std::vector<std::string>& lines, int width) const;
    double TextWidth(std::string_view text) const;

    // "Page: " + n in the progress window.
    void ShowPage(int page);
    void Abort() { aborted_ = true; }
    bool Aborted() const;

    const PrintGrid& Grid() const { return grid_; }
    int PageNumber() const { return pageNumber_; }
    int BaseSize() const { return baseSize_; }
    bool Landscape() const { return landscape_; }
    const QString& FontFamily() const { return fontName_; }

  private:
    QPagedPaintDevice* Device();
    void ApplyFont();
    void FinishFile(bool keep);

    TPrintingDlg* dialog_;
    QPrinter printer_{QPrinter::HighResolution};
    std::optional<std::filesystem::path> pdfFile_;
    std::unique_ptr<QPdfWriter> writer_;
    std::filesystem::path finalFile_;  // where a job written to a temporary file goes at its end
    std::filesystem::path tempFile_;
    QPainter painter_;
    QFont font_;
    std::optional<QFontMetricsF> metrics_;
    QString fontName_;
    PrintGrid grid_;
    QPageLayout::Orientation oldOrientation_ = QPageLayout::Portrait;
    int baseSize_ = kDefaultReportFontSize;
    int pageNumber_ = 1;
    bool landscape_ = false;
    bool aborted_ = false;
};

}  // namespace snx
