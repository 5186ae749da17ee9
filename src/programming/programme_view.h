// Shows a pair of programme lists in two track lists, a time label and the list buttons, and
// runs each operation over the selection the user made.
#pragma once

#include <QObject>

#include "programming/programme_lists.h"

class QLabel;
class QPushButton;

namespace snx {

class TrackList;

struct ProgrammeControls {
    TrackList* Src = nullptr;
    TrackList* Dst = nullptr;
    QLabel* Time = nullptr;
    QPushButton* Add = nullptr;
    QPushButton* Remove = nullptr;
    QPushButton* Clear = nullptr;
    QPushButton* Up = nullptr;
    QPushButton* Down = nullptr;
};

class ProgrammeView final {
  public:
    ProgrammeView(ProgrammeLists& lists, const ProgrammeControls& controls);

    // Takes the lists' selection, runs operation on the lists, and shows the result.
    template <typename Operation>
    void Run(Operation operation) {
        TakeSelection();
        operation(lists_);
        Show();
    }
    // Shows the rows, their selection and the buttons as the lists hold them.
    void Show();

  private:
    void TakeSelection();

    ProgrammeLists& lists_;
    ProgrammeControls controls_;
};

}  // namespace snx
