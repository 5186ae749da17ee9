#include "samples/select_play_dialog.h"

#include <QFileDialog>
#include <QPainter>
#include <QPainterPath>
#include <QStyledItemDelegate>
#include <QTimer>

#include "catalogue/disc_catalogue.h"
#include "cd/cd_types.h"
#include "player/player_engine.h"
#include "samples/sample_list.h"
#include "samples/sample_recorder.h"
#include "samples/wave_device.h"
#include "settings/file_names.h"
#include "ui_select_play_dialog.h"
#include "util/text.h"
#include "util/user_messages.h"
#include "widgets/button_glyphs.h"
#include "widgets/help_window.h"

namespace snx {

namespace {

constexpr int kTimerInterval = 100;
constexpr int kItemHeight = 18;
constexpr int kRowRole = Qt::UserRole + 1;

// Draws a row as the list always has: the name at 20 pixels, the picture in front of it.
class DiscRowDelegate final : public QStyledItemDelegate {
  public:
    DiscRowDelegate(const QPixmap& sound, QObject* parent)
        : QStyledItemDelegate(parent), sound_(sound) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const std::string row = index.data(kRowRole).toString().toStdString();
        const bool selected = (option.state & QStyle::State_Selected) != 0;
        const QPalette& palette = option.palette;
        painter->fillRect(option.rect, selected ? palette.highlight() : palette.base());
        painter->setPen(selected ? palette.highlightedText().color() : palette.text().color());
        const QRect text = option.rect.adjusted(20, 2, 0, 0);
        painter->drawText(text, Qt::AlignLeft | Qt::AlignTop,
                          QString::fromStdString(StoredTextToUtf8(RowName(row))));
        if (RowHasSample(row)) {
            painter->drawPixmap(option.rect.left() + 2, option.rect.top() + 1, sound_);
        }
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {QStyledItemDelegate::sizeHint(option, index).width(), kItemHeight};
    }

  private:
    const QPixmap& sound_;
};

}  // namespace

QPixmap SoundPicture() {
    // A note beside a loudspeaker: a disc that can be heard.
    QPixmap picture(16, 16);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(QColor(0, 120, 200));
    painter.drawPolygon(
        QPolygonF({{1.5, 5.5}, {4.5, 5.5}, {8.5, 1.5}, {8.5, 13.5}, {4.5, 9.5}, {1.5, 9.5}}));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(200, 0, 0), 1.5));
    painter.drawArc(QRectF(6, 3.5, 6, 8), -60 * 16, 120 * 16);
    painter.drawArc(QRectF(6, 1, 9.5, 13), -60 * 16, 120 * 16);
    return picture;
}

