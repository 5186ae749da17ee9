// TfrmItem: one name of a reference list, added or edited in the list editor.
#pragma once

#include <QDialog>
#include <memory>
#include <optional>

namespace Ui {
class TfrmItem;
}

class QLineEdit;

namespace snx {

class TfrmItem final : public QDialog {
    Q_OBJECT
  public:
    // maxLength is in bytes of UTF-8; a longer name given is shown whole.
    TfrmItem(const QString& caption, const QString& group, int maxLength, const QString& name,
             QWidget* parent = nullptr);
    ~TfrmItem() override;

    QLineEdit* edName() const;

    // The name after OK; nothing after Cancel.
    static std::optional<QString> Ask(QWidget* parent, const QString& caption, const QString& group,
                                      int maxLength, const QString& name);

  private:
    std::unique_ptr<Ui::TfrmItem> ui_;
};

}  // namespace snx
