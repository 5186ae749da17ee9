// The disc editor's working state and what OK and Cancel hand back to the record: the editor
// works on a copy of the record, a track table of its own and the notes without the identity line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/disc_record.h"
#include "store/block_file/string_grid.h"

namespace snx {

// Widths of the edited fields, in bytes of UTF-8 (names and references from the record's own).
constexpr std::size_t kLabelWidth = kTypeWidth;
constexpr int kMaxYear = 9999;
// The block file keeps at most this many bytes of a track text.
constexpr std::size_t kTrackTextWidth = 255;

// The edit boxes' texts as the user sees them (UTF-8).
struct DiscEditFields {
    std::string Name;
    std::string Composer;
    std::string Artist;
    std::string User1;
    std::string User2;
    std::string RecordLabel;
    std::string MusicType;
    std::string Reference;
    int Year = 0;
    bool operator==(const DiscEditFields&) const = default;
};

struct DiscEditor {
    DiscRecord Working;     // the working copy: bitmap, sample and programme are changed here
    DiscEditFields Fields;  // the edit boxes
    StringGrid Tracks;      // grdTracks: 3 columns, rows 1 to TrackCount
    std::string Notes;      // memDisc's text, without the identity line (UTF-8)

    // Takes the record, its track table and notes as the editor opens on them.
    static DiscEditor Open(const DiscRecord& record, const StringGrid& tracks, const TextBox& memo);

    // OK: the working copy with the edited fields over record, the notes with the record's
    // identity as line 0 over memo, and the edited track texts into tracks. A field left as it
    // was shown keeps its stored bytes exactly; a changed one is cut to its width.
    void TakeOk(DiscRecord& record, StringGrid& tracks, TextBox& memo) const;
    // Cancel: only the working copy, which holds what was already written while the dialog was
    // open (bitmap, sample, programme).
    void TakeCancel(DiscRecord& record) const;

  private:
    DiscRecord original_;
    StringGrid originalTracks_;
    std::string originalNotes_;  // stored bytes after the identity line
};

// A stored text as the editor shows it.
std::string ShownText(std::string_view stored);
// What to store for a field shown from stored and now reading typed: stored itself when the user
// left it as shown, else typed cut to width on a character boundary.
std::string TypedText(std::string_view stored, std::string_view typed, std::size_t width);

}  // namespace snx

namespace snx {

// The track grid editor's rules on grdTracks (rows 1 to count, columns 0 to 2); the number of
// rows never changes.
// Empties row at, moving rows at to count - 1 down one; the last row's texts are lost.
void InsertTrackRow(StringGrid& tracks, int count, int at);
// Moves rows at + 1 to count up one and empties the last row.
void DeleteTrackRow(StringGrid& tracks, int count, int at);
// Moves row from to row to, the rows between moving one place to close the gap.
void MoveTrackRow(StringGrid& tracks, int count, int from, int to);

}  // namespace snx
