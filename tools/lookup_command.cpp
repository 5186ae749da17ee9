#include "lookup_command.h"

#include "tool_application.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>

#include "cd/cdio_disc.h"
#include "lookup/online_lookup.h"

namespace snx::tool {

namespace {

void PrintText(const std::vector<LookupCandidate>& candidates, std::ostream& out) {
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const LookupCandidate& c = candidates[i];
        out << i + 1 << ". " << c.Name << "\n";
        const std::pair<const char*, std::string> fields[] = {
            {"Artist", c.Artist},
            {"Composer", c.Composer},
            {"Label", c.Label},
            {"Year", c.Year > 0 ? std::to_string(c.Year) : std::string()},
            {"Country", c.Country},
            {"Type", c.MusicType},
            {"Source", c.Source + " " + c.SourceId},
            {"Cover", c.FrontCover ? "front" : ""}};
        for (const auto& [label, value] : fields) {
            if (!value.empty()) {
                out << "   " << label << ": " << value << "\n";
            }
        }
        for (std::size_t t = 0; t < c.Tracks.size(); ++t) {
            out << "   " << (t + 1 < 10 ? " " : "") << t + 1 << " " << c.Tracks[t] << "\n";
        }
    }
}

}  // namespace

int LookupCommand(std::span<const std::string> arguments,
                  const std::filesystem::path& dataDirectory, std::ostream& out,
                  std::ostream& err) {
    bool json = false;
    std::optional<std::string> source;
    for (const std::string& argument : arguments) {
        if (argument == "--json") {
            json = true;
        } else if (!source && !argument.starts_with("--")) {
            source = argument;
        } else {
            err << "sonatrix-catalogue lookup: unexpected argument " << argument << "\n";
            return 1;
        }
    }
    if (!source) {
        const std::vector<std::string> drives = ListCdDrives();
        if (drives.empty()) {
            err << "sonatrix-catalogue lookup: no CD drive found; name a drive or an image\n";
            return 1;
        }
        source = drives.front();
    }
    const CdioHandle cdio = OpenImageOrDrive(*source);
    const std::shared_ptr<DiscInfo> disc = ReadDiscInfo(cdio.get());
    const std::optional<DiscToc> toc = disc ? TocOfDisc(*disc) : std::nullopt;
    const std::optional<DiscIds> ids = toc ? ComputeDiscIds(*toc) : std::nullopt;
    if (!ids) {
        err << "sonatrix-catalogue lookup: no readable audio disc in " << *source << "\n";
        return 1;
    }

    const ToolApplication<> application;
    OnlineLookup lookup(dataDirectory);
    QEventLoop loop;
    LookupOutcome outcome;
    lookup.Lookup(*toc, [&](const LookupOutcome& answer) {
        outcome = answer;
        loop.quit();
    });
    loop.exec();

    if (json) {
        nlohmann::json document = {
            {"musicbrainz_id", ids->MusicBrainz},
            {"freedb_id", ids->Freedb},
            {"toc", ids->Toc},
            {"candidates", nlohmann::json::parse(CandidatesToJson(outcome.Candidates))}};
        if (!outcome.Message.empty()) {
            document["message"] = outcome.Message;
        }
        out << document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
    } else {
        out << "MusicBrainz disc id: " << ids->MusicBrainz << "\nfreedb disc id: " << ids->Freedb
            << "\n";
        PrintText(outcome.Candidates, out);
    }
    if (outcome.Candidates.empty()) {
        err << "sonatrix-catalogue lookup: " << outcome.Message << "\n";
        return 1;
    }
    return 0;
}

}  // namespace snx::tool
