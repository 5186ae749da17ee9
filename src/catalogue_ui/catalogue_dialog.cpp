#include "catalogue_ui/catalogue_dialog.h"

#include <QApplication>
#include <QCollator>
#include <QValidator>

#include "archive/archive_cue.h"
#include "archive/archive_index.h"
#include "archive/archive_names.h"
#include "archive/archive_play.h"
#include "catalogue/browse_attach.h"
#include "catalogue/disc_catalogue.h"
#include "catalogue/fvlf.h"
#include "catalogue_ui/bitmap_dialog.h"
#include "catalogue_ui/browse_model.h"
#include "catalogue_ui/browse_pictures.h"
#include "catalogue_ui/catalogue_reports.h"
#include "catalogue_ui/disc_data_dialog.h"
#include "catalogue_ui/disc_editor.h"
#include "player/player_engine.h"
#include "samples/sample_list.h"
#include "samples/sample_recorder.h"
#include "samples/wave_playback.h"
#include "settings/file_names.h"
#include "settings/settings.h"
#include "ui_catalogue_dialog.h"
#include "util/text.h"
#include "util/user_messages.h"
#include "widgets/button_glyphs.h"
#include "widgets/help_window.h"

namespace snx {

namespace {

const QString kSortOn = QStringLiteral("Sort CDs by name");
const QString kSortOff = QStringLiteral("Do not sort CDs by name");

// Typed letters a to z become upper case, as the filters compare.
class UpperCaseValidator final : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        for (QChar& c : input) {
            if (c >= QLatin1Char('a') && c <= QLatin1Char('z')) {
                c = QChar(c.unicode() - 'a' + 'A');
            }
        }
        return Acceptable;
    }
};

// The wait cursor for as long as the object lives.
class WaitCursor {
  public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// While a report prints the print layer lets events through for its Abort button; the browser
// is disabled meanwhile, so nothing it does can change the tree or the record files the report
// is using, and it cannot be closed under it.
class ReportRunning {
  public:
    ReportRunning(QWidget& browser, bool& printing) : browser_(browser), printing_(printing) {
        printing_ = true;
        browser_.setEnabled(false);
    }
    ~ReportRunning() {
        browser_.setEnabled(true);
        printing_ = false;
    }
    ReportRunning(const ReportRunning&) = delete;
    ReportRunning& operator=(const ReportRunning&) = delete;

  private:
    QWidget& browser_;
    bool& printing_;
};

std::string FromUi(const QString& text) {
    return text.toStdString();
}

}  // namespace

TfrmCat::TfrmCat(DiscCatalogue& catalogue, WaveDevice& wave, PlayerEngine& engine,
                 PrintLayer& layer, QWidget* parent)
    : QDialog(parent),
      ui_(std::make_unique<Ui::TfrmCat>()),
      catalogue_(catalogue),
      engine_(engine),
      layer_(layer) {
    ui_->setupUi(this);
    SetHelpContext(this, kHelpCatalogue);
    ui_->btnStop->setIcon(ButtonGlyph("StopColor"));
    for (QLineEdit* edit : {ui_->edName, ui_->edRef, ui_->edTrack}) {
        edit->setValidator(new UpperCaseValidator(edit));
        connect(edit, &QLineEdit::returnPressed, this, &TfrmCat::rbNameClick);
    }
    model_ = new BrowseModel(BrowsePictures(), this);
    ui_->TV->setModel(model_);
    playback_ = new WavePlayback(wave, ui_->btnStop, ui_->trBar, ui_->labStart, ui_->labEnd, this);

    for (QAbstractButton* button :
         std::initializer_list<QAbstractButton*>{ui_->rbName, ui_->rbComp, ui_->rbArt, ui_->rbType,
                                                 ui_->rbLab, ui_->cbFilter, ui_->btnRefresh}) {
        connect(button, &QAbstractButton::clicked, this, &TfrmCat::rbNameClick);
    }
    connect(ui_->btnSort, &QPushButton::clicked, this, &TfrmCat::btnSortClick);
    connect(ui_->btnPlay, &QPushButton::clicked, this, &TfrmCat::btnSelectedClick);
    connect(ui_->btnBitmap, &QPushButton::clicked, this, &TfrmCat::btnBitmapClick);
    connect(ui_->btnEdit, &QPushButton::clicked, this, &TfrmCat::btnEditClick);
    connect(ui_->btnDelete, &QPushButton::clicked, this, &TfrmCat::btnDeleteClick);
    connect(ui_->btnAttach, &QPushButton::clicked, this, &TfrmCat::btnAttachClick);
    connect(ui_->btnArchive, &QPushButton::clicked, this, &TfrmCat::btnArchiveClick);
    connect(ui_->TV->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TfrmCat::ShowArchiveButton);
    connect(model_, &QAbstractItemModel::modelReset, this, &TfrmCat::ShowArchiveButton);
    connect(ui_->btnPrintCD, &QPushButton::clicked, this, &TfrmCat::btnPrintCDClick);
    connect(ui_->btnPrintCat, &QPushButton::clicked, this, &TfrmCat::btnPrintCatClick);
    FormShow();
}

