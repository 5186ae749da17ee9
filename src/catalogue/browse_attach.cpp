#include "catalogue/browse_attach.h"

#include <string>

#include "store/status.h"
#include "util/text.h"

namespace snx {

namespace {

// The record in the file, or false with the error reported.
bool ReadReporting(DiscCatalogue& catalogue, std::int32_t number, DiscRecord& record) {
    if (!catalogue.OpenDiscFiles()) {
        return false;
    }
    const bool read = catalogue.ReadRecord(number, record);
    if (!read) {
        catalogue.ReportRecordError(0);
    }
    catalogue.CloseDiscFiles();
    return read;
}

void ReplaceFirstLine(TextBox& memo, const std::string& line) {
    std::vector<std::string> lines = memo.Lines();
    if (lines.empty()) {
        lines.push_back(line);
    } else {
        lines.front() = line;
    }
    memo.SetLines(lines);
}

}  // namespace

std::string AttachQuestion(std::string_view nodeText) {
    return "There is a current data record for this CD, if you continue it will be deleted. Do "
           "you wish to attach the CD to " +
           StoredTextToUtf8(nodeText) + "?";
}

bool AttachDriveDisc(DiscCatalogue& catalogue, const BrowseNode* selected,
                     std::int32_t currentNumber, std::string_view driveIdentity) {
    const bool currentExists = currentNumber > 0;
    if (selected == nullptr || selected->Heading) {
        ReportFailure(kSelectToAttach);
        return false;
    }
    // Without a disc the record would be keyed by an empty identity and lose its tracks.
    if (driveIdentity.empty()) {
        ReportFailure("Please first insert the CD to attach.");
        return false;
    }
    // Deleting the current record and moving the identity are one change.
    std::optional<CatalogueScope> scope;
    if (!catalogue.Enter(scope, CatalogueAccess::Write)) {
        return false;
    }
    DiscRecord record;
    if (!ReadReporting(catalogue, selected->RecordNumber, record)) {
        return false;
    }
    if (record.Identity == driveIdentity) {
        ReportFailure("The CD is already attached to this data record.");
        return false;
    }

    // Once the current record is gone the caller must refresh, whatever fails after it.
    bool deleted = false;
    if (currentExists && catalogue.OpenDiscFiles()) {
        DiscRecord current;
        if (catalogue.ReadRecord(currentNumber, current)) {
            catalogue.DeleteRecordAndBlocks(currentNumber, current);
            deleted = true;
        } else {
            catalogue.ReportRecordError(0);
        }
        catalogue.CloseDiscFiles();
    }

    if (!ReadReporting(catalogue, selected->RecordNumber, record)) {
        return deleted;
    }
    const std::string oldIdentity = record.Identity;
    StringGrid tracks(3, 100);
    TextBox memo;
    KeySnapshot keys;
    const std::int32_t number = catalogue.LoadDiscRecord(oldIdentity, record, tracks, memo, keys);
    if (number <= 0) {
        return deleted;
    }
    const std::string identity(driveIdentity);
    if (catalogue.OpenDiscFiles()) {
        const int handle = catalogue.Handle();
        if (!DeleteKey(handle, kKeyIdentity, number, KeyText(oldIdentity, kKeyIdentity))) {
            catalogue.ReportRecordError(kKeyIdentity);
        }
        if (!AddKey(handle, kKeyIdentity, number, KeyText(identity, kKeyIdentity))) {
            catalogue.ReportRecordError(kKeyIdentity);
        }
        catalogue.CloseDiscFiles();
    }
    record.Identity = identity;
    ReplaceFirstLine(memo, identity);
    tracks.SetCell(0, 0, identity);
    // Taking the drive's track count, lengths and playing time and dropping the mark is what
    // adopting an orphan does; the record is stored with it.
    record.Orphan = true;
    catalogue.AdoptDriveDisc(record, tracks, memo, keys);
    return true;
}

}  // namespace snx
