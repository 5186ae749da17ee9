#include "settings/config_dialog.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QLabel>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTabBar>

#include "settings/qt_colour.h"
#include "ui_config_dialog.h"
#include "util/text.h"
#include "util/user_messages.h"
#include "widgets/dialog_parts.h"
#include "widgets/help_window.h"
#include "widgets/stored_text.h"

namespace snx {

namespace {

constexpr std::size_t kMaxSettingText = 255;

const QString kBitmapFilter = QStringLiteral("Bitmap file (*.bmp *.BMP)");
const QString kApplicationsFilter = QStringLiteral("Applications (executable files)");
const QString kAllFilter = QStringLiteral("All files (*)");

std::string ToStored(const QString& text) {
    return CutText(text.toStdString(), kMaxSettingText);
}

void SetRadioColours(QRadioButton* button, std::optional<QColor> back, std::optional<QColor> text) {
    QPalette palette = button->parentWidget()->palette();
    // A button fills its background from its own role (Button), not from Window.
    button->setAutoFillBackground(back.has_value());
    if (back) {
        palette.setColor(button->backgroundRole(), *back);
        palette.setColor(QPalette::Window, *back);
    }
    if (text) {
        palette.setColor(QPalette::WindowText, *text);
        palette.setColor(QPalette::ButtonText, *text);
    }
    button->setPalette(palette);
}

// A file name in its label's width, cut in the middle so that both the start of the path and
// the file's own name stay in view; the tooltip holds the whole name.
void ShowElided(QLabel* label) {
    const QFontMetrics metrics = label->fontMetrics();
    // The frame's text indent is half an 'x' wide; a whole one keeps the last letter clear.
    const int width = label->contentsRect().width() - metrics.horizontalAdvance(QLatin1Char('x'));
    label->setText(metrics.elidedText(label->toolTip(), Qt::ElideMiddle, std::max(width, 0)));
}

// The labels are sized by the layout, not by their text, so they elide again when it sizes them.
class ElideOnResize final : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize) {
            ShowElided(static_cast<QLabel*>(watched));
        }
        return false;
    }
};

// The directory part of a file name, as the pickers start there.
QString DirectoryOf(const QString& fileName) {
    return fileName.isEmpty() ? QString() : QFileInfo(fileName).absolutePath();
}

}  // namespace

std::optional<QColor> PickColourWithDialog(QColor initial, QWidget* parent) {
    const QColor chosen = QColorDialog::getColor(initial, parent);
    return chosen.isValid() ? std::optional<QColor>(chosen) : std::nullopt;
}

std::optional<QFont> PickFontWithDialog(const QFont& initial, QWidget* parent) {
    bool ok = false;
    const QFont chosen =
        QFontDialog::getFont(&ok, initial, parent, QString(),
                             QFontDialog::ScalableFonts | QFontDialog::NonScalableFonts);
    return ok ? std::optional<QFont>(chosen) : std::nullopt;
}

QString PickFileWithDialog(const Tfrmconf::FilePick& pick, QWidget* parent) {
    QFileDialog dialog(parent, pick.Title, pick.Directory);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // The executables filter is a file-mode filter, not a name pattern: the desktop's own
    // dialog cannot show it.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilters({kBitmapFilter, kApplicationsFilter, kAllFilter});
    const auto apply = [&dialog](const QString& filter) {
        const QDir::Filters base = QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Files;
        if (filter == kApplicationsFilter) {
            dialog.setFilter(base | QDir::Executable);
            dialog.setDefaultSuffix(QString());
        } else {
            dialog.setFilter(base);
            dialog.setDefaultSuffix(filter == kBitmapFilter ? QStringLiteral("bmp") : QString());
        }
    };
    const QString filter = pick.Applications ? kApplicationsFilter : kBitmapFilter;
    dialog.selectNameFilter(filter);
    apply(filter);
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, apply);
    if (!pick.Name.isEmpty()) {
        dialog.selectFile(pick.Name);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().front();
}

