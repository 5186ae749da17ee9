#include "catalogue_commands.h"

#include <iostream>
#include <nlohmann/json.hpp>

#include "catalogue/browse_tree.h"
#include "catalogue/catalogue_check.h"
#include "catalogue/rebuild.h"
#include "settings/settings.h"
#include "store/record_file/record_file.h"
#include "util/text.h"
#include "util/user_messages.h"

namespace snx {

namespace {

int Fail(const std::string& message) {
    std::cerr << "sonatrix-catalogue: " << message << '\n';
    return 1;
}

std::string Shown(std::string_view stored) {
    return StoredTextToUtf8(stored);
}

char Mark(NodePicture picture) {
    switch (picture) {
        case NodePicture::Orphan:
            return 'O';
        case NodePicture::Sound:
            return 'S';
        default:
            return '-';
    }
}

void PrintDisc(const BrowseNode& node, std::ostream& out) {
    out << node.RecordNumber << '\t' << Shown(node.Identity) << '\t' << Mark(node.Picture) << '\t'
        << Shown(node.Text) << '\n';
}

// The record of this identity with its tracks and notes; 0 when it is not catalogued.
std::int32_t Load(CommandCatalogue& session, const std::string& identity, DiscRecord& record) {
    KeySnapshot keys;
    Tfvlf& holder = session.Catalogue().Holder();
    return session.Catalogue().LoadDiscRecord(identity, record, holder.catTracks, holder.catMemo,
                                              keys);
}

// The notes without their first line, which repeats the identity.
std::string NotesBody(const TextBox& memo) {
    std::vector<std::string> lines = memo.Lines();
    std::string body;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        body += Shown(lines[i]);
        body += '\n';
    }
    return body;
}

int TrackRows(const DiscRecord& record) {
    return std::clamp<int>(record.TrackCount, 0, kMaxTracks);
}

void ShowText(const DiscRecord& record, const StringGrid& tracks, const TextBox& memo,
              std::ostream& out) {
    const Settings& settings = AppSettings();
    const std::pair<const char*, std::string> fields[] = {
        {"Identity", record.Identity},
        {"Name", record.Name},
        {"Artist", record.Artist},
        {"Composer", record.Composer},
        {"Reference", record.Reference},
        {"Music type", record.MusicType},
        {"Record label", record.RecordLabel},
        {settings.DiscUser1Label.c_str(), record.User1},
        {settings.DiscUser2Label.c_str(), record.User2},
    };
    for (const auto& [label, value] : fields) {
        out << Shown(label) << ": " << Shown(value) << '\n';
    }
    out << "Year: " << record.Year << '\n';
    out << "Tracks: " << record.TrackCount << '\n';
    out << "Playing time: " << FormatMinSec(record.PlayingTime) << '\n';
    std::string programme;
    for (std::uint8_t track : record.Programme) {
        programme += (programme.empty() ? "" : " ") + std::to_string(track);
    }
    out << "Programme: " << programme << '\n';
    out << "Volume: " << record.SavedVolumeLeft << ' ' << record.SavedVolumeRight << '\n';
    out << "Play mode: " << record.SavedPlayMode << '\n';
    out << "Picture: " << (record.BitmapAddress != 0 ? "yes" : "no") << '\n';
    out << "Sample: " << (record.SampleAddress != 0 ? "yes" : "no") << '\n';
    out << "Orphan: " << (record.Orphan ? "yes" : "no") << '\n';
    out << "\nTrack\tTime\tName\t" << Shown(settings.TrackUser1Label) << '\t'
        << Shown(settings.TrackUser2Label) << '\n';
    for (int row = 1; row <= TrackRows(record); ++row) {
        out << row << '\t' << FormatMinSec(MsfToMinSec(record.TrackLengths[row - 1])) << '\t'
            << Shown(tracks.Cell(0, row)) << '\t' << Shown(tracks.Cell(1, row)) << '\t'
            << Shown(tracks.Cell(2, row)) << '\n';
    }
    out << "\nNotes:\n" << NotesBody(memo);
}

void ShowJson(const DiscRecord& record, const StringGrid& tracks, const TextBox& memo,
              std::ostream& out) {
    nlohmann::ordered_json disc;
    disc["identity"] = Shown(record.Identity);
    disc["name"] = Shown(record.Name);
    disc["artist"] = Shown(record.Artist);
    disc["composer"] = Shown(record.Composer);
    disc["reference"] = Shown(record.Reference);
    disc["musicType"] = Shown(record.MusicType);
    disc["recordLabel"] = Shown(record.RecordLabel);
    disc["user1"] = Shown(record.User1);
    disc["user2"] = Shown(record.User2);
    disc["year"] = record.Year;
    disc["trackCount"] = record.TrackCount;
    disc["playingTime"] = FormatMinSec(record.PlayingTime);
    disc["programme"] = record.Programme;
    disc["volumeLeft"] = record.SavedVolumeLeft;
    disc["volumeRight"] = record.SavedVolumeRight;
    disc["playMode"] = record.SavedPlayMode;
    disc["hasPicture"] = record.BitmapAddress != 0;
    disc["hasSample"] = record.SampleAddress != 0;
    disc["orphan"] = record.Orphan;
    auto rows = nlohmann::ordered_json::array();
    for (int row = 1; row <= TrackRows(record); ++row) {
        rows.push_back({{"track", row},
                        {"time", FormatMinSec(MsfToMinSec(record.TrackLengths[row - 1]))},
                        {"name", Shown(tracks.Cell(0, row))},
                        {"user1", Shown(tracks.Cell(1, row))},
                        {"user2", Shown(tracks.Cell(2, row))}});
    }
    disc["tracks"] = std::move(rows);
    disc["notes"] = NotesBody(memo);
    out << disc.dump(2) << '\n';
}

}  // namespace

