// A list-backed field of the disc editor: a sorted drop-down whose edit box completes what is
// typed from the list on every key release.
#pragma once

#include <QObject>
#include <QString>

#include "catalogue/reference_list.h"

class QComboBox;
class QLineEdit;

namespace snx {

class CompletingField final : public QObject {
    Q_OBJECT
  public:
    // edit becomes the combo's edit box; both keep their object names.
    CompletingField(QComboBox* combo, QLineEdit* edit);

    // Replaces the drop-down's entries (stored texts) with those of list, in its order.
    void SetList(const ReferenceList& list);
    // The completion step of a key release; public so that a caller may run it after setting
    // the text itself.
    void Complete();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QComboBox* combo_;
    QLineEdit* edit_;
    ReferenceList shown_;  // the entries as shown, which is what the user's typing is matched to
};

}  // namespace snx
