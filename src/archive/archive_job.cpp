#include "archive/archive_job.h"

#include <vector>

#include "archive/archive_index.h"
#include "archive/archive_names.h"
#include "catalogue/fvlf.h"
#include "lookup/disc_toc.h"
#include "util/atomic_file.h"
#include "util/text.h"

namespace snx {

ArchiveRequest MakeArchiveRequest(DiscCatalogue& catalogue, const ArchiveSource& source,
                                  const Settings& settings,
                                  const std::filesystem::path& archiveFolder,
                                  const std::string& program) {
    ArchiveRequest request;
    request.Disc = source.Disc;
    request.Source = source.Source;
    request.FromDrive = source.FromDrive;
    request.ReadOffset = source.FromDrive ? settings.ReadOffset : 0;
    request.OpenReader = source.OpenReader;
    request.Program = program;

    const std::string identity = DiscIdentity(*source.Disc);
    DiscRecord record;
    KeySnapshot keys;
    Tfvlf& holder = catalogue.Holder();
    const std::int32_t number =
        catalogue.LoadDiscRecord(identity, record, holder.catTracks, holder.catMemo, keys);
    if (number > 0) {
        request.Metadata = MetadataOfRecord(record, holder.catTracks, settings.TrackUser1Label,
                                            settings.TrackUser2Label);
        std::vector<std::uint8_t> bitmap;
        if (record.BitmapAddress != 0 && catalogue.OpenDiscVlf()) {
            if (holder.Vlf.ReadBlock(record.BitmapAddress, bitmap)) {
                request.Metadata.Picture = PictureOfBitmap(bitmap);
            }
            catalogue.CloseDiscVlf();
        }
    } else {
        // A disc the catalogue does not hold yet is named by its CD-Text, when it has one.
        const CdText& text = source.Disc->Text;
        request.Metadata.Album = StoredTextToUtf8(text.Title);
        request.Metadata.Artist = StoredTextToUtf8(text.Performer);
        request.Metadata.Composer = StoredTextToUtf8(text.Songwriter);
        for (const std::string& title : text.TrackTitles) {
            request.Metadata.Tracks.push_back({StoredTextToUtf8(title), {}, {}});
        }
    }
    request.Metadata.Identity = identity;
    if (const std::optional<DiscToc> toc = TocOfDisc(*source.Disc)) {
        if (const std::optional<DiscIds> ids = ComputeDiscIds(*toc)) {
            request.Metadata.MusicBrainzId = ids->MusicBrainz;
        }
    }
    request.Folder =
        archiveFolder / DiscFolderName(request.Metadata.Artist, request.Metadata.Album, identity);
    return request;
}

void FinishArchive(ArchiveReport& report, const ArLookup* lookup,
                   const std::filesystem::path& dataDirectory,
                   const std::filesystem::path& archiveFolder) {
    if (!report.Error.empty() || report.Cancelled) {
        return;  // nothing of the run is left to describe
    }
    report.VerificationAsked = lookup != nullptr;
    if (lookup == nullptr) {
        report.Verification = "not checked (turned off in the settings)";
    } else {
        report.Verification = lookup->Message;
        if (lookup->Result != ArLookup::Outcome::Failed) {
            JudgeTracks(report, lookup->Responses);
        }
    }
    try {
        WriteArchiveLog(report);
        ArchiveIndex::Load(dataDirectory, archiveFolder).Remember(report.Identity, report.Folder);
    } catch (const FileWriteError& failure) {
        report.Error = failure.what();
    }
}

}  // namespace snx
