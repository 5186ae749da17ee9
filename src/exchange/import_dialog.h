// TfrmImport, "Import CD database": the format and file to read disc records from, and whether
// discs already held take the file's values.
#pragma once

#include <QDialog>

#include "exchange/text_import.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace snx {

class DiscCatalogue;

class TfrmImport final : public QDialog {
    Q_OBJECT
  public:
    explicit TfrmImport(DiscCatalogue& catalogue, QWidget* parent = nullptr);

    ImportOptions Options() const;
    // The open dialog's filter the chosen format starts it on: 0 text files, 1 ini files.
    int FilterIndex() const { return filter_; }
    // What the last import did.
    const ImportResult& LastResult() const { return result_; }

    void btnOKClick();
    void btnBrowseClick();

  private:
    void FormatClicked(ImportFormat format);

    DiscCatalogue& catalogue_;
    int filter_ = 0;
    ImportResult result_;

    QRadioButton* rbv4_;
    QRadioButton* rbv3_;
    QRadioButton* rbwin_;
    QCheckBox* cbMerge_;
    QLineEdit* edFile_;
};

}  // namespace snx
