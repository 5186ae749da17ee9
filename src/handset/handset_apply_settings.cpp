// The configuration dialog on the main handset, and the handset taking the settings' colours,
// fonts and pictures while it runs.
#include <QFrame>
#include <filesystem>

#include "handset/handset_window.h"
#include "player/player_engine.h"
#include "settings/config_dialog.h"
#include "settings/file_names.h"
#include "settings/qt_colour.h"
#include "settings/settings.h"
#include "widgets/handset_background.h"
#include "widgets/image_control.h"

namespace snx {

void TSnx::ConfigureSonatrix1Click() {
    Tfrmconf dialog(this);
    dialog.Fill(AppSettings());
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    dialog.CopyBack(AppSettings());
    SaveSettingsReporting();
    ApplySettings();
}

void TSnx::ApplySettings() {
    const Settings& settings = AppSettings();
    // The LED digits are made in the display's colours, so they are made again first.
    led_.Make(
        {ToQFont(settings.DisplayFontName, settings.DisplayFontSize, settings.DisplayFontBold),
         ToQColor(settings.DisplayBackColor), ToQColor(settings.DisplayFontColor)});
    SetDisplay();
    SetBitmapButtons();

    const PlayerState& state = engine_->State;
    imgTracksSetup();
    if (!showTrackGrid_) {
        ShowBitmap();
    } else if (state.DiscShown) {
        DrawAllTracks(state.CurrentTrack);
        highlighted_ = state.CurrentTrack;
    }
    if (state.DiscShown) {
        // The clocks and lines in the new colours now, not at the next tick.
        Redraw(*engine_);
    }

    QPalette volumePalette = panVolume_->palette();
    volumePalette.setColor(QPalette::Window, ToQColor(settings.VolumeDisplayBackColor));
    panVolume_->setPalette(volumePalette);
    SetVolumeGauges(settings.VolumeLeft, settings.VolumeRight);
    iFourWayDraw();
    static_cast<HandsetBackground*>(client_)->SetColour(ToQColor(settings.HandsetBackColor));

    if (!settings.UseBackgroundBitmap) {
        // The option off means a plain window now, as it would at the next start.
        background_ = QImage();
    } else {
        const std::filesystem::path named(settings.BackgroundBitmap);
        const std::filesystem::path tile =
            ResolveFileName(named.parent_path(), named.filename().string());
        std::error_code error;
        QImage picture;
        if (std::filesystem::exists(tile, error) &&
            picture.load(QString::fromStdString(tile.string()))) {
            background_ = std::move(picture);
        }
    }
    client_->update();
    update();
}

}  // namespace snx
