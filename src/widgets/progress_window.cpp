#include "widgets/progress_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

namespace snx {

namespace {

const QColor kAqua(0, 255, 255);
const QColor kDone(0, 0, 128);

int running = 0;

}  // namespace

void PaintProgressGauge(QPainter& painter, QRect area, int percent) {
    percent = std::clamp(percent, 0, 100);
    painter.fillRect(area, kAqua);
    QRect done = area;
    done.setWidth(area.width() * percent / 100);
    painter.fillRect(done, kDone);
    const QString text = QStringLiteral("%1%").arg(percent);
    // The text is drawn twice, clipped: dark over the aqua, aqua over the done part.
    painter.save();
    painter.setClipRect(area);
    painter.setPen(kDone);
    painter.drawText(area, Qt::AlignCenter, text);
    painter.setClipRect(done);
    painter.setPen(kAqua);
    painter.drawText(area, Qt::AlignCenter, text);
    painter.restore();
}

ProgressGauge::ProgressGauge(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Gauge"));
    setMinimumSize(200, 20);
}

void ProgressGauge::SetProgress(int percent) {
    percent = std::clamp(percent, 0, 100);
    if (percent != percent_) {
        percent_ = percent;
        update();
    }
}

void ProgressGauge::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintProgressGauge(painter, rect(), percent_);
}

TProgForm::TProgForm(const QString& caption, QWidget* parent)
    : QDialog(parent),
      gauge_(new ProgressGauge),
      cancel_(new QPushButton(QStringLiteral("Cancel"))) {
    ++running;
    setObjectName(QStringLiteral("ProgForm"));
    setWindowTitle(caption);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::CustomizeWindowHint);
    // Timers and repaints go on during the work; input goes only to this window.
    setWindowModality(Qt::ApplicationModal);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kAqua);
    setPalette(palette);
    setAutoFillBackground(true);

    cancel_->setObjectName(QStringLiteral("btnCancel"));
    cancel_->setAutoDefault(false);
    connect(cancel_, &QPushButton::clicked, this, [this] {
        cancelled_ = true;
        cancel_->setEnabled(false);
    });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(gauge_);
    layout->addWidget(cancel_, 0, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    resize(sizeHint());
}

TProgForm::~TProgForm() {
    --running;
}

bool TProgForm::WorkRunning() {
    return running > 0;
}

int TProgForm::Progress() const {
    return gauge_->Progress();
}

void TProgForm::SetCancellable(bool cancellable) {
    cancel_->setEnabled(cancellable && !cancelled_);
}

void TProgForm::Report(int percent) {
    gauge_->SetProgress(percent);
    if (!isVisible()) {
        adjustSize();
        const QScreen* screen =
            parentWidget() != nullptr ? parentWidget()->screen() : QGuiApplication::primaryScreen();
        if (screen != nullptr) {
            QRect frame = frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
        show();
        Pump();
        return;
    }
    if (interval_ <= 0 || sincePump_.hasExpired(interval_)) {
        Pump();
    }
}

void TProgForm::Pump() {
    sincePump_.restart();
    repaint();
    QCoreApplication::processEvents();
}

std::function<void(int)> TProgForm::ProgressHook() {
    return [this](int percent) { Report(percent); };
}

std::function<bool()> TProgForm::CancelHook() {
    return [this] { return cancelled_; };
}

void TProgForm::reject() {
    if (cancel_->isEnabled()) {
        cancel_->click();
    }
}

void TProgForm::closeEvent(QCloseEvent* event) {
    reject();
    event->ignore();
}

}  // namespace snx
