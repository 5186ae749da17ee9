// TfrmExport, "Export CD database": the user's choice of the export's separator, quotes, header
// and track columns, and the file the whole catalogue is written to.
#pragma once

#include <QDialog>
#include <string>

#include "exchange/export_format.h"
#include "exchange/text_export.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace snx {

class DiscCatalogue;

class TfrmExport final : public QDialog {
    Q_OBJECT
  public:
    explicit TfrmExport(DiscCatalogue& catalogue, QWidget* parent = nullptr);

    // The format the controls describe.
    ExportOptions Options() const;
    // As the radio buttons set them: "," or CR LF; a double quote, an apostrophe or nothing.
    const std::string& Separator() const { return separator_; }
    const std::string& Quote() const { return quote_; }
    // What the last export did.
    const ExportResult& LastResult() const { return result_; }

    void btnOKClick();
    void btnBrowseClick();
    // "Sona&trix default": the version 4 record format that the import reads back.
    void btnDefaultClick();

  private:
    void FixedChanged(bool fixed);

    DiscCatalogue& catalogue_;
    std::string separator_ = ",";
    std::string quote_ = "\"";
    ExportResult result_;

    QRadioButton* rbComma_;
    QRadioButton* rbLine_;
    QRadioButton* rbDouble_;
    QRadioButton* rbSingle_;
    QRadioButton* rbNone_;
    QRadioButton* rbFixed_;
    QSpinBox* edFields_;
    QRadioButton* rbVariable_;
    QCheckBox* cbHeader_;
    QCheckBox* cbTimes_;
    QCheckBox* cbName_;
    QCheckBox* cbDef1_;
    QCheckBox* cbDef2_;
    QLineEdit* edFile_;
};

}  // namespace snx
