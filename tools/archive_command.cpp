#include "archive_command.h"

#include "tool_application.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <atomic>
#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>

#include "archive/archive_job.h"
#include "archive/archive_names.h"
#include "cd/cdio_disc.h"
#include "lookup/qt_http_client.h"
#include "settings/settings.h"

namespace snx::tool {

namespace {

constexpr int kFailed = 1;
constexpr int kNotVerified = 3;

std::string Hex(std::uint32_t value) {
    char text[12];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(value));
    return text;
}

// The database's answer, over Qt Network on a core application's event loop.
ArLookup AskAccurateRip(const std::string& server, const AccurateRipIds& ids) {
    const ToolApplication<> application;
    QtHttpClient http;
    QEventLoop loop;
    ArLookup lookup;
    FetchAccurateRip(http, server, ids, [&](const ArLookup& answer) {
        lookup = answer;
        loop.quit();
    });
    loop.exec();
    return lookup;
}

void PrintReport(const ArchiveReport& report, bool json, std::ostream& out) {
    if (json) {
        nlohmann::ordered_json document;
        document["identity"] = report.Identity;
        document["folder"] = report.Folder.string();
        document["accuraterip"] = report.Verification;
        nlohmann::ordered_json tracks = nlohmann::ordered_json::array();
        for (const TrackReport& track : report.Tracks) {
            tracks.push_back({{"track", track.Number},
                              {"file", track.File},
                              {"crc32", Hex(track.Crc)},
                              {"accuraterip_v1", Hex(track.ArV1)},
                              {"accuraterip_v2", Hex(track.ArV2)},
                              {"copy_matched", track.CopyMatched},
                              {"verdict", VerdictText(track.Verdict)}});
        }
        document["tracks"] = tracks;
        document["summary"] = ArchiveSummary(report);
        out << document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
        return;
    }
    out << "Folder: " << report.Folder.string() << "\n";
    for (const TrackReport& track : report.Tracks) {
        out << (track.Number < 10 ? "0" : "") << track.Number << "  " << Hex(track.Crc) << "  "
            << VerdictText(track.Verdict) << (track.CopyMatched ? "" : "  (test and copy differ)")
            << "\n";
    }
    out << ArchiveSummary(report) << "\n";
}

}  // namespace

int ArchiveCommand(std::span<const std::string> arguments, DiscCatalogue& catalogue,
                   const std::filesystem::path& dataDirectory, const std::filesystem::path& home,
                   std::ostream& out, std::ostream& err) {
    bool json = false;
    std::optional<std::string> source;
    std::optional<std::filesystem::path> to;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--json") {
            json = true;
        } else if (arguments[i] == "--to" && i + 1 < arguments.size()) {
            to = arguments[++i];
        } else if (!source && !arguments[i].starts_with("--")) {
            source = arguments[i];
        } else {
            err << "sonatrix-catalogue archive: unexpected argument " << arguments[i] << "\n";
            return kFailed;
        }
    }
    if (!source) {
        const std::vector<std::string> drives = ListCdDrives();
        if (drives.empty()) {
            err << "sonatrix-catalogue archive: no CD drive found; name a drive or an image\n";
            return kFailed;
        }
        source = drives.front();
    }
    ArchiveSource disc;
    disc.Source = *source;
    std::error_code error;
    disc.FromDrive = !std::filesystem::is_regular_file(*source, error);
    {
        const CdioHandle cdio = OpenImageOrDrive(*source);
        disc.Disc = ReadDiscInfo(cdio.get());
    }
    if (!disc.Disc) {
        err << "sonatrix-catalogue archive: no readable disc in " << *source << "\n";
        return kFailed;
    }
    const std::string path = *source;
    disc.OpenReader = disc.FromDrive
                          ? SectorReaderFactory([path] { return OpenParanoiaReader(path); })
                          : SectorReaderFactory([path] { return OpenImageReader(path); });

    const Settings& settings = AppSettings();
    const std::filesystem::path archiveFolder =
        to ? *to : ArchiveFolderOf(settings.ArchiveFolder, home);
    const ArchiveRequest request = MakeArchiveRequest(catalogue, disc, settings, archiveFolder,
                                                      std::string("Sonatrix ") + SONATRIX_VERSION);
    const std::atomic<bool> cancel = false;
    ArchiveReport report = ExtractDisc(
        request,
        [&](const ArchiveProgress& progress) {
            if (progress.TrackFinished) {
                err << "Track " << progress.Track << " copied, CRC-32 " << Hex(progress.Crc)
                    << "\n";
            }
        },
        cancel);
    std::optional<ArLookup> lookup;
    if (report.Error.empty() && settings.VerifyArchives && report.Ids) {
        lookup = AskAccurateRip(settings.AccurateRipServer, *report.Ids);
    }
    FinishArchive(report, lookup ? &*lookup : nullptr, dataDirectory, archiveFolder);
    if (!report.Error.empty()) {
        err << "sonatrix-catalogue archive: " << report.Error << "\n";
        return kFailed;
    }
    PrintReport(report, json, out);
    if (lookup && lookup->Result == ArLookup::Outcome::Failed) {
        err << "sonatrix-catalogue archive: AccurateRip: " << lookup->Message << "\n";
        return kFailed;
    }
    return ArchiveSucceeded(report) ? 0 : kNotVerified;
}

}  // namespace snx::tool
