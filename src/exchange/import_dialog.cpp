#include "exchange/import_dialog.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <array>

#include "catalogue/disc_catalogue.h"
#include "util/user_messages.h"
#include "widgets/dialog_parts.h"
#include "widgets/help_window.h"
#include "widgets/progress_window.h"

namespace snx {

namespace {

const QStringList& Filters() {
    static const QStringList filters = {QStringLiteral("Text files (*.txt)"),
                                        QStringLiteral("Windows ini files (*.ini)"),
                                        QStringLiteral("All files (*)")};
    return filters;
}

}  // namespace

TfrmImport::TfrmImport(DiscCatalogue& catalogue, QWidget* parent)
    : QDialog(parent), catalogue_(catalogue) {
    setObjectName(QStringLiteral("frmImport"));
    setWindowTitle(QStringLiteral("Import CD database"));
    SetFixedDialogFrame(*this);
    SetHelpContext(this, kHelpImport);

    auto* formats = new QGroupBox(QStringLiteral("Format"), this);
    rbv4_ = Named<QRadioButton>("rbv4", "&Sonatrix v.4 standard record format", formats);
    rbv3_ = Named<QRadioButton>("rbv3", "Sonatrix v.&3 standard record format", formats);
    rbwin_ = Named<QRadioButton>("rbwin", "&Windows 95 player ini file", formats);
    auto* formatLayout = new QVBoxLayout(formats);
    for (QRadioButton* button : {rbv4_, rbv3_, rbwin_}) {
        formatLayout->addWidget(button);
    }
    rbv4_->setChecked(true);

    cbMerge_ = Named<QCheckBox>("cbMerge", "&Merge data into existing records", this);
    cbMerge_->setToolTip(QStringLiteral(
        "If this box is checked then data will be merged with existing records with the same CD "
        "id - if not checked imported data will be ignored where a record is already held."));

    auto* file = new QGroupBox(QStringLiteral("Fil&e name"), this);
    edFile_ = new QLineEdit(
        QString::fromStdString(DefaultImportFile(ImportFormat::Version4).string()), file);
    edFile_->setObjectName(QStringLiteral("edFile"));
    edFile_->setMinimumWidth(300);
    auto* btnBrowse = Named<QPushButton>("btnBrowse", "&Browse", file);
    btnBrowse->setAutoDefault(false);
    auto* fileLayout = new QHBoxLayout(file);
    fileLayout->addWidget(edFile_, 1);
    fileLayout->addWidget(btnBrowse);

    auto* btnOK = Named<QPushButton>("btnOK", "&OK", this);
    btnOK->setDefault(true);
    auto* brnCancel = Named<QPushButton>("brnCancel", "&Cancel", this);
    brnCancel->setAutoDefault(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(formats);
    layout->addWidget(cbMerge_);
    layout->addWidget(file);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(brnCancel);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(rbv4_, &QRadioButton::clicked, this, [this] { FormatClicked(ImportFormat::Version4); });
    connect(rbv3_, &QRadioButton::clicked, this, [this] { FormatClicked(ImportFormat::Version3); });
    connect(rbwin_, &QRadioButton::clicked, this, [this] { FormatClicked(ImportFormat::Ini); });
    connect(btnBrowse, &QPushButton::clicked, this, &TfrmImport::btnBrowseClick);
    connect(btnOK, &QPushButton::clicked, this, &TfrmImport::btnOKClick);
    connect(brnCancel, &QPushButton::clicked, this, &QDialog::reject);
    const std::array<QWidget*, 6> order = {rbv4_, cbMerge_, edFile_, btnBrowse, btnOK, brnCancel};
    for (std::size_t i = 1; i < order.size(); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
}

void TfrmImport::FormatClicked(ImportFormat format) {
    edFile_->setText(QString::fromStdString(DefaultImportFile(format).string()));
    filter_ = format == ImportFormat::Ini ? 1 : 0;
}

ImportOptions TfrmImport::Options() const {
    ImportOptions options;
    options.Format = rbwin_->isChecked()  ? ImportFormat::Ini
                     : rbv3_->isChecked() ? ImportFormat::Version3
                                          : ImportFormat::Version4;
    options.Merge = cbMerge_->isChecked();
    return options;
}

void TfrmImport::btnBrowseClick() {
    QFileDialog dialog(this, QStringLiteral("Import CD database"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(Filters());
    dialog.selectNameFilter(Filters().at(filter_));
    dialog.setDefaultSuffix(QStringLiteral("TXT"));
    dialog.selectFile(edFile_->text());
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        edFile_->setText(dialog.selectedFiles().constFirst());
    }
}

void TfrmImport::btnOKClick() {
    const std::filesystem::path file(edFile_->text().toStdString());
    {
        TProgForm progress(QStringLiteral("Importing"), this);
        result_ = ImportCatalogue(catalogue_, file, Options(), progress.ProgressHook(),
                                  progress.CancelHook());
    }
    if (result_.Outcome != ImportOutcome::Done) {
        return;  // reported; the dialog stays for another file
    }
    // The discs stored before the end stay; the user is told how many.
    const std::string stored = std::to_string(result_.Added + result_.Merged);
    if (result_.Cancelled) {
        ShowError("Import cancelled - " + stored + " discs were stored.");
    } else if (result_.Stopped) {
        ShowError(ImportStopMessage(result_));
    }
    accept();
}

}  // namespace snx
