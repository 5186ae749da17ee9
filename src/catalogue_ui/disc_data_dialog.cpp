#include "catalogue_ui/disc_data_dialog.h"

#include <QAction>
#include <QComboBox>
#include <QImageWriter>
#include <QLineEdit>
#include <QPointer>
#include <QRegularExpressionValidator>

#include "catalogue/disc_catalogue.h"
#include "catalogue_ui/bitmap_dialog.h"
#include "catalogue_ui/completing_field.h"
#include "catalogue_ui/list_editing.h"
#include "catalogue_ui/track_dialogs.h"
#include "lookup/lookup_chooser.h"
#include "lookup/online_lookup.h"
#include "programming/programme_dialog.h"
#include "programming/programme_lists.h"
#include "programming/track_row.h"
#include "settings/file_names.h"
#include "settings/settings.h"
#include "ui_disc_data_dialog.h"
#include "ui_single_track_dialog.h"
#include "util/min_sec.h"
#include "util/user_messages.h"
#include "widgets/help_window.h"
#include "widgets/stored_text.h"
#include "widgets/stored_width.h"

namespace snx {

namespace {

constexpr std::array<ReferenceListKind, 4> kListOrder = {
    ReferenceListKind::Composers, ReferenceListKind::Artists, ReferenceListKind::Labels,
    ReferenceListKind::Types};
constexpr std::int16_t kBitmapBlock = 1025;
constexpr const char* kNoSample = "Selected disk does not have a recorded sample.";

QString Text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

void RemoveQuietly(const std::filesystem::path& file) {
    std::error_code error;
    std::filesystem::remove(file, error);
}

bool Exists(const std::filesystem::path& file) {
    std::error_code error;
    return std::filesystem::exists(file, error);
}

// A list-backed field's edit box, laid over its combo's text area without a frame.
QLineEdit* OverlayEdit(QComboBox* combo, const char* name, std::size_t width, const QString& text) {
    auto* edit = new QLineEdit(combo);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setFrame(false);
    edit->setToolTip(combo->toolTip());
    edit->setText(text);
    LimitToStoredWidth(edit, width);
    return edit;
}

}  // namespace

DiscEditorHooks& EditorHooks() {
    static DiscEditorHooks hooks;
    return hooks;
}

TfrmCDData::TfrmCDData(DiscEditor& editor, DiscCatalogue& catalogue, QWidget* parent)
    : QDialog(parent),
      ui_(std::make_unique<Ui::TfrmCDData>()),
      editor_(editor),
      catalogue_(catalogue) {
    ui_->setupUi(this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    SetHelpContext(this, kHelpDiscData);
    const Settings& settings = AppSettings();
    ui_->labUser1->setText(FromStored(settings.DiscUser1Label));
    ui_->labUser2->setText(FromStored(settings.DiscUser2Label));

    const DiscEditFields& fields = editor_.Fields;
    ui_->edName->setText(Text(fields.Name));
    LimitToStoredWidth(ui_->edName, kNameWidth);
    ui_->ed1->setText(Text(fields.User1));
    LimitToStoredWidth(ui_->ed1, kNameWidth);
    ui_->ed2->setText(Text(fields.User2));
    LimitToStoredWidth(ui_->ed2, kNameWidth);
    ui_->edRef->setText(Text(fields.Reference));
    LimitToStoredWidth(ui_->edRef, kReferenceWidth);
    // Four digits and nothing else: a value outside 0 to 9999 cannot be typed at all.
    ui_->edYear->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,4}")), ui_->edYear));
    ui_->edYear->setMaxLength(4);
    ui_->edYear->setText(QString::number(std::clamp(fields.Year, 0, kMaxYear)));

    const std::array<std::tuple<QComboBox*, const char*, std::size_t, const std::string*>, 4>
        pairs = {{{ui_->cbComp, "edComp", kNameWidth, &fields.Composer},
                  {ui_->cbArt, "edArt", kNameWidth, &fields.Artist},
                  {ui_->cbLab, "edLab", kLabelWidth, &fields.RecordLabel},
                  {ui_->cbCat, "edCat", kLabelWidth, &fields.MusicType}}};
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        const auto& [combo, name, bytes, text] = pairs[i];
        fields_[i] = new CompletingField(combo, OverlayEdit(combo, name, bytes, Text(*text)));
    }

    ui_->labID->setText(Text(editor_.Working.Identity));
    ui_->labTime->setText(Text(FormatMinSec(editor_.Working.PlayingTime)));
    ShowTrackRows();
    ui_->memDisc->setPlainText(Text(editor_.Notes));
    SetSampleButtons();

