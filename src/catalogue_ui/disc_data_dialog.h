// TfrmCDData, "Edit CD data record": one disc's record edited on a working copy. Picture, sample
// and programme changes are written at once; the rest is taken by the caller after OK.
#pragma once

#include <QDialog>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <string_view>

#include "catalogue/reference_list.h"
#include "catalogue_ui/disc_editor.h"
#include "lookup/disc_toc.h"

namespace Ui {
class TfrmCDData;
}

class QPushButton;

namespace snx {

class CompletingField;
class DiscCatalogue;
class OnlineLookup;
struct LookupCandidate;
struct LookupOutcome;

// What the editor borrows from the sample player; unset, the sample button does nothing beyond
// its own checks.
struct DiscEditorHooks {
    // Plays the WAVE file to its end before returning.
    std::function<void(const std::filesystem::path& wave)> PlaySample;
    // The online lookup "&Look up" runs; unset, the button is disabled.
    OnlineLookup* Lookup = nullptr;
    // The table of contents of the disc of that identity when it is in the drive.
    std::function<std::optional<DiscToc>(const std::string& identity)> DriveToc;
};

// The hooks every editor uses; the program sets them once at start.
DiscEditorHooks& EditorHooks();

class TfrmCDData final : public QDialog {
    Q_OBJECT
  public:
    // Requires: editor and catalogue outlive the dialog.
    TfrmCDData(DiscEditor& editor, DiscCatalogue& catalogue, QWidget* parent = nullptr);
    ~TfrmCDData() override;

    Ui::TfrmCDData& Form() const { return *ui_; }
    QPushButton* Button(const char* name) const;

    // Saves new names to their lists when SaveNewEntries is on, takes the edit boxes into the
    // editor and closes with OK.
    void btnOKClick();
    void btnBitClick();
    void btnSampleClick();
    void btnWaveDelClick();
    void btnProgClick();
    void btnTracksClick();
    void lbTracksDblClick();
    // Looks the record's disc up online; the names found go into the edit boxes and the track
    // names, stored only by OK. A cover taken is attached at once, as the bitmap dialog does.
    void btnLookupClick();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void ShowTrackRows();
    void SetSampleButtons();
    void TakeLookup(const LookupOutcome& outcome);
    void FillFrom(const LookupCandidate& candidate);
    void TakeCover(const LookupCandidate& candidate);
    // Stores the picture file (or removes the picture for kClearedBitmap) as the record's
    // picture block and writes the working copy when the block moved.
    void AttachPicture(const std::string& chosen);
    std::filesystem::path DataFile(std::string_view name) const;

    std::unique_ptr<Ui::TfrmCDData> ui_;
    DiscEditor& editor_;
    DiscCatalogue& catalogue_;
    std::array<ReferenceList, 4> lists_;
    std::array<CompletingField*, 4> fields_{};
    bool listsLoaded_ = false;
};

}  // namespace snx