Tfrmconf::Tfrmconf(QWidget* parent)
    : QDialog(parent),
      PickColour(PickColourWithDialog),
      PickFont(PickFontWithDialog),
      PickFile(PickFileWithDialog),
      AutoPlay{MimeAppsListFile(),
               SessionDesktopEntryPlaces(QCoreApplication::applicationFilePath().toStdString())},
      ui_(std::make_unique<Ui::Tfrmconf>()) {
    ui_->setupUi(this);
    SetHelpContext(this, kHelpConfiguration);
    SetFixedDialogFrame(*this);
    auto* elider = new ElideOnResize(this);
    for (QLabel* label : {ui_->labBitmap, ui_->labMix, ui_->labRec}) {
        label->installEventFilter(elider);
    }
    ui_->nbPages->tabBar()->setStyleSheet(
        QStringLiteral("QTabBar::tab { min-width: 87px; min-height: 18px; padding: 2px 4px; }"
                       "QTabBar::tab:selected { font-weight: bold; }"));

    colours_ = {{
        {ui_->rbTime, &Settings::DisplayBackColor, &Settings::DisplayFontColor},
        {ui_->rbTrack, &Settings::TrackBackColor, &Settings::TrackFontColor},
        {ui_->rbSelect, nullptr, &Settings::TrackSelectedColor},
        {ui_->rbVolBar, &Settings::VolumeBarBackColor, &Settings::VolumeBarForeColor},
        {ui_->rbVolBack, &Settings::VolumeDisplayBackColor, nullptr},
        {ui_->rbHandBack, &Settings::HandsetBackColor, nullptr},
        {ui_->rbDisc, &Settings::DiscDataBackColor, &Settings::DiscDataFontColor},
        {ui_->rbSmall, nullptr, &Settings::SmallFontColor},
    }};
    fonts_ = {{
        {ui_->rbTimeFont, &Settings::DisplayFontName, &Settings::DisplayFontSize,
         &Settings::DisplayFontBold},
        {ui_->rbTrackFont, &Settings::TrackFontName, &Settings::TrackFontSize, nullptr},
        {ui_->rbDiscFont, &Settings::DiscDataFontName, &Settings::DiscDataFontSize, nullptr},
        {ui_->rbReportFont, &Settings::ReportFontName, &Settings::ReportFontSize, nullptr},
        {ui_->rbSmallFont, &Settings::SmallFontName, &Settings::SmallFontSize, nullptr},
    }};

    const std::array<void (Tfrmconf::*)(), 8> colourClicks = {
        &Tfrmconf::rbTimeClick,   &Tfrmconf::rbTrackClick,   &Tfrmconf::rbSelectClick,
        &Tfrmconf::rbVolBarClick, &Tfrmconf::rbVolBackClick, &Tfrmconf::rbHandBackClick,
        &Tfrmconf::rbDiscClick,   &Tfrmconf::rbSmallClick};
    for (std::size_t i = 0; i < colours_.size(); ++i) {
        // Toggled rather than clicked, so that the arrow keys select an item too.
        connect(colours_[i].Button, &QRadioButton::toggled, this,
                [this, click = colourClicks[i]](bool on) {
                    if (on) {
                        (this->*click)();
                    }
                });
    }
    const std::array<void (Tfrmconf::*)(), 5> fontClicks = {
        &Tfrmconf::rbTimeFontClick, &Tfrmconf::rbTrackFontClick, &Tfrmconf::rbDiscFontClick,
        &Tfrmconf::rbReportFontClick, &Tfrmconf::rbSmallFontClick};
    for (std::size_t i = 0; i < fonts_.size(); ++i) {
        connect(fonts_[i].Button, &QRadioButton::toggled, this,
                [this, click = fontClicks[i]](bool on) {
                    if (on) {
                        (this->*click)();
                    }
                });
    }
    connect(ui_->btnFore, &QPushButton::clicked, this, &Tfrmconf::btnForeClick);
    connect(ui_->btnBack, &QPushButton::clicked, this, &Tfrmconf::btnBackClick);
    connect(ui_->btnFont, &QPushButton::clicked, this, &Tfrmconf::btnFontClick);
    connect(ui_->btnBitmap, &QPushButton::clicked, this, &Tfrmconf::btnBitmapClick);
    connect(ui_->SpeedButton1, &QToolButton::clicked, this, &Tfrmconf::SpeedButton1Click);
    connect(ui_->SpeedButton2, &QToolButton::clicked, this, &Tfrmconf::SpeedButton2Click);
    // Clicked comes from the user only: filling the box registers nothing.
    connect(ui_->cbAuto, &QCheckBox::clicked, this, &Tfrmconf::cbAutoClick);
    connect(ui_->btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui_->btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    ui_->rbTime->setChecked(true);
    ui_->rbTimeFont->setChecked(true);
    SelectColour(1);
    fontSelected_ = 1;
}

Tfrmconf::~Tfrmconf() = default;

void Tfrmconf::Fill(const Settings& settings) {
    for (ColourItem& item : colours_) {
        item.BackValue = item.Back != nullptr ? settings.*item.Back : 0;
        item.TextValue = item.Text != nullptr ? settings.*item.Text : 0;
        ShowColour(item);
    }
    for (const FontItem& item : fonts_) {
        item.Button->setFont(ToQFont(settings.*item.Name, settings.*item.Size,
                                     item.Bold != nullptr && settings.*item.Bold));
    }
    ui_->cbColor->setChecked(settings.UseColorButtons);
    ui_->cbBitmap->setChecked(settings.UseBackgroundBitmap);
    {
        const QSignalBlocker hold(ui_->cbAuto);
        ui_->cbAuto->setChecked(settings.AutoPlayHandler);
    }
    ui_->cbSmall->setChecked(settings.KeepOnTop);
    ui_->cbStop->setChecked(settings.AutoStopOnClose);
    ui_->cbPrintBM->setChecked(settings.PrintBitmap);
    ui_->cbSave->setChecked(settings.SaveNewEntries);
    ui_->cbLookup->setChecked(settings.LookUpUnknownDiscs);
    ui_->edSkip->setValue(SecondsFieldValue(settings.SkipTime));
    ui_->edIntro->setValue(SecondsFieldValue(settings.IntroTime));
    ui_->edCD1->setText(FromStored(settings.DiscUser1Label));
    ui_->edCD2->setText(FromStored(settings.DiscUser2Label));
    ui_->edTr1->setText(FromStored(settings.TrackUser1Label));
    ui_->edTr2->setText(FromStored(settings.TrackUser2Label));
    defaultCollector_ = DefaultCollectorName();
    ui_->edCollector->setText(FromStored(EffectiveCollectorName(settings)));
    programDirectory_ = QString::fromStdString(settings.ProgramDirectory);
    bitmap_ = QString::fromStdString(settings.BackgroundBitmap);
    mixer_ = QString::fromStdString(settings.MixerControlProgram);
    recording_ = QString::fromStdString(settings.RecordingControlProgram);
    ShowFileNames();
}

void Tfrmconf::CopyBack(Settings& settings) const {
    for (const FontItem& item : fonts_) {
        const QFont font = item.Button->font();
        settings.*item.Name = ToStored(font.family());
        if (font.pointSize() > 0) {
            settings.*item.Size = font.pointSize();
        }
        if (item.Bold != nullptr) {
            settings.*item.Bold = font.bold();
        }
    }
    for (const ColourItem& item : colours_) {
        if (item.Back != nullptr) {
            settings.*item.Back = item.BackValue;
        }
        if (item.Text != nullptr) {
            settings.*item.Text = item.TextValue;
        }
    }
    settings.UseColorButtons = ui_->cbColor->isChecked();
    settings.UseBackgroundBitmap = ui_->cbBitmap->isChecked();
    settings.KeepOnTop = ui_->cbSmall->isChecked();
    settings.AutoStopOnClose = ui_->cbStop->isChecked();
    settings.PrintBitmap = ui_->cbPrintBM->isChecked();
    settings.SaveNewEntries = ui_->cbSave->isChecked();
    settings.LookUpUnknownDiscs = ui_->cbLookup->isChecked();
    settings.BackgroundBitmap = ToStored(bitmap_);
    settings.MixerControlProgram = ToStored(mixer_);
    settings.RecordingControlProgram = ToStored(recording_);
    settings.SkipTime = SecondsFromField(ui_->edSkip->value());
    settings.IntroTime = SecondsFromField(ui_->edIntro->value());
    settings.DiscUser1Label = ToStored(ui_->edCD1->text());
    settings.DiscUser2Label = ToStored(ui_->edCD2->text());
    settings.TrackUser1Label = ToStored(ui_->edTr1->text());
    settings.TrackUser2Label = ToStored(ui_->edTr2->text());
    // The account's own name is not stored, so that files without the key stay as they are.
    const std::string collector = ToStored(ui_->edCollector->text().trimmed());
    settings.CollectorName = collector == defaultCollector_ ? std::string() : collector;
}

void Tfrmconf::SelectColour(int item) {
    colourSelected_ = item;
    const ColourItem& selected = colours_[static_cast<std::size_t>(item - 1)];
    ui_->btnFore->setEnabled(selected.Text != nullptr);
    ui_->btnBack->setEnabled(selected.Back != nullptr);
}

void Tfrmconf::ShowColour(const ColourItem& item) {
    SetRadioColours(
        item.Button,
        item.Back != nullptr ? std::optional<QColor>(ToQColor(item.BackValue)) : std::nullopt,
        item.Text != nullptr ? std::optional<QColor>(ToQColor(item.TextValue)) : std::nullopt);
}

void Tfrmconf::btnForeClick() {
    ColourItem& item = colours_[static_cast<std::size_t>(colourSelected_ - 1)];
    if (item.Text == nullptr) {
        return;
    }
    if (const auto chosen = PickColour(ToQColor(item.TextValue), this)) {
        item.TextValue = FromQColor(*chosen);
        ShowColour(item);
    }
}

void Tfrmconf::btnBackClick() {
    ColourItem& item = colours_[static_cast<std::size_t>(colourSelected_ - 1)];
    if (item.Back == nullptr) {
        return;
    }
    if (const auto chosen = PickColour(ToQColor(item.BackValue), this)) {
        item.BackValue = FromQColor(*chosen);
        ShowColour(item);
    }
}

void Tfrmconf::btnFontClick() {
    QRadioButton* button = fonts_[static_cast<std::size_t>(fontSelected_ - 1)].Button;
    if (const auto chosen = PickFont(button->font(), this)) {
        button->setFont(*chosen);
    }
}

void Tfrmconf::btnBitmapClick() {
    PickInto(bitmap_, QStringLiteral("Select bitmap to use"), false, true);
}

void Tfrmconf::SpeedButton1Click() {
    PickInto(mixer_, QStringLiteral("Select mixer control program"), true, false);
}

void Tfrmconf::SpeedButton2Click() {
    PickInto(recording_, QStringLiteral("Select recording control program"), true, false);
}

void Tfrmconf::PickInto(QString& fileName, const QString& title, bool applications,
                        bool proposeName) {
    FilePick pick{title, programDirectory_, QString(), applications};
    if (!fileName.isEmpty()) {
        pick.Directory = DirectoryOf(fileName);
        if (proposeName) {
            pick.Name = QFileInfo(fileName).fileName();
        }
    }
    const QString chosen = PickFile(pick, this);
    if (!chosen.isEmpty()) {
        fileName = chosen;
        ShowFileNames();
    }
}

void Tfrmconf::ShowFileNames() {
    const std::array<std::pair<QLabel*, const QString*>, 3> labels = {
        {{ui_->labBitmap, &bitmap_}, {ui_->labMix, &mixer_}, {ui_->labRec, &recording_}}};
    for (const auto& [label, name] : labels) {
        label->setToolTip(*name);
        ShowElided(label);
    }
}

void Tfrmconf::cbAutoClick() {
    const bool on = ui_->cbAuto->isChecked();
    try {
        SetAutoPlayHandler(AppSettings(), on, AutoPlay);
    } catch (const AutoPlayError& failure) {
        const QSignalBlocker hold(ui_->cbAuto);
        ui_->cbAuto->setChecked(!on);
        ShowError(std::string(on ? "Cannot register Sonatrix for auto play. "
                                 : "Cannot give auto play back. ") +
                  failure.what());
    }
}

void Tfrmconf::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* shown = screen(); shown != nullptr) {
        const QRect area = shown->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
}

}  // namespace snx
