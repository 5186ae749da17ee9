#include "player/cd_text_record.h"

namespace snx {

namespace {

void TakeIfGiven(const std::string& text, std::string& field) {
    if (!text.empty()) {
        field = text;
    }
}

}  // namespace

void ApplyCdText(const CdText& text, DiscRecord& record, StringGrid& tracks) {
    TakeIfGiven(text.Title, record.Name);
    TakeIfGiven(text.Performer, record.Artist);
    TakeIfGiven(text.Songwriter, record.Composer);
    const auto rows = static_cast<std::size_t>(tracks.RowCount());
    for (std::size_t i = 0; i < text.TrackTitles.size() && i + 1 < rows; ++i) {
        if (!text.TrackTitles[i].empty()) {
            tracks.SetCell(0, static_cast<std::int32_t>(i + 1), text.TrackTitles[i]);
        }
    }
}

}  // namespace snx