    connect(ui_->btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    connect(ui_->btnBit, &QPushButton::clicked, this, [this] { btnBitClick(); });
    connect(ui_->btnSample, &QPushButton::clicked, this, [this] { btnSampleClick(); });
    connect(ui_->btnWaveDel, &QPushButton::clicked, this, [this] { btnWaveDelClick(); });
    connect(ui_->btnProg, &QPushButton::clicked, this, [this] { btnProgClick(); });
    connect(ui_->btnTracks, &QPushButton::clicked, this, [this] { btnTracksClick(); });
    connect(ui_->lbTracks, &QListWidget::itemDoubleClicked, this, [this] { lbTracksDblClick(); });
    // Enter on a track opens it too; without this the list passes Enter on to OK. With no
    // track chosen (or none at all) Enter still means OK.
    auto* openTrack = new QAction(ui_->lbTracks);
    openTrack->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    openTrack->setShortcutContext(Qt::WidgetShortcut);
    openTrack->setEnabled(false);
    ui_->lbTracks->addAction(openTrack);
    connect(openTrack, &QAction::triggered, this, [this] { lbTracksDblClick(); });
    connect(ui_->lbTracks, &QListWidget::currentRowChanged, openTrack,
            [openTrack](int row) { openTrack->setEnabled(row >= 0); });
    connect(ui_->btnLookup, &QPushButton::clicked, this, [this] { btnLookupClick(); });
    ui_->btnLookup->setEnabled(EditorHooks().Lookup != nullptr);
}

TfrmCDData::~TfrmCDData() = default;

QPushButton* TfrmCDData::Button(const char* name) const {
    return findChild<QPushButton*>(QString::fromLatin1(name));
}

std::filesystem::path TfrmCDData::DataFile(std::string_view name) const {
    return ResolveFileName(catalogue_.DataDirectory(), name);
}

void TfrmCDData::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (listsLoaded_) {
        return;
    }
    listsLoaded_ = true;
    for (std::size_t i = 0; i < kListOrder.size(); ++i) {
        lists_[i].Load(ReferenceListPath(catalogue_.DataDirectory(), kListOrder[i]), false);
        fields_[i]->SetList(lists_[i]);
    }
}

void TfrmCDData::ShowTrackRows() {
    const int count = editor_.Tracks.RowCount() - 1;
    std::vector<std::string> rows;
    for (int n = 1; n <= count; ++n) {
        rows.push_back(TrackRow(n, editor_.Working.TrackLengths[static_cast<std::size_t>(n - 1)],
                                editor_.Tracks.Cell(0, n)));
    }
    ui_->lbTracks->SetRows(rows);
}

void TfrmCDData::SetSampleButtons() {
    const bool sample = editor_.Working.SampleAddress != 0;
    ui_->btnSample->setEnabled(sample);
    ui_->btnWaveDel->setEnabled(sample);
}

void TfrmCDData::btnOKClick() {
    const std::array<QComboBox*, 4> combos = {ui_->cbComp, ui_->cbArt, ui_->cbLab, ui_->cbCat};
    if (AppSettings().SaveNewEntries) {
        for (std::size_t i = 0; i < combos.size(); ++i) {
            const std::string typed = combos[i]->lineEdit()->text().toStdString();
            const std::filesystem::path file =
                ReferenceListPath(catalogue_.DataDirectory(), kListOrder[i]);
            if (SaveNewEntry(lists_[i], typed, file, kListOrder[i])) {
                fields_[i]->SetList(lists_[i]);
            }
        }
    }
    DiscEditFields& fields = editor_.Fields;
    fields.Name = ui_->edName->text().toStdString();
    fields.Composer = ui_->cbComp->lineEdit()->text().toStdString();
    fields.Artist = ui_->cbArt->lineEdit()->text().toStdString();
    fields.User1 = ui_->ed1->text().toStdString();
    fields.User2 = ui_->ed2->text().toStdString();
    fields.RecordLabel = ui_->cbLab->lineEdit()->text().toStdString();
    fields.MusicType = ui_->cbCat->lineEdit()->text().toStdString();
    fields.Reference = ui_->edRef->text().toStdString();
    fields.Year = ui_->edYear->text().toInt();
    editor_.Notes = ui_->memDisc->toPlainText().toStdString();
    accept();
}