TfrmSelectPlay::TfrmSelectPlay(DiscCatalogue& catalogue, WaveDevice& wave,
                               const PlayerEngine& engine, QWidget* parent)
    : QDialog(parent),
      ui_(std::make_unique<Ui::TfrmSelectPlay>()),
      catalogue_(catalogue),
      wave_(wave),
      engine_(engine) {
    ui_->setupUi(this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    SetHelpContext(this, kHelpSelectPlay);
    ui_->btnStop->setIcon(ButtonGlyph("StopColor"));
    ui_->lbDisc->setItemDelegate(new DiscRowDelegate(sound_, this));
    timer_ = new QTimer(this);
    timer_->setInterval(kTimerInterval);
    connect(timer_, &QTimer::timeout, this, &TfrmSelectPlay::TimerTimer);
    connect(ui_->btnCurrent, &QPushButton::clicked, this, &TfrmSelectPlay::btnCurrentClick);
    connect(ui_->btnSelected, &QPushButton::clicked, this, &TfrmSelectPlay::btnSelectedClick);
    connect(ui_->lbDisc, &QListWidget::itemDoubleClicked, this, &TfrmSelectPlay::btnSelectedClick);
    connect(ui_->btnWave, &QPushButton::clicked, this, &TfrmSelectPlay::btnWaveClick);
    connect(ui_->btnStop, &QToolButton::clicked, this, &TfrmSelectPlay::StopWavePlayback);
    connect(ui_->trBar, &QSlider::valueChanged, this, &TfrmSelectPlay::trBarChange);
    AskWaveFile = [this] {
        return QFileDialog::getOpenFileName(
            this, QStringLiteral("Play wave file"),
            QString::fromStdString(catalogue_.DataDirectory().string()),
            QStringLiteral("Wave files (*.wav *.WAV);;All files (*)"));
    };
    FormShow();
}

TfrmSelectPlay::~TfrmSelectPlay() {
    // Closing by any way stops the wave and closes the device.
    StopWavePlayback();
}

void TfrmSelectPlay::FormShow() {
    ui_->labStart->clear();
    ui_->labEnd->clear();
    ui_->btnStop->setEnabled(false);
    ui_->trBar->setEnabled(false);
    ui_->trBar->setRange(0, 0);
    for (const std::string& row : ReadSampleList(catalogue_)) {
        auto* item = new QListWidgetItem(QString::fromStdString(StoredTextToUtf8(RowName(row))));
        item->setData(kRowRole, QString::fromLatin1(row.data(), static_cast<int>(row.size())));
        ui_->lbDisc->addItem(item);
    }
    sound_ = SoundPicture();
}

void TfrmSelectPlay::SetBar(int position) {
    // The bar follows the playback; only the user's moves restart it.
    settingBar_ = true;
    ui_->trBar->setValue(position);
    settingBar_ = false;
}

void TfrmSelectPlay::StartWavePlayback() {
    ui_->btnStop->setEnabled(true);
    ui_->trBar->setEnabled(true);
    length_ = wave_.GetWaveLength();
    position_ = 0;
    ui_->labStart->setText(QStringLiteral("0"));
    ui_->labEnd->setText(QString::asprintf("%6.2f", static_cast<double>(length_) * 0.001));
    settingBar_ = true;
    ui_->trBar->setRange(0, static_cast<int>(length_ / 1000));
    settingBar_ = false;
    SetBar(0);
    timer_->start();
}

void TfrmSelectPlay::PlayFile(const std::filesystem::path& file) {
    StopWavePlayback();
    try {
        wave_.OpenWave(file.string());
        ownsWave_ = wave_.IsOpen();
        if (!ownsWave_) {
            return;  // not a wave the device can play: nothing is heard
        }
        StartWavePlayback();
        wave_.PlayWave(false);
    } catch (const EMCIDeviceError& error) {
        ShowError(error.what());
    }
}

void TfrmSelectPlay::PlaySampleAt(std::int32_t address) {
    const std::filesystem::path file = ResolveFileName(catalogue_.DataDirectory(), kDiscSample);
    if (ExtractSample(catalogue_, address, file)) {
        PlayFile(file);
    }
}

void TfrmSelectPlay::btnCurrentClick() {
    PlaySampleAt(engine_.Identity().empty() ? 0 : engine_.Record().SampleAddress);
}

void TfrmSelectPlay::btnSelectedClick() {
    QListWidgetItem* item = ui_->lbDisc->currentItem();
    if (item == nullptr || !item->isSelected()) {
        ShowError("Please select a disc whose sample is to be played.");
        return;
    }
    const QByteArray bytes = item->data(kRowRole).toString().toLatin1();
    const std::string row(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    if (!RowHasSample(row)) {
        ShowError("Selected disk does not have a recorded sample.");
        return;
    }
    const std::optional<DiscRecord> record = FindDiscRecord(catalogue_, RowIdentity(row));
    if (!record) {
        ShowError("Disc record cannot be located in primary index");
        return;
    }
    PlaySampleAt(record->SampleAddress);
}

void TfrmSelectPlay::btnWaveClick() {
    const QString name = AskWaveFile ? AskWaveFile() : QString();
    std::error_code error;
    if (!name.isEmpty() && std::filesystem::is_regular_file(name.toStdString(), error)) {
        PlayFile(name.toStdString());
    }
}

void TfrmSelectPlay::TimerTimer() {
    if (!ownsWave_ || !wave_.IsOpen()) {
        StopWavePlayback();
        return;
    }
    position_ = wave_.GetWavePosition();
    SetBar(static_cast<int>(position_ / 1000));
    if (position_ >= length_) {
        StopWavePlayback();
    }
}

void TfrmSelectPlay::trBarChange(int position) {
    if (settingBar_ || !ownsWave_ || !wave_.IsOpen()) {
        return;
    }
    wave_.PlayWaveFrom(static_cast<std::int64_t>(position) * 1000);
}

void TfrmSelectPlay::StopWavePlayback() {
    // Only what this dialog opened: a recording in progress keeps the device.
    if (ownsWave_) {
        wave_.CloseWave();
        ownsWave_ = false;
    }
    timer_->stop();
    ui_->btnStop->setEnabled(false);
    ui_->trBar->setEnabled(false);
    SetBar(0);
    ui_->labStart->clear();
    ui_->labEnd->clear();
}

void TfrmSelectPlay::done(int result) {
    StopWavePlayback();
    QDialog::done(result);
}

}  // namespace snx
