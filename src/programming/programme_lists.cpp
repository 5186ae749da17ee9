#include "programming/programme_lists.h"

#include <algorithm>
#include <cmath>

#include "catalogue/disc_record.h"
#include "programming/track_row.h"
#include "store/block_file/string_grid.h"
#include "util/text.h"
#include "util/user_messages.h"

namespace snx {

namespace {

constexpr int kMaxPasses = 21;
// During the swaps an unreadable play-list row counts as longer than any track.
constexpr MinSec kUnreadableInPlayList = 100.00;

void InsertSorted(std::vector<ProgrammeRow>& list, ProgrammeRow row) {
    row.Selected = false;
    const auto at = std::upper_bound(
        list.begin(), list.end(), row,
        [](const ProgrammeRow& a, const ProgrammeRow& b) { return a.Text < b.Text; });
    list.insert(at, std::move(row));
}

// The whole seconds of a time of minutes and two decimals, as AddMinSec and SubtractMinSec
// count them; the search compares these so that its inner loop is integer work.
std::int64_t WholeSeconds(MinSec value) {
    const double minutes = std::trunc(value);
    return std::llround(minutes * 60.0 + (value - minutes) * 100.0);
}

}  // namespace

void ProgrammeLists::AddToSrc(std::string row) {
    InsertSorted(src_, {std::move(row), false});
}

void ProgrammeLists::AppendToDst(std::string row) {
    total_ = AddMinSec(total_, RowTime(row).value_or(0));
    dst_.push_back({std::move(row), false});
}

void ProgrammeLists::SelectSrc(std::size_t index, bool selected) {
    if (index < src_.size()) {
        src_[index].Selected = selected;
    }
}

void ProgrammeLists::SelectDst(std::size_t index, bool selected) {
    if (index < dst_.size()) {
        dst_[index].Selected = selected;
    }
}

ProgrammeButtons ProgrammeLists::RefreshProgrammeButtons() const {
    ProgrammeButtons buttons;
    buttons.Add = !src_.empty();
    buttons.Remove = !dst_.empty();
    buttons.Clear = !dst_.empty();
    // The programme dialog leaves them on; moving nothing does nothing.
    const bool move = flavour_ == ProgrammeFlavour::Programme || !dst_.empty();
    buttons.Up = move;
    buttons.Down = move;
    buttons.Time = FormatMinSec(total_);
    return buttons;
}

void ProgrammeLists::MoveSelectedTracks(std::vector<ProgrammeRow>& from,
                                        std::vector<ProgrammeRow>& to, bool sorted, bool adding) {
    if (adding) {
        for (const ProgrammeRow& row : from) {
            if (row.Selected) {
                total_ = AddMinSec(total_, RowTime(row.Text).value_or(0));
                if (sorted) {
                    InsertSorted(to, row);
                } else {
                    to.push_back({row.Text, false});
                }
            }
        }
        std::erase_if(from, [](const ProgrammeRow& row) { return row.Selected; });
        return;
    }
    for (std::size_t i = from.size(); i-- > 0;) {
        if (from[i].Selected) {
            total_ = SubtractMinSec(total_, RowTime(from[i].Text).value_or(0));
            InsertSorted(to, from[i]);
            from.erase(from.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
}

void ProgrammeLists::IncludeBtnClick() {
    if (flavour_ == ProgrammeFlavour::Fit) {
        MoveSelectedTracks(src_, dst_, dstSorted_, true);
        return;
    }
    for (const ProgrammeRow& row : src_) {
        if (row.Selected) {
            AppendToDst(row.Text);
        }
    }
}

void ProgrammeLists::ExcludeBtnClick() {
    if (flavour_ == ProgrammeFlavour::Fit) {
        MoveSelectedTracks(dst_, src_, true, false);
        return;
    }
    for (std::size_t i = dst_.size(); i-- > 0;) {
        if (dst_[i].Selected) {
            total_ = SubtractMinSec(total_, RowTime(dst_[i].Text).value_or(0));
            dst_.erase(dst_.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
}

void ProgrammeLists::ExcAllBtnClick() {
    if (flavour_ == ProgrammeFlavour::Fit) {
        if (dst_.empty()) {
            return;
        }
        for (ProgrammeRow& row : dst_) {
            row.Selected = true;
        }
        ExcludeBtnClick();
    }
    dst_.clear();
    total_ = 0;
}

void ProgrammeLists::btnUpClick() {
    if (dst_.size() < 2) {
        return;
    }
    for (std::size_t i = 1; i < dst_.size(); ++i) {
        if (dst_[i].Selected) {
            std::swap(dst_[i], dst_[i - 1]);
            // The row above takes the moved row's place unselected, as it was found.
            dst_[i].Selected = false;
            dst_[i - 1].Selected = true;
            return;
        }
    }
}

void ProgrammeLists::btnDownClick() {
    if (dst_.size() < 2) {
        return;
    }
    for (std::size_t i = 0; i + 1 < dst_.size(); ++i) {
        if (dst_[i].Selected) {
            std::swap(dst_[i], dst_[i + 1]);
            dst_[i].Selected = false;
            dst_[i + 1].Selected = true;
            return;
        }
    }
}

void ProgrammeLists::btnExchClick() {
    std::vector<ProgrammeRow> aside = std::move(src_);
    src_.clear();
    for (ProgrammeRow& row : dst_) {
        InsertSorted(src_, std::move(row));
    }
    dst_.clear();
    total_ = 0;
    for (ProgrammeRow& row : aside) {
        AppendToDst(std::move(row.Text));
    }
}

bool ProgrammeLists::PrepareFit(std::optional<MinSec> target) {
    ExcAllBtnClick();
    if (src_.empty()) {
        return false;
    }
    // The user's own selection would otherwise be moved too, past the target.
    for (ProgrammeRow& row : src_) {
        row.Selected = false;
    }
    if (!target || !FitTargetValid(*target)) {
        ShowError(kFitOutOfRange);
        return false;
    }
    return true;
}

void ProgrammeLists::TakeChosen(std::span<const std::size_t> chosen) {
    for (const std::size_t index : chosen) {
        SelectSrc(index, true);
    }
    IncludeBtnClick();
}

std::vector<std::optional<MinSec>> ProgrammeLists::AvailableTimes() const {
    std::vector<std::optional<MinSec>> times;
    times.reserve(src_.size());
    for (const ProgrammeRow& row : src_) {
        times.push_back(RowTime(row.Text));
    }
    return times;
}

void ProgrammeLists::btnInClick(std::optional<MinSec> target) {
    if (!PrepareFit(target)) {
        return;
    }
    TakeChosen(FitInOrder(AvailableTimes(), *target).Chosen);
}

void ProgrammeLists::btnAnyClick(std::optional<MinSec> target) {
    // Rows enter the play list in track order while the search runs, and on every way out the
    // list goes back to keeping the order it is given.
    struct SortedWhileSearching {
        bool& sorted;
        explicit SortedWhileSearching(bool& flag) : sorted(flag) { sorted = true; }
        ~SortedWhileSearching() { sorted = false; }
    } const sortedWhileSearching(dstSorted_);
    if (!PrepareFit(target)) {
        return;
    }
    TakeChosen(FitBest(AvailableTimes(), *target).Chosen);
}

// ---- Calculations --------------------------------------------------------------------------

bool FitTargetValid(MinSec target) {
    if (!(target >= 0) || target >= 100.00) {
        return false;
    }
    const double minutes = std::trunc(target);
    return std::llround((target - minutes) * 100.0) <= 59;
}

FitResult FitInOrder(std::span<const std::optional<MinSec>> times, MinSec target) {
    FitResult result;
    if (times.empty()) {
        result.Outcome = FitOutcome::NothingAvailable;
        return result;
    }
    if (!FitTargetValid(target)) {
        result.Outcome = FitOutcome::OutOfRange;
        return result;
    }
    MinSec left = target;
    for (std::size_t i = 0; i < times.size(); ++i) {
        const MinSec time = times[i].value_or(0);
        if (SubtractMinSec(time, left) > 0) {
            break;
        }
        left = SubtractMinSec(left, time);
        result.Chosen.push_back(i);
        result.Total = AddMinSec(result.Total, time);
    }
    return result;
}

FitResult FitBest(std::span<const std::optional<MinSec>> times, MinSec target) {
    FitResult result = FitInOrder(times, target);
    if (result.Outcome != FitOutcome::Fitted) {
        return result;
    }
    // Both lists hold indices in track order, as the sorted lists keep their rows.
    std::vector<std::size_t> chosen = result.Chosen;
    std::vector<std::size_t> available;
    for (std::size_t i = chosen.size(); i < times.size(); ++i) {
        available.push_back(i);
    }
    if (available.size() < 2) {
        return result;
    }
    std::vector<std::int64_t> rowSeconds(times.size());
    std::vector<std::int64_t> playSeconds(times.size());
    for (std::size_t i = 0; i < times.size(); ++i) {
        rowSeconds[i] = WholeSeconds(times[i].value_or(0));
        playSeconds[i] = WholeSeconds(times[i].value_or(kUnreadableInPlayList));
    }
    const auto insert = [](std::vector<std::size_t>& list, std::size_t index) {
        list.insert(std::upper_bound(list.begin(), list.end(), index), index);
    };
    constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    bool improved = true;
    while (improved && result.Passes < kMaxPasses) {
        ++result.Passes;
        improved = false;
        const std::int64_t room = WholeSeconds(SubtractMinSec(target, result.Total));
        std::size_t takeI = 0;
        std::size_t takeJ = kNone;
        std::size_t takeK = 0;
        for (std::size_t i = 0; i < available.size() && !improved; ++i) {
            const std::int64_t a = rowSeconds[available[i]];
            for (std::size_t jj = 0; jj <= available.size() && !improved; ++jj) {
                // The partner "none" comes first, then every other available row.
                const std::size_t j = jj == 0 ? kNone : jj - 1;
                if (j == i) {
                    continue;
                }
                const std::int64_t s = a + (j == kNone ? 0 : rowSeconds[available[j]]);
                for (std::size_t k = 0; k < chosen.size(); ++k) {
                    // An unreadable row counted 0 in the total; replacing it (only a pair can
                    // pass 100.00) would leave the total short of the list's sum.
                    if (!times[chosen[k]]) {
                        continue;
                    }
                    const std::int64_t d = playSeconds[chosen[k]];
                    if (s > d && s - d <= room) {
                        takeI = i;
                        takeJ = j;
                        takeK = k;
                        improved = true;
                        break;
                    }
                }
            }
        }
        if (!improved) {
            break;
        }
        const std::size_t rowI = available[takeI];
        const std::size_t rowK = chosen[takeK];
        const std::size_t rowJ = takeJ == kNone ? kNone : available[takeJ];
        result.Total = SubtractMinSec(AddMinSec(result.Total, times[rowI].value_or(0)),
                                      times[rowK].value_or(kUnreadableInPlayList));
        std::erase(available, rowI);
        chosen.erase(chosen.begin() + static_cast<std::ptrdiff_t>(takeK));
        insert(chosen, rowI);
        insert(available, rowK);
        if (rowJ != kNone) {
            result.Total = AddMinSec(result.Total, times[rowJ].value_or(0));
            std::erase(available, rowJ);
            insert(chosen, rowJ);
        }
    }
    result.Chosen = std::move(chosen);
    return result;
}

// ---- The stored programme ------------------------------------------------------------------

void FillProgrammeLists(ProgrammeLists& lists, const DiscRecord& record, const StringGrid& tracks) {
    const int count = std::clamp(static_cast<int>(record.TrackCount), 0,
                                 static_cast<int>(record.TrackLengths.size()));
    const auto row = [&](int track) {
        return TrackRow(track, record.TrackLengths[static_cast<std::size_t>(track - 1)],
                        tracks.Cell(0, track));
    };
    for (const std::uint8_t entry : record.Programme) {
        if (entry >= 1 && entry <= count) {
            lists.AppendToDst(row(entry));
        }
    }
    for (int track = 1; track <= count; ++track) {
        const bool programmed = std::find(record.Programme.begin(), record.Programme.end(),
                                          track) != record.Programme.end();
        if (lists.Flavour() == ProgrammeFlavour::Programme || !programmed) {
            lists.AddToSrc(row(track));
        }
    }
}

std::vector<std::uint8_t> ProgrammeOf(const ProgrammeLists& lists) {
    std::vector<std::uint8_t> programme;
    for (const ProgrammeRow& row : lists.DstList()) {
        if (programme.size() >= kMaxProgramme) {
            break;
        }
        programme.push_back(static_cast<std::uint8_t>(RowTrackNumber(row.Text)));
    }
    return programme;
}

}  // namespace snx
