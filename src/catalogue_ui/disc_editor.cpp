#include "catalogue_ui/disc_editor.h"

#include <algorithm>
#include <array>

#include "util/text.h"

namespace snx {

namespace {

std::vector<std::string> NotesLines(const TextBox& memo) {
    std::vector<std::string> lines = memo.Lines();
    if (!lines.empty()) {
        lines.erase(lines.begin());
    }
    return lines;
}

std::string Join(const std::vector<std::string>& lines, std::string_view separator) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) {
            text += separator;
        }
        text += lines[i];
    }
    return text;
}

std::vector<std::string> SplitLines(std::string_view text) {
    TextBox box{std::string(text)};
    return box.Lines();
}

}  // namespace

std::string ShownText(std::string_view stored) {
    return StoredTextToUtf8(stored);
}

std::string TypedText(std::string_view stored, std::string_view typed, std::size_t width) {
    if (typed == ShownText(stored)) {
        return std::string(stored);
    }
    return CutText(typed, width);
}

DiscEditor DiscEditor::Open(const DiscRecord& record, const StringGrid& tracks,
                            const TextBox& memo) {
    DiscEditor editor;
    editor.Working = record;
    editor.original_ = record;
    editor.Fields = {
        ShownText(record.Name),      ShownText(record.Composer),  ShownText(record.Artist),
        ShownText(record.User1),     ShownText(record.User2),     ShownText(record.RecordLabel),
        ShownText(record.MusicType), ShownText(record.Reference), record.Year};
    const int count = std::max<int>(0, record.TrackCount);
    editor.Tracks.Resize(3, count + 1);
    editor.originalTracks_.Resize(3, count + 1);
    for (int row = 1; row <= count; ++row) {
        for (int column = 0; column < 3; ++column) {
            editor.originalTracks_.SetCell(column, row, tracks.Cell(column, row));
            editor.Tracks.SetCell(column, row, ShownText(tracks.Cell(column, row)));
        }
    }
    const std::vector<std::string> lines = NotesLines(memo);
    editor.originalNotes_ = Join(lines, "\n");
    editor.Notes = ShownText(editor.originalNotes_);
    return editor;
}

void DiscEditor::TakeOk(DiscRecord& record, StringGrid& tracks, TextBox& memo) const {
    record = Working;
    record.Name = TypedText(original_.Name, Fields.Name, kNameWidth);
    record.Composer = TypedText(original_.Composer, Fields.Composer, kNameWidth);
    record.Artist = TypedText(original_.Artist, Fields.Artist, kNameWidth);
    record.User1 = TypedText(original_.User1, Fields.User1, kNameWidth);
    record.User2 = TypedText(original_.User2, Fields.User2, kNameWidth);
    record.RecordLabel = TypedText(original_.RecordLabel, Fields.RecordLabel, kLabelWidth);
    record.MusicType = TypedText(original_.MusicType, Fields.MusicType, kLabelWidth);
    record.Reference = TypedText(original_.Reference, Fields.Reference, kReferenceWidth);
    record.Year = static_cast<std::int16_t>(std::clamp(Fields.Year, 0, kMaxYear));

    const std::vector<std::string> memoLines = memo.Lines();
    const bool notesAsShown = Notes == ShownText(originalNotes_);
    if (!(notesAsShown && !memoLines.empty() && memoLines.front() == record.Identity)) {
        std::vector<std::string> lines{record.Identity};
        for (std::string& line : SplitLines(notesAsShown ? originalNotes_ : Notes)) {
            lines.push_back(std::move(line));
        }
        memo.SetLines(lines);
    }

    for (int row = 1; row < Tracks.RowCount(); ++row) {
        for (int column = 0; column < 3; ++column) {
            tracks.SetCell(column, row,
                           TypedText(originalTracks_.Cell(column, row), Tracks.Cell(column, row),
                                     kTrackTextWidth));
        }
    }
}

void DiscEditor::TakeCancel(DiscRecord& record) const {
    record = Working;
}

}  // namespace snx

namespace snx {

namespace {

void CopyRow(StringGrid& tracks, int from, int to) {
    for (int column = 0; column < 3; ++column) {
        tracks.SetCell(column, to, tracks.Cell(column, from));
    }
}

void EmptyRow(StringGrid& tracks, int row) {
    for (int column = 0; column < 3; ++column) {
        tracks.SetCell(column, row, {});
    }
}

}  // namespace

void InsertTrackRow(StringGrid& tracks, int count, int at) {
    if (at < 1 || at > count) {
        return;
    }
    for (int k = count; k > at; --k) {
        CopyRow(tracks, k - 1, k);
    }
    EmptyRow(tracks, at);
}

void DeleteTrackRow(StringGrid& tracks, int count, int at) {
    if (at < 1 || at > count) {
        return;
    }
    for (int k = at; k < count; ++k) {
        CopyRow(tracks, k + 1, k);
    }
    EmptyRow(tracks, count);
}

void MoveTrackRow(StringGrid& tracks, int count, int from, int to) {
    if (from < 1 || from > count || to < 1 || to > count || from == to) {
        return;
    }
    std::array<std::string, 3> moved;
    for (int column = 0; column < 3; ++column) {
        moved[static_cast<std::size_t>(column)] = tracks.Cell(column, from);
    }
    const int step = from < to ? 1 : -1;
    for (int k = from; k != to; k += step) {
        CopyRow(tracks, k + step, k);
    }
    for (int column = 0; column < 3; ++column) {
        tracks.SetCell(column, to, std::move(moved[static_cast<std::size_t>(column)]));
    }
}

}  // namespace snx