void TfrmCDData::lbTracksDblClick() {
    const int index = ui_->lbTracks->currentRow();
    if (index < 0 || index + 1 >= editor_.Tracks.RowCount()) {
        return;
    }
    const int n = index + 1;
    TfrmSTrack dialog(this);
    dialog.ui->labNumber->setText(QString::number(n));
    dialog.ui->labTime->setText(ui_->lbTracks->Row(index).mid(2, 5));
    dialog.ui->edName->setText(Text(editor_.Tracks.Cell(0, n)));
    dialog.ui->edUser1->setText(Text(editor_.Tracks.Cell(1, n)));
    dialog.ui->edUser2->setText(Text(editor_.Tracks.Cell(2, n)));
    for (QLineEdit* edit : {dialog.ui->edName, dialog.ui->edUser1, dialog.ui->edUser2}) {
        LimitToStoredWidth(edit, kTrackTextWidth);
    }
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    editor_.Tracks.SetCell(0, n, dialog.ui->edName->text().toStdString());
    editor_.Tracks.SetCell(1, n, dialog.ui->edUser1->text().toStdString());
    editor_.Tracks.SetCell(2, n, dialog.ui->edUser2->text().toStdString());
    ShowTrackRows();
    ui_->lbTracks->setCurrentRow(index);
}

