// TfrmLists: the reference list editor. The names live in the dialog until OK writes the file.
#pragma once

#include <QDialog>
#include <filesystem>
#include <memory>

#include "catalogue/reference_list.h"

namespace Ui {
class TfrmLists;
}

class QListWidget;
class QPushButton;

namespace snx {

class TfrmLists final : public QDialog {
    Q_OBJECT
  public:
    // Loads the list of this kind from dataDirectory, creating its file empty when it is missing.
    TfrmLists(ReferenceListKind kind, const std::filesystem::path& dataDirectory,
              QWidget* parent = nullptr);
    ~TfrmLists() override;

    QListWidget* lbList() const;
    QPushButton* Button(const char* name) const;
    const ReferenceList& List() const { return list_; }
    std::filesystem::path FilePath() const { return file_; }

    void btnAddClick();
    void btnEditClick();
    void btnRemoveClick();
    // Writes the file, then closes with OK even when the write failed.
    void btnOKClick();

  private:
    void Insert(std::string entry);

    std::unique_ptr<Ui::TfrmLists> ui_;
    ReferenceListKind kind_;
    std::filesystem::path file_;
    ReferenceList list_;
};

// mTypeClick: the editor of the list with this letter (C, A, L or T), shown modally.
void EditReferenceList(QWidget* parent, char letter, const std::filesystem::path& dataDirectory);

}  // namespace snx
