#include "exchange/export_format.h"

#include <algorithm>
#include <string_view>

#include "util/min_sec.h"

namespace snx {

namespace {

class FieldWriter {
  public:
    FieldWriter(const ExportOptions& options, std::string& out)
        : separator_(options.Separator == ExportSeparator::Comma ? "," : "\r\n"),
          quote_(options.Quote == ExportQuote::Double   ? "\""
                 : options.Quote == ExportQuote::Single ? "'"
                                                        : ""),
          comma_(options.Separator == ExportSeparator::Comma),
          out_(out) {}

    void Text(std::string_view text) {
        out_ += quote_;
        out_ += text;
        out_ += quote_;
        out_ += separator_;
    }
    void Number(std::string_view text) {
        out_ += text;
        out_ += separator_;
    }
    void EndRecord() {
        if (comma_) {
            out_ += "\r\n";
        }
    }

  private:
    std::string_view separator_;
    std::string_view quote_;
    bool comma_;
    std::string& out_;
};

int FixedGroups(const ExportOptions& options) {
    return std::clamp(options.TrackGroups, 0, kMaxTracks);
}

}  // namespace

ExportOptions ExportOptions::SonatrixDefault() {
    ExportOptions options;
    options.Separator = ExportSeparator::LineFeed;
    options.Quote = ExportQuote::None;
    options.FixedTracks = false;
    options.Header = false;
    options.Times = options.Names = options.User1 = options.User2 = true;
    return options;
}

void AppendExportHeader(const ExportOptions& options, std::string& out) {
    FieldWriter fields(options, out);
    for (const char* name :
         {"CD Code", "CD Name", "CD Artist", "CD Composer", "CD Reference", "CD Music type",
          "CD Record label", "CD User field 1", "CD User field 2", "CD Year", "CD Playing time",
          "CD Number of tracks"}) {
        fields.Text(name);
    }
    if (options.AnyTrackField()) {
        const int groups = options.FixedTracks ? FixedGroups(options) : kMaxTracks;
        for (int n = 1; n <= groups; ++n) {
            const std::string track = "Tr " + std::to_string(n);
            if (options.Times) {
                fields.Text(track + " Time");
            }
            if (options.Names) {
                fields.Text(track + " Name");
            }
            if (options.User1) {
                fields.Text(track + " User field 1");
            }
            if (options.User2) {
                fields.Text(track + " User field 2");
            }
        }
    }
    fields.EndRecord();
}

void AppendExportRecord(const ExportOptions& options, const DiscRecord& record,
                        const StringGrid& tracks, std::string& out) {
    FieldWriter fields(options, out);
    fields.Text("[" + record.Identity + "]");
    for (const std::string* text :
         {&record.Name, &record.Artist, &record.Composer, &record.Reference, &record.MusicType,
          &record.RecordLabel, &record.User1, &record.User2}) {
        fields.Text(*text);
    }
    fields.Number(std::to_string(record.Year));
    fields.Number(FormatMinSec(record.PlayingTime));
    fields.Number(std::to_string(record.TrackCount));
    if (!options.AnyTrackField()) {
        fields.EndRecord();
        return;
    }
    // A damaged count outside 0..99 must not reach past the 99 stored lengths.
    const int groups = options.FixedTracks
                           ? FixedGroups(options)
                           : std::clamp(static_cast<int>(record.TrackCount), 0, kMaxTracks);
    for (int n = 1; n <= groups; ++n) {
        if (options.Times) {
            fields.Number(FormatMinSec(MsfToMinSec(record.TrackLengths[n - 1])));
        }
        if (options.Names) {
            fields.Text(tracks.Cell(0, n));
        }
        if (options.User1) {
            fields.Text(tracks.Cell(1, n));
        }
        if (options.User2) {
            fields.Text(tracks.Cell(2, n));
        }
    }
    fields.EndRecord();
}

}  // namespace snx
