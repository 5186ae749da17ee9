// TfrmTracks, "Goto selected track": the disc's tracks as rows; OK or a double click chooses one.
#pragma once

#include <QDialog>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Ui {
class TfrmTracks;
}

namespace snx {

class TrackList;

class TfrmTracks final : public QDialog {
    Q_OBJECT
  public:
    explicit TfrmTracks(const std::vector<std::string>& rows, QWidget* parent = nullptr);
    ~TfrmTracks() override;

    TrackList* List() const;
    // The selected row's index; -1 when none is selected.
    int SelectedRow() const;
    // Closes with OK when a row is selected; otherwise tells the user and stays open.
    void btnOKClick();

    // Shows the rows modally: the chosen track (row index + 1), none after Cancel.
    static std::optional<int> Ask(QWidget* parent, const std::vector<std::string>& rows);

  private:
    std::unique_ptr<Ui::TfrmTracks> ui_;
};

}  // namespace snx