CommandCatalogue::CommandCatalogue(const std::filesystem::path& dataDirectory)
    : dataDirectory_(dataDirectory), holder_(dataDirectory), catalogue_(holder_, nullptr) {
    InitRecordFiles(8);
}

CommandCatalogue::~CommandCatalogue() {
    catalogue_.CloseDiscFiles();
    ExitRecordFiles();
}

BrowseOption TakeBrowseOption(std::string_view option, const std::string& value, BrowseView& view,
                              BrowseFilter& filter) {
    if (option == "--by") {
        const std::pair<const char*, BrowseView> views[] = {{"name", BrowseView::Name},
                                                            {"composer", BrowseView::Composer},
                                                            {"artist", BrowseView::Artist},
                                                            {"label", BrowseView::Label},
                                                            {"type", BrowseView::Type}};
        const auto* found = std::find_if(std::begin(views), std::end(views),
                                         [&](const auto& v) { return value == v.first; });
        if (found == std::end(views)) {
            return BrowseOption::BadView;
        }
        view = found->second;
        return BrowseOption::Taken;
    }
    if (option == "--name" || option == "--filter-name") {
        filter.Name = UpperAscii(value);
    } else if (option == "--ref" || option == "--filter-reference") {
        filter.Reference = UpperAscii(value);
    } else if (option == "--track" || option == "--filter-track") {
        filter.Track = UpperAscii(value);
    } else {
        return BrowseOption::Unknown;
    }
    filter.Apply = true;
    return BrowseOption::Taken;
}

int ListCommand(CommandCatalogue& session, const std::vector<std::string>& args,
                std::ostream& out) {
    BrowseView view = BrowseView::Name;
    BrowseFilter filter;
    for (std::size_t i = 0; i < args.size(); i += 2) {
        if (i + 1 >= args.size()) {
            return Fail("list: " + args[i] + " needs a value");
        }
        switch (TakeBrowseOption(args[i], args[i + 1], view, filter)) {
            case BrowseOption::Taken:
                break;
            case BrowseOption::BadView:
                return Fail("list: --by takes name, composer, artist, label or type");
            case BrowseOption::Unknown:
                return Fail("list: unknown option " + args[i]);
        }
    }
    for (const BrowseNode& node : BuildBrowseTree(session.Catalogue(), view, filter)) {
        if (!node.Heading) {
            PrintDisc(node, out);
            continue;
        }
        out << "# " << Shown(node.Text) << '\n';
        for (const BrowseNode& disc : node.Children) {
            PrintDisc(disc, out);
        }
    }
    return 0;
}

int ShowCommand(CommandCatalogue& session, const std::vector<std::string>& args,
                std::ostream& out) {
    std::string identity;
    bool json = false;
    for (const std::string& arg : args) {
        if (arg == "--json") {
            json = true;
        } else if (identity.empty() && !arg.starts_with("--")) {
            identity = arg;
        } else {
            return Fail("show: unexpected argument " + arg);
        }
    }
    if (identity.empty()) {
        return Fail("show: which disc? Give its identity");
    }
    DiscRecord record;
    if (Load(session, identity, record) == 0) {
        return Fail("show: no disc " + identity + " in the catalogue");
    }
    const Tfvlf& holder = session.Catalogue().Holder();
    (json ? ShowJson : ShowText)(record, holder.catTracks, holder.catMemo, out);
    return 0;
}

int DeleteCommand(CommandCatalogue& session, const std::vector<std::string>& args,
                  std::ostream& out) {
    if (args.size() != 1) {
        return Fail("delete: give the identity of one disc");
    }
    DiscRecord record;
    const std::int32_t number = Load(session, args[0], record);
    if (number == 0) {
        return Fail("delete: no disc " + args[0] + " in the catalogue");
    }
    if (!Confirm(DeleteQuestion(record.Name)) ||
        !DeleteCatalogueRecord(session.Catalogue(), number, "")) {
        return 1;
    }
    out << "Deleted " << Shown(record.Identity) << ' ' << Shown(record.Name) << '\n';
    return 0;
}

int CheckCommand(CommandCatalogue& session, const std::vector<std::string>& args,
                 std::ostream& out) {
    if (!args.empty()) {
        return Fail("check takes no arguments");
    }
    const std::vector<std::string> problems = CheckCatalogue(session.DataDirectory());
    for (const std::string& problem : problems) {
        out << problem << '\n';
    }
    if (!problems.empty()) {
        return 1;
    }
    const CatalogueCounts counts = CountCatalogue(session.Catalogue());
    out << "No problems: " << counts.Discs << " discs"
        << (counts.UnusedSpace ? "; unused space a rebuild would recover" : "") << '\n';
    return 0;
}

int RebuildCommand(CommandCatalogue& session, const std::vector<std::string>& args,
                   std::ostream& out) {
    if (!args.empty()) {
        return Fail("rebuild takes no arguments");
    }
    if (!Confirm(kRebuildQuestion) || !RebuildCatalogue(session.Catalogue(), "")) {
        return 1;
    }
    out << "Rebuilt; the previous files are kept as disc-old.DAT, disc-old.IX and disc-old.VLF\n";
    return 0;
}

}  // namespace snx
