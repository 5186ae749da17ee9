// TPrintingDlg, the progress window of a printed report: the printer, the report's title, the
// page being printed and the button that aborts the job. Made once and shown for each report.
#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class TPrintingDlg;
}

class QLabel;
class QPushButton;

namespace snx {

class TPrintingDlg final : public QDialog {
    Q_OBJECT
  public:
    explicit TPrintingDlg(QWidget* parent = nullptr);
    ~TPrintingDlg() override;

    // Shows the window without blocking, centred on the screen, for a job on printerName.
    void FormShow(const QString& printerName);
    void AbortButtonClick();
    // Escape and the close box abort the job like the button; the window stays until the
    // report ends, so Abort is never taken away mid-report.
    void reject() override;

    bool Aborted() const { return aborted_; }
    void ClearAborted() { aborted_ = false; }

    QLabel* PrinterLabel() const;
    QLabel* ReportLabel() const;
    QLabel* PageLabel() const;
    QPushButton* AbortButton() const;

  private:
    std::unique_ptr<Ui::TPrintingDlg> ui_;
    bool aborted_ = false;
};

}  // namespace snx
