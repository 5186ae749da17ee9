#include "samples/record_dialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QProcess>
#include <QRadioButton>

#include "cd/cd_types.h"
#include "samples/adjust_dialog.h"
#include "samples/wave_device.h"
#include "settings/settings.h"
#include "ui_record_dialog.h"
#include "util/user_messages.h"
#include "widgets/help_window.h"

namespace snx {

TfrmRecord::TfrmRecord(SampleRecorder& recorder, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TfrmRecord>()), recorder_(recorder) {
    ui_->setupUi(this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    SetHelpContext(this, kHelpRecording);
    connect(ui_->btnStart, &QPushButton::clicked, this, &TfrmRecord::btnStartClick);
    connect(ui_->btnPrev, &QPushButton::clicked, this, &TfrmRecord::btnPrevClick);
    connect(ui_->btnAdjust, &QPushButton::clicked, this, &TfrmRecord::btnAdjustClick);
    connect(ui_->btnRecord, &QPushButton::clicked, this, &TfrmRecord::btnRecordClick);

    recorder_.AskSaveName = [this]() -> std::optional<std::string> {
        QFileDialog dialog(this, QStringLiteral("Save recording as"),
                           QString::fromStdString(AppSettings().ProgramDirectory),
                           QStringLiteral("Wave files (*.WAV *.wav);;All files (*)"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("WAV"));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
            return std::nullopt;
        }
        return dialog.selectedFiles().front().toStdString();
    };
    AskControlProgram = [this] {
        return QFileDialog::getOpenFileName(this, QStringLiteral("Recording control program"),
                                            QString(), QStringLiteral("Applications (*)"));
    };
}

TfrmRecord::~TfrmRecord() {
    recorder_.AskSaveName = nullptr;
}

std::array<QRadioButton*, 6> TfrmRecord::RateButtons() const {
    return {ui_->rb40, ui_->rb55, ui_->rb8, ui_->rb11, ui_->rb22, ui_->rb44};
}

RecordOptions TfrmRecord::Options() const {
    RecordOptions options;
    options.Bookmark = ui_->rbBook->isChecked();
    const std::array<QRadioButton*, 6> rates = RateButtons();
    for (std::size_t i = 0; i < rates.size(); ++i) {
        if (rates[i]->isChecked()) {
            options.Format.Rate = kRecordRates[i];
        }
    }
    options.Format.Bits = ui_->rb16bit->isChecked() ? 16 : 8;
    options.Format.Channels = ui_->rbStereo->isChecked() ? 2 : 1;
    return options;
}

void TfrmRecord::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TfrmRecord::FormShow() {
    // A refused rate is greyed, but the choice is left where it was.
    const std::array<QRadioButton*, 6> rates = RateButtons();
    for (std::size_t i = 0; i < rates.size(); ++i) {
        rates[i]->setEnabled(recorder_.Wave().IsRecordFormatSupported(kRecordRates[i]));
    }
    const bool bookmark = recorder_.BookmarkSet();
    ui_->rbBook->setEnabled(bookmark);
    ui_->btnAdjust->setEnabled(bookmark);
    ui_->btnPrev->setEnabled(bookmark);
    if (bookmark) {
        ui_->rbBook->setChecked(true);
    } else {
        ui_->rbTracks->setChecked(true);
    }
}

void TfrmRecord::btnStartClick() {
    try {
        if (recorder_.Start(Options())) {
            accept();
        }
    } catch (const EMCIDeviceError& error) {
        ShowError(error.what());
    }
}

void TfrmRecord::btnPrevClick() {
    try {
        recorder_.Preview();
    } catch (const EMCIDeviceError& error) {
        ShowError(error.what());
    }
}

void TfrmRecord::btnAdjustClick() {
    TfrmAdjust adjust(recorder_.Engine(), this);
    adjust.exec();
}

void TfrmRecord::btnRecordClick() {
    Settings& settings = AppSettings();
    QString program = QString::fromStdString(settings.RecordingControlProgram);
    const QFileInfo info(program);
    if (program.isEmpty() || !info.isFile()) {
        program = AskControlProgram ? AskControlProgram() : QString();
        if (program.isEmpty()) {
            return;
        }
        settings.RecordingControlProgram = program.toStdString();
        try {
            SaveSettings();
        } catch (const SettingsWriteError& error) {
            ShowError(error.what());
        }
    }
    if (!QProcess::startDetached(program, {}, QFileInfo(program).absolutePath())) {
        ShowError("Cannot start " + program.toStdString());
    }
}

}  // namespace snx