TfrmCat::~TfrmCat() = default;

void TfrmCat::FormShow() {
    {
        WaitCursor wait;
        ClearTree();
        const Settings& settings = AppSettings();
        model_->SetArchived(
            ArchiveIndex::Load(catalogue_.DataDirectory(),
                               ArchiveFolderOf(settings.ArchiveFolder, settings.WindowsDirectory))
                .Folders());
        model_->SetTree(BuildBrowseTree(catalogue_, View(), Filter()));
    }
    ShowCounts();
}

void TfrmCat::ShowCounts() {
    const CatalogueCounts counts = CountCatalogue(catalogue_);
    ui_->labNo->setText(QString::number(counts.Discs));
    ui_->labStatus->setText(counts.UnusedSpace ? QStringLiteral("Unused space - Rebuild.")
                                               : QString());
}

BrowseView TfrmCat::View() const {
    if (ui_->rbComp->isChecked()) {
        return BrowseView::Composer;
    }
    if (ui_->rbArt->isChecked()) {
        return BrowseView::Artist;
    }
    if (ui_->rbType->isChecked()) {
        return BrowseView::Type;
    }
    if (ui_->rbLab->isChecked()) {
        return BrowseView::Label;
    }
    return BrowseView::Name;
}

BrowseFilter TfrmCat::Filter() const {
    return {ui_->cbFilter->isChecked(), FromUi(ui_->edName->text()), FromUi(ui_->edRef->text()),
            FromUi(ui_->edTrack->text())};
}

void TfrmCat::ClearTree() {
    WaitCursor wait;
    sorted_ = false;
    ui_->btnSort->setText(kSortOn);
    model_->Clear();
}

void TfrmCat::rbNameClick() {
    WaitCursor wait;
    ClearTree();
    model_->SetTree(BuildBrowseTree(catalogue_, View(), Filter()));
    ui_->TV->setFocus();
}

void TfrmCat::btnSortClick() {
    WaitCursor wait;
    if (sorted_) {
        // The nodes stay where sorting put them until the next refresh.
        sorted_ = false;
        ui_->btnSort->setText(kSortOn);
        return;
    }
    sorted_ = true;
    ui_->btnSort->setText(kSortOff);
    QCollator collator;  // the user's locale
    model_->Sort([&collator](std::string_view a, std::string_view b) {
        return collator.compare(QString::fromStdString(StoredTextToUtf8(a)),
                                QString::fromStdString(StoredTextToUtf8(b)));
    });
}

QModelIndex TfrmCat::SelectedIndex() const {
    const QModelIndexList selected = ui_->TV->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? QModelIndex() : selected.front();
}

const BrowseNode* TfrmCat::Selected() const {
    return model_->Node(SelectedIndex());
}

std::string TfrmCat::DriveIdentity() const {
    return engine_.Disc().Identity();
}

bool TfrmCat::ReadSelected(const BrowseNode& node, DiscRecord& record) {
    if (!catalogue_.OpenDiscFiles()) {
        return false;
    }
    const bool read = catalogue_.ReadRecord(node.RecordNumber, record);
    if (!read) {
        catalogue_.ReportRecordError(0);
    }
    catalogue_.CloseDiscFiles();
    return read;
}

void TfrmCat::btnSelectedClick() {
    const BrowseNode* node = Selected();
    if (node == nullptr || node->Heading) {
        ShowError("Please first select a CD whose Wave file is to be played.");
        return;
    }
    DiscRecord record;
    if (!ReadSelected(*node, record)) {
        return;
    }
    const std::filesystem::path file =
        ResolveFileName(catalogue_.DataDirectory(), data_file::kDiscSample);
    DiscCatalogue::DeleteQuietly(file);
    if (record.SampleAddress != 0) {
        if (ExtractSample(catalogue_, record.SampleAddress, file)) {
            playback_->PlayFile(file);
        }
    } else {
        ShowError("Select CD does not have a recorded sample.");
    }
    // The device has the file open; its name can go now.
    DiscCatalogue::DeleteQuietly(file);
    ui_->TV->setFocus();
}

