// One archive from start to end, shared by the tool and the window: the request made from the
// catalogue record and the settings, then, after the extraction and the database's answer, the
// verdicts, the log and the index.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "archive/accuraterip_fetch.h"
#include "archive/disc_archiver.h"
#include "catalogue/disc_catalogue.h"
#include "settings/settings.h"

namespace snx {

struct ArchiveSource {
    std::string Source;  // device path or image path
    bool FromDrive = false;
    std::shared_ptr<const DiscInfo> Disc;
    SectorReaderFactory OpenReader;
};

// The record of the disc's identity when the catalogue holds it (names, tracks, picture), else
// the disc's CD-Text; the folder is "Artist - Name" under archiveFolder. The catalogue is read,
// never written.
ArchiveRequest MakeArchiveRequest(DiscCatalogue& catalogue, const ArchiveSource& source,
                                  const Settings& settings,
                                  const std::filesystem::path& archiveFolder,
                                  const std::string& program);

// Judges the tracks by the database's answer (null: the check was not asked for), writes the
// log, and remembers the folder in the data directory's index. A log or index that cannot be
// written becomes the report's Error.
void FinishArchive(ArchiveReport& report, const ArLookup* lookup,
                   const std::filesystem::path& dataDirectory,
                   const std::filesystem::path& archiveFolder);

}  // namespace snx
