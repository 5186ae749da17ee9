// The two lists of the custom programme dialogs: the tracks available and the play list, with
// the play list's running total. The programme dialog copies rows into the play list (a track
// may be played any number of times); the fit dialog moves them, so each row is in one list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "util/min_sec.h"

namespace snx {

class StringGrid;
struct DiscRecord;

enum class ProgrammeFlavour { Programme, Fit };

constexpr const char* kFitOutOfRange = "Value out of range - Please enter mm.ss";

struct ProgrammeRow {
    std::string Text;  // a track row, names as stored bytes
    bool Selected = false;

    bool operator==(const ProgrammeRow&) const = default;
};

// What the dialog's buttons show after each operation.
struct ProgrammeButtons {
    bool Add = false;
    bool Remove = false;
    bool Clear = false;
    bool Up = false;
    bool Down = false;
    std::string Time;  // the total, as labTime shows it
};

class ProgrammeLists {
  public:
    explicit ProgrammeLists(ProgrammeFlavour flavour) : flavour_(flavour) {}

    ProgrammeFlavour Flavour() const { return flavour_; }
    const std::vector<ProgrammeRow>& SrcList() const { return src_; }
    const std::vector<ProgrammeRow>& DstList() const { return dst_; }
    MinSec Total() const { return total_; }
    // Whether rows entering the play list are filed in track order (only during best fit).
    bool DstSorted() const { return dstSorted_; }

    // Filling: the available list keeps its rows in track order; rows appended to the play
    // list add their time to the total.
    void AddToSrc(std::string row);
    void AppendToDst(std::string row);
    // The selection as the user left it in each list; indices outside a list are ignored.
    void SelectSrc(std::size_t index, bool selected);
    void SelectDst(std::size_t index, bool selected);

    ProgrammeButtons RefreshProgrammeButtons() const;

    void IncludeBtnClick();
    void ExcludeBtnClick();
    void ExcAllBtnClick();
    // Only the first selected row moves; a selected first row never moves up.
    void btnUpClick();
    void btnDownClick();
    // Fit flavour: the play list and the available list change places.
    void btnExchClick();

    // Fit flavour. The play list is cleared first; target is the entered time, none when the
    // entry holds no number. Shows the out-of-range message for an invalid target; nothing is
    // chosen when no track is available.
    void btnInClick(std::optional<MinSec> target);
    void btnAnyClick(std::optional<MinSec> target);

  private:
    // Fit flavour: the selected rows of from go to to, filed by track order when sorted.
    void MoveSelectedTracks(std::vector<ProgrammeRow>& from, std::vector<ProgrammeRow>& to,
                            bool sorted, bool adding);
    // Clears the play list, deselects the available rows and checks the target; true when a
    // calculation may go ahead.
    bool PrepareFit(std::optional<MinSec> target);
    // The available rows' times, unreadable ones empty, for the two fitting walks.
    std::vector<std::optional<MinSec>> AvailableTimes() const;
    void TakeChosen(std::span<const std::size_t> chosen);

    ProgrammeFlavour flavour_;
    std::vector<ProgrammeRow> src_;
    std::vector<ProgrammeRow> dst_;
    MinSec total_ = 0;
    bool dstSorted_ = false;
};

// ---- The two calculations, over the available rows in list order ---------------------------

// False when the seconds (the two decimals) are above 59, or the time is 100.00 or more, or
// below 0.
bool FitTargetValid(MinSec target);

enum class FitOutcome { Fitted, NothingAvailable, OutOfRange };

struct FitResult {
    FitOutcome Outcome = FitOutcome::Fitted;
    // Indices of the available rows that make the play list, in play-list order.
    std::vector<std::size_t> Chosen;
    MinSec Total = 0;
    int Passes = 0;  // improvement passes of best fit
};

// The longest run of rows from the first whose total stays within target.
FitResult FitInOrder(std::span<const std::optional<MinSec>> times, MinSec target);
// The in-order choice, then at most 21 passes that each replace one chosen row by one longer
// available row, or by two, while the total stays within target; the first swap found in the
// order (row, partner with none first, chosen row) is taken.
FitResult FitBest(std::span<const std::optional<MinSec>> times, MinSec target);

// ---- The stored programme ------------------------------------------------------------------

// Fills lists from the record's programme and track lengths, names from column 0 of tracks
// (the catalogue's table, or the disc editor's grid). Entries outside the disc's tracks are
// not shown, as they are never played.
void FillProgrammeLists(ProgrammeLists& lists, const DiscRecord& record, const StringGrid& tracks);
// The play list's track numbers, the first 100 rows only.
std::vector<std::uint8_t> ProgrammeOf(const ProgrammeLists& lists);

}  // namespace snx
