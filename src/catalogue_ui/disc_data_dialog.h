// TfrmCDData, "Edit CD data record": one disc's record edited on a working copy. Picture, sample
// and programme changes are written at once; the rest is taken by the caller after OK.
#pragma once

#include <QDialog>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>

#include "catalogue/reference_list.h"
#include "catalogue_ui/disc_editor.h"

namespace Ui {
class TfrmCDData;
}

class QPushButton;

namespace snx {

class CompletingField;
class DiscCatalogue;

// What the editor borrows from the sample player; unset, the sample button does nothing beyond
// its own checks.
struct DiscEditorHooks {
    // Plays the WAVE file to its end before returning.
    std::function<void(const std::filesystem::path& wave)> PlaySample;
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

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void ShowTrackRows();
    void SetSampleButtons();
    std::filesystem::path DataFile(const char* name) const;

    std::unique_ptr<Ui::TfrmCDData> ui_;
    DiscEditor& editor_;
    DiscCatalogue& catalogue_;
    std::array<ReferenceList, 4> lists_;
    std::array<CompletingField*, 4> fields_{};
    bool listsLoaded_ = false;
};

}  // namespace snx