void TfrmCDData::btnTracksClick() {
    const int count = editor_.Tracks.RowCount() - 1;
    if (count < 1) {
        return;  // no track to edit
    }
    TfrmEdTr dialog(editor_.Tracks, count, ui_->edName->text(), this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    editor_.Tracks = dialog.Tracks();
    ShowTrackRows();
}

void TfrmCDData::btnBitClick() {
    DiscRecord& working = editor_.Working;
    const std::filesystem::path disc = DataFile(data_file::kDiscBitmap);
    RemoveQuietly(disc);
    if (working.BitmapAddress != 0 && catalogue_.OpenDiscVlf()) {
        catalogue_.Holder().Vlf.ExtractFile(working.BitmapAddress, disc, 0);
        catalogue_.CloseDiscVlf();
    }
    {
        TfrmBitmap dialog(catalogue_.DataDirectory(), this);
        if (dialog.exec() == QDialog::Accepted && !dialog.ChosenFile().empty()) {
            AttachPicture(dialog.ChosenFile());
        }
    }
    RemoveQuietly(DataFile(data_file::kDiscBitmap));
}

void TfrmCDData::AttachPicture(const std::string& chosen) {
    const bool cleared = chosen == kClearedBitmap;
    catalogue_.StoreDiscBlock(editor_.Working, &DiscRecord::BitmapAddress,
                              cleared ? std::filesystem::path() : std::filesystem::path(chosen),
                              kBitmapBlock);
}

void TfrmCDData::btnLookupClick() {
    OnlineLookup* lookup = EditorHooks().Lookup;
    if (lookup == nullptr) {
        return;
    }
    const DiscRecord& working = editor_.Working;
    std::optional<DiscToc> toc;
    if (EditorHooks().DriveToc) {
        toc = EditorHooks().DriveToc(working.Identity);
    }
    if (!toc) {
        const auto count =
            static_cast<std::size_t>(std::clamp<int>(working.TrackCount, 0, kMaxTracks));
        toc = TocOfTrackLengths(std::span<const Msf>(working.TrackLengths.data(), count));
    }
    if (!toc) {
        ui_->labLookup->setText(QStringLiteral("This record has no tracks to look up."));
        return;
    }
    ui_->btnLookup->setEnabled(false);
    ui_->labLookup->setText(QStringLiteral("Looking up this disc's names online..."));
    // The dialog may be closed before the answer comes.
    QPointer<TfrmCDData> self(this);
    lookup->Lookup(*toc, [self](const LookupOutcome& outcome) {
        if (self) {
            self->TakeLookup(outcome);
        }
    });
}

void TfrmCDData::TakeLookup(const LookupOutcome& outcome) {
    ui_->btnLookup->setEnabled(true);
    if (outcome.Candidates.empty()) {
        ui_->labLookup->setText(Text(outcome.Message));
        return;
    }
    const std::optional<LookupChoice> choice = ChooseCandidate(this, outcome.Candidates, true);
    if (!choice) {
        ui_->labLookup->setText(QStringLiteral("Nothing was taken from the lookup."));
        return;
    }
    const LookupCandidate& candidate = outcome.Candidates[choice->Index];
    FillFrom(candidate);
    ui_->labLookup->setText(
        QStringLiteral("Names filled from %1; OK stores them.").arg(Text(candidate.Source)));
    if (choice->TakeCover) {
        TakeCover(candidate);
    }
}

void TfrmCDData::FillFrom(const LookupCandidate& candidate) {
    // Through a record, so the fields are cut to their widths exactly as stored ones are.
    DiscRecord shown;
    shown.Name = ui_->edName->text().toStdString();
    shown.Composer = ui_->cbComp->lineEdit()->text().toStdString();
    shown.Artist = ui_->cbArt->lineEdit()->text().toStdString();
    shown.RecordLabel = ui_->cbLab->lineEdit()->text().toStdString();
    shown.MusicType = ui_->cbCat->lineEdit()->text().toStdString();
    shown.Year = static_cast<std::int16_t>(ui_->edYear->text().toInt());
    ApplyCandidate(candidate, shown, editor_.Tracks);
    ui_->edName->setText(Text(shown.Name));
    ui_->cbComp->lineEdit()->setText(Text(shown.Composer));
    ui_->cbArt->lineEdit()->setText(Text(shown.Artist));
    ui_->cbLab->lineEdit()->setText(Text(shown.RecordLabel));
    ui_->cbCat->lineEdit()->setText(Text(shown.MusicType));
    ui_->edYear->setText(QString::number(shown.Year));
    ShowTrackRows();
}

void TfrmCDData::TakeCover(const LookupCandidate& candidate) {
    ui_->labLookup->setText(QStringLiteral("Names filled from %1; fetching the front cover...")
                                .arg(Text(candidate.Source)));
    QPointer<TfrmCDData> self(this);
    EditorHooks().Lookup->FetchCover(
        candidate, [self](const QImage& cover, const std::string& failure) {
            if (!self) {
                return;
            }
            // JPEG keeps a photograph small; PNG where the platform has no JPEG writer.
            const bool jpeg = QImageWriter::supportedImageFormats().contains("jpeg");
            const std::filesystem::path file =
                self->DataFile(jpeg ? data_file::kCoverJpeg : data_file::kCoverPng);
            if (cover.isNull() ||
                !cover.save(QString::fromStdString(file.string()), jpeg ? "JPEG" : "PNG", 90)) {
                self->ui_->labLookup->setText(
                    Text(failure.empty() ? "The front cover could not be kept." : failure));
                RemoveQuietly(file);
                return;
            }
            self->AttachPicture(file.string());
            RemoveQuietly(file);
            self->ui_->labLookup->setText(
                QStringLiteral("Names filled; the front cover is the disc's picture."));
        });
}

void TfrmCDData::btnSampleClick() {
    DiscRecord& working = editor_.Working;
    if (working.SampleAddress == 0) {
        ShowError(kNoSample);
        return;
    }
    const std::filesystem::path wave = DataFile(data_file::kDiscSample);
    if (catalogue_.OpenDiscVlf()) {
        catalogue_.Holder().Vlf.ExtractFile(working.SampleAddress, wave, 0);
        catalogue_.CloseDiscVlf();
    }
    if (Exists(wave)) {
        QPalette palette = ui_->btnSample->palette();
        palette.setColor(QPalette::ButtonText, Qt::red);
        ui_->btnSample->setPalette(palette);
        ui_->btnSample->setText(QStringLiteral("Playing..."));
        ui_->btnSample->repaint();
        if (EditorHooks().PlaySample) {
            EditorHooks().PlaySample(wave);
        }
        ui_->btnSample->setPalette(QPalette());
        ui_->btnSample->setText(QStringLiteral("&Sample"));
    }
    RemoveQuietly(wave);
}

void TfrmCDData::btnWaveDelClick() {
    DiscRecord& working = editor_.Working;
    if (working.SampleAddress == 0) {
        ShowError(kNoSample);
        return;
    }
    if (!Confirm("Do you wish to delete the sample for the CD?")) {
        return;
    }
    catalogue_.StoreDiscBlock(working, &DiscRecord::SampleAddress, {}, TVlf::kTypeSample);
    SetSampleButtons();
}

void TfrmCDData::btnProgClick() {
    // The names are the grid's as edited so far, not the stored ones.
    ProgrammeLists lists(ProgrammeFlavour::Programme);
    FillProgrammeLists(lists, editor_.Working, editor_.Tracks);
    if (TfrmProgramme::Ask(this, lists)) {
        editor_.Working.Programme = ProgrammeOf(lists);
        catalogue_.WriteDiscRecord(editor_.Working);
    }
}

}  // namespace snx
