#include "samples/select_play_dialog.h"

#include <QFileDialog>
#include <QPainter>
#include <QPainterPath>
#include <QStyledItemDelegate>

#include "catalogue/disc_catalogue.h"
#include "player/player_engine.h"
#include "samples/sample_list.h"
#include "samples/sample_recorder.h"
#include "samples/wave_device.h"
#include "samples/wave_playback.h"
#include "settings/file_names.h"
#include "ui_select_play_dialog.h"
#include "util/text.h"
#include "util/user_messages.h"
#include "widgets/button_glyphs.h"
#include "widgets/help_window.h"

namespace snx {

namespace {

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
    playback_ = new WavePlayback(wave_, ui_->btnStop, ui_->trBar, ui_->labStart, ui_->labEnd, this);
    connect(ui_->btnCurrent, &QPushButton::clicked, this, &TfrmSelectPlay::btnCurrentClick);
    connect(ui_->btnSelected, &QPushButton::clicked, this, &TfrmSelectPlay::btnSelectedClick);
    connect(ui_->lbDisc, &QListWidget::itemDoubleClicked, this, &TfrmSelectPlay::btnSelectedClick);
    connect(ui_->btnWave, &QPushButton::clicked, this, &TfrmSelectPlay::btnWaveClick);
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
    for (const std::string& row : ReadSampleList(catalogue_)) {
        auto* item = new QListWidgetItem(QString::fromStdString(StoredTextToUtf8(RowName(row))));
        item->setData(kRowRole, QString::fromLatin1(row.data(), static_cast<int>(row.size())));
        ui_->lbDisc->addItem(item);
    }
    sound_ = SoundPicture();
}

void TfrmSelectPlay::PlaySampleAt(std::int32_t address) {
    const std::filesystem::path file =
        ResolveFileName(catalogue_.DataDirectory(), data_file::kDiscSample);
    if (ExtractSample(catalogue_, address, file)) {
        PlayFile(file);
    }
}

void TfrmSelectPlay::btnCurrentClick() {
    PlaySampleAt(engine_.Disc().Present() ? engine_.Disc().Record().SampleAddress : 0);
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

void TfrmSelectPlay::PlayFile(const std::filesystem::path& file) {
    playback_->PlayFile(file);
}

void TfrmSelectPlay::TimerTimer() {
    playback_->TimerTimer();
}

void TfrmSelectPlay::trBarChange(int position) {
    playback_->trBarChange(position);
}

void TfrmSelectPlay::StopWavePlayback() {
    playback_->Stop();
}

QTimer* TfrmSelectPlay::Timer() const {
    return playback_->Timer();
}

void TfrmSelectPlay::done(int result) {
    StopWavePlayback();
    QDialog::done(result);
}

}  // namespace snx
