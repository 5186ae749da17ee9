// TProgForm, the progress window of long catalogue work (export, import, rebuild): a 0 to 100 %
// gauge and a Cancel button. The work runs on the user-interface thread; each report lets the
// program handle its events at a bounded rate, so windows repaint and timers run while the
// progress window keeps every other window from taking input.
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QWidget>
#include <functional>

class QPainter;
class QPushButton;

namespace snx {

// The gauge's drawing: aqua background, the done part in blue, the percentage centred.
void PaintProgressGauge(QPainter& painter, QRect area, int percent);

class ProgressGauge final : public QWidget {
    Q_OBJECT
  public:
    explicit ProgressGauge(QWidget* parent = nullptr);
    void SetProgress(int percent);
    int Progress() const { return percent_; }
    QSize sizeHint() const override { return {240, 22}; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    int percent_ = 0;
};

class TProgForm final : public QDialog {
    Q_OBJECT
  public:
    // Events are handled at most this often during the work, in milliseconds.
    static constexpr int kDefaultEventInterval = 50;

    // caption: "Exporting", "Importing" or "Rebuilding". Not shown until the first report.
    explicit TProgForm(const QString& caption, QWidget* parent = nullptr);
    ~TProgForm() override;

    // Sets the gauge; shows the window at the first call. Handles pending events when the last
    // time was at least EventInterval ago, so the gauge and every window repaint.
    void Report(int percent);
    // Whether the user asked to stop.
    bool Cancelled() const { return cancelled_; }
    // Once the work can no longer stop, Cancel is turned off.
    void SetCancellable(bool cancellable);

    int Progress() const;
    QPushButton* CancelButton() const { return cancel_; }
    void SetEventInterval(int milliseconds) { interval_ = milliseconds; }

    // The core's progress and cancel hooks, bound to this window.
    std::function<void(int)> ProgressHook();
    std::function<bool()> CancelHook();

    // True while any progress window exists: the work it shows is running, and windows must not
    // start catalogue work of their own.
    static bool WorkRunning();

    // Escape and the window's close ask to stop; the window stays until the work returns.
    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void Pump();

    ProgressGauge* gauge_;
    QPushButton* cancel_;
    QElapsedTimer sincePump_;
    int interval_ = kDefaultEventInterval;
    bool cancelled_ = false;
};

}  // namespace snx