void TfrmCat::btnBitmapClick() {
    const BrowseNode* node = Selected();
    if (node == nullptr || node->Heading) {
        ShowError("Please first select a CD whose Bitmap is to be viewed.");
        return;
    }
    DiscRecord record;
    if (!ReadSelected(*node, record)) {
        return;
    }
    const std::filesystem::path dir = catalogue_.DataDirectory();
    const std::filesystem::path file = ResolveFileName(dir, data_file::kDiscBitmap);
    DiscCatalogue::DeleteQuietly(file);
    if (record.BitmapAddress != 0) {
        if (catalogue_.OpenDiscVlf()) {
            catalogue_.Holder().Vlf.ExtractFile(record.BitmapAddress, file, 0);
            catalogue_.CloseDiscVlf();
        }
        std::error_code error;
        if (std::filesystem::exists(file, error)) {
            TfrmBitmap dialog(dir, this);
            for (const char* name : {"btnLoad", "btnSave", "btnClear", "btnCancel"}) {
                dialog.Button(name)->setEnabled(false);
            }
            dialog.exec();
        }
    } else {
        ShowError("Select CD does not have a bitmap attached to it.");
    }
    DiscCatalogue::DeleteQuietly(file);
    ui_->TV->setFocus();
}

void TfrmCat::btnEditClick() {
    const QModelIndex index = SelectedIndex();
    const BrowseNode* node = model_->Node(index);
    if (node == nullptr || node->Heading) {
        ShowError("Please first select the CD to be edited.");
        return;
    }
    DiscRecord record;
    if (!ReadSelected(*node, record)) {
        return;
    }
    const std::string drive = DriveIdentity();
    if (!drive.empty() && record.Identity == drive) {
        ShowError(
            "You may only edit the record of the disc currently inserted via the main handset.");
        return;
    }
    Tfvlf& holder = catalogue_.Holder();
    KeySnapshot keys;
    // A record its identity key does not find would be stored as a new one: left alone.
    if (catalogue_.LoadDiscRecord(record.Identity, record, holder.catTracks, holder.catMemo,
                                  keys) <= 0) {
        return;
    }
    DiscEditor editor = DiscEditor::Open(record, holder.catTracks, holder.catMemo);
    {
        TfrmCDData dialog(editor, catalogue_, this);
        if (dialog.exec() == QDialog::Accepted) {
            editor.TakeOk(record, holder.catTracks, holder.catMemo);
        } else {
            editor.TakeCancel(record);
        }
    }
    catalogue_.StoreDiscRecord(record, holder.catTracks, holder.catMemo, keys);
    model_->Rename(index, record.Name);
    ui_->TV->setFocus();
}

void TfrmCat::btnDeleteClick() {
    const QModelIndex index = SelectedIndex();
    const BrowseNode* node = model_->Node(index);
    if (node == nullptr || node->Heading) {
        ShowError("Please first select the data record to delete.");
        return;
    }
    if (Confirm(DeleteQuestion(node->Text)) &&
        DeleteCatalogueRecord(catalogue_, node->RecordNumber, DriveIdentity())) {
        model_->Remove(index);
    }
}

void TfrmCat::btnAttachClick() {
    const std::string drive = DriveIdentity();
    // The engine keeps the last disc's record number after the disc has gone.
    const std::int32_t current = drive.empty() ? 0 : engine_.Disc().Number();
    const BrowseNode* selected = Selected();
    if (selected != nullptr && current > 0 && !Confirm(AttachQuestion(selected->Text))) {
        return;
    }
    if (AttachDriveDisc(catalogue_, selected, current, drive)) {
        engine_.ReloadRecord();
        rbNameClick();
    }
}

void TfrmCat::ShowArchiveButton() {
    ui_->btnArchive->setEnabled(!model_->ArchiveOf(Selected()).empty());
}

void TfrmCat::btnArchiveClick() {
    const std::filesystem::path folder = model_->ArchiveOf(Selected());
    if (folder.empty()) {
        return;
    }
    const std::filesystem::path cue = CueSheetPath(folder);
    if (!PlayArchive(engine_, cue)) {
        ShowError("Cannot read the archive " + cue.string());
        return;
    }
    try {
        SaveSettings();
    } catch (const SettingsWriteError& error) {
        ShowError(error.what());
    }
}

void TfrmCat::btnPrintCDClick() {
    const ReportRunning running(*this, printing_);
    PrintSelectedDisc(layer_, catalogue_, Selected());
}

void TfrmCat::btnPrintCatClick() {
    const ReportRunning running(*this, printing_);
    PrintCatalogueListing(layer_, catalogue_, model_->Tree(), View());
}

void TfrmCat::done(int result) {
    if (printing_) {
        return;  // the window manager's close box still reaches a disabled window
    }
    playback_->Stop();
    ClearTree();
    QDialog::done(result);
}

}  // namespace snx
