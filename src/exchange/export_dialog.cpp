#include "exchange/export_dialog.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <array>

#include "catalogue/disc_catalogue.h"
#include "widgets/dialog_parts.h"
#include "widgets/help_window.h"
#include "widgets/progress_window.h"

namespace snx {

namespace {

QString FromPath(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

}  // namespace

TfrmExport::TfrmExport(DiscCatalogue& catalogue, QWidget* parent)
    : QDialog(parent), catalogue_(catalogue) {
    setObjectName(QStringLiteral("frmExport"));
    setWindowTitle(QStringLiteral("Export CD database"));
    SetFixedDialogFrame(*this);
    SetHelpContext(this, kHelpExport);

    auto* separators = new QGroupBox(QStringLiteral("Separator"), this);
    rbComma_ = Named<QRadioButton>("rbComma", "&Comma separated", separators);
    rbLine_ = Named<QRadioButton>("rbLine", "&Line feed separated", separators);
    auto* separatorLayout = new QVBoxLayout(separators);
    separatorLayout->addWidget(rbComma_);
    separatorLayout->addWidget(rbLine_);
    separatorLayout->addStretch();

    auto* quotes = new QGroupBox(QStringLiteral("Quotes"), this);
    rbDouble_ = Named<QRadioButton>("rbDouble", "&Double quotes around text", quotes);
    rbSingle_ = Named<QRadioButton>("rbSingle", "&Single quotes around text", quotes);
    rbNone_ = Named<QRadioButton>("rbNone", "&None", quotes);
    auto* quoteLayout = new QVBoxLayout(quotes);
    for (QRadioButton* button : {rbDouble_, rbSingle_, rbNone_}) {
        quoteLayout->addWidget(button);
    }

    auto* tracks = new QGroupBox(QStringLiteral("Tracks"), this);
    rbFixed_ = Named<QRadioButton>("rbFixed", "&Fixed number of tracks per CD", tracks);
    edFields_ = new QSpinBox(tracks);
    edFields_->setObjectName(QStringLiteral("edFields"));
    edFields_->setRange(0, kMaxTracks);
    edFields_->setValue(kMaxTracks);
    edFields_->setToolTip(QStringLiteral("Number of tracks written for every CD."));
    rbVariable_ = Named<QRadioButton>("rbVariable", "&Variable number of tracks per CD", tracks);
    auto* trackLayout = new QGridLayout(tracks);
    trackLayout->addWidget(rbFixed_, 0, 0);
    trackLayout->addWidget(edFields_, 0, 1);
    trackLayout->addWidget(rbVariable_, 1, 0, 1, 2);

    auto* fields = new QGroupBox(QStringLiteral("Fields"), this);
    cbHeader_ = Named<QCheckBox>("cbHeader", "&Header record with field names", fields);
    cbTimes_ = Named<QCheckBox>("cbTimes", "&Track times", fields);
    cbName_ = Named<QCheckBox>("cbName", "Track n&ame", fields);
    cbDef1_ = Named<QCheckBox>("cbDef1", "Track user defined field &1", fields);
    cbDef2_ = Named<QCheckBox>("cbDef2", "Track user defined field &2", fields);
    auto* fieldLayout = new QVBoxLayout(fields);
    for (QCheckBox* box : {cbHeader_, cbTimes_, cbName_, cbDef1_, cbDef2_}) {
        fieldLayout->addWidget(box);
    }

    auto* file = new QGroupBox(QStringLiteral("Fil&e name"), this);
    edFile_ = new QLineEdit(FromPath(DefaultExportFile()), file);
    edFile_->setObjectName(QStringLiteral("edFile"));
    edFile_->setMinimumWidth(300);
    auto* btnBrowse = Named<QPushButton>("btnBrowse", "&Browse", file);
    btnBrowse->setAutoDefault(false);
    auto* fileLayout = new QHBoxLayout(file);
    fileLayout->addWidget(edFile_, 1);
    fileLayout->addWidget(btnBrowse);

    auto* btnDefault = Named<QPushButton>("btnDefault", "Sonat&rix default", this);
    btnDefault->setToolTip(
        QStringLiteral("Set the default record format used for Sonatrix import."));
    btnDefault->setAutoDefault(false);
    auto* btnOK = Named<QPushButton>("btnOK", "&OK", this);
    btnOK->setDefault(true);
    auto* brnCancel = Named<QPushButton>("brnCancel", "Cancel", this);
    brnCancel->setAutoDefault(false);

    auto* grid = new QGridLayout(this);
    grid->addWidget(separators, 0, 0);
    grid->addWidget(quotes, 0, 1);
    grid->addWidget(tracks, 1, 0);
    grid->addWidget(fields, 1, 1, 2, 1);
    grid->addWidget(file, 3, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnDefault);
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(brnCancel);
    grid->addLayout(buttons, 4, 0, 1, 2);
    grid->setRowStretch(2, 1);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    rbComma_->setChecked(true);
    rbDouble_->setChecked(true);
    rbFixed_->setChecked(true);
    cbHeader_->setChecked(true);
    cbTimes_->setChecked(true);
    cbName_->setChecked(true);

    const auto setWhenOn = [this](QRadioButton* button, std::string& held, const char* value) {
        connect(button, &QRadioButton::toggled, this, [&held, value](bool on) {
            if (on) {
                held = value;
            }
        });
    };
    setWhenOn(rbComma_, separator_, ",");
    setWhenOn(rbLine_, separator_, "\r\n");
    setWhenOn(rbDouble_, quote_, "\"");
    setWhenOn(rbSingle_, quote_, "'");
    setWhenOn(rbNone_, quote_, "");
    connect(rbFixed_, &QRadioButton::toggled, this, &TfrmExport::FixedChanged);
    connect(btnBrowse, &QPushButton::clicked, this, &TfrmExport::btnBrowseClick);
    connect(btnDefault, &QPushButton::clicked, this, &TfrmExport::btnDefaultClick);
    connect(btnOK, &QPushButton::clicked, this, &TfrmExport::btnOKClick);
    connect(brnCancel, &QPushButton::clicked, this, &QDialog::reject);

    const std::array<QWidget*, 15> order = {
        rbComma_, rbDouble_, rbFixed_, edFields_, rbVariable_, cbHeader_, cbTimes_, cbName_,
        cbDef1_,  cbDef2_,   edFile_,  btnBrowse, btnDefault,  btnOK,     brnCancel};
    for (std::size_t i = 1; i < order.size(); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
}

void TfrmExport::FixedChanged(bool fixed) {
    edFields_->setEnabled(fixed);
    if (fixed) {
        edFields_->setFocus();
        edFields_->selectAll();
    }
}

ExportOptions TfrmExport::Options() const {
    ExportOptions options;
    options.Separator = separator_ == "," ? ExportSeparator::Comma : ExportSeparator::LineFeed;
    options.Quote = quote_ == "\""  ? ExportQuote::Double
                    : quote_ == "'" ? ExportQuote::Single
                                    : ExportQuote::None;
    options.FixedTracks = rbFixed_->isChecked();
    options.TrackGroups = edFields_->value();
    options.Header = cbHeader_->isChecked();
    options.Times = cbTimes_->isChecked();
    options.Names = cbName_->isChecked();
    options.User1 = cbDef1_->isChecked();
    options.User2 = cbDef2_->isChecked();
    return options;
}

void TfrmExport::btnDefaultClick() {
    rbLine_->click();
    rbNone_->click();
    rbVariable_->click();
    cbHeader_->setChecked(false);
    for (QCheckBox* box : {cbName_, cbDef1_, cbDef2_, cbTimes_}) {
        box->setChecked(true);
    }
}

void TfrmExport::btnBrowseClick() {
    QFileDialog dialog(this, QStringLiteral("Export CD database"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // OK asks before replacing a file; the dialog need not ask too.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilters(
        {QStringLiteral("Text file (*.txt *.TXT)"), QStringLiteral("All files (*)")});
    dialog.setDefaultSuffix(QStringLiteral("TXT"));
    dialog.selectFile(edFile_->text());
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        edFile_->setText(dialog.selectedFiles().constFirst());
    }
}

void TfrmExport::btnOKClick() {
    const std::filesystem::path file(edFile_->text().toStdString());
    {
        TProgForm progress(QStringLiteral("Exporting"), this);
        result_ = ExportCatalogue(catalogue_, file, Options(), progress.ProgressHook(),
                                  progress.CancelHook());
    }
    // Any other outcome was reported, or was the user's own choice: the dialog stays for another
    // try.
    if (result_.Outcome == ExportOutcome::Done) {
        accept();
    }
}

}  // namespace snx
