#include "catalogue/catalogue_check.h"
#include "catalogue/catalogue_swap.h"

#include <map>
#include <set>

#include "catalogue/disc_record.h"
#include "settings/file_names.h"
#include "store/block_file/vlf.h"
#include "store/record_file/record_file.h"
#include "store/transaction.h"

namespace snx {

namespace {

using Problems = std::vector<std::string>;

std::string RecordName(std::int32_t number) {
    return "record " + std::to_string(number);
}

// Every key's entries, as record number -> the texts keyed for it.
using KeyEntries = std::map<std::int32_t, std::vector<std::string>>;

KeyEntries ReadKey(int handle, int key) {
    KeyEntries entries;
    ClearKey(handle, key);
    std::int32_t number = 0;
    std::string text;
    for (std::int32_t left = UsedKeys(handle, key); left > 0 && NextKey(handle, key, number, text);
         --left) {
        entries[number].push_back(text);
    }
    return entries;
}

void CheckLinks(const std::map<std::int32_t, DiscRecord>& live, TVlf& vlf, Problems& problems) {
    std::map<std::int32_t, std::int32_t> owners;  // block address -> record number
    for (const auto& [number, record] : live) {
        const struct {
            std::int32_t Address;
            std::int16_t Type;
            const char* Name;
        } links[] = {{record.TracksAddress, TVlf::kTypeGrid, "track table"},
                     {record.NotesAddress, TVlf::kTypeText, "notes"},
                     {record.BitmapAddress, TVlf::kTypeBitmap, "picture"},
                     {record.SampleAddress, TVlf::kTypeSample, "sample"}};
        for (const auto& link : links) {
            if (link.Address == 0) {
                continue;
            }
            const std::string where =
                RecordName(number) + " " + link.Name + " at " + std::to_string(link.Address);
            const std::int16_t type = vlf.IsOpen() ? vlf.BlockType(link.Address) : -1;
            if (type != link.Type || vlf.LastHeader().State != TVlf::kInUse) {
                problems.push_back(where + ": not an in-use block of type " +
                                   std::to_string(link.Type));
            }
            const auto [it, inserted] = owners.emplace(link.Address, number);
            if (!inserted) {
                problems.push_back(where + ": block also linked by " + RecordName(it->second));
            }
        }
    }
}

}  // namespace

std::vector<std::string> CheckCatalogue(const std::filesystem::path& dataDirectory) {
    Problems problems;
    InstallSwapRecovery();
    // A shared lock: another program's change is seen whole or not at all.
    const CatalogueScope scope(dataDirectory, CatalogueAccess::Read);
    if (!scope.Held()) {
        problems.push_back(scope.Failure());
        return problems;
    }
    const std::filesystem::path base = dataDirectory / data_file::kDiscBase;
    for (const std::string& problem : CheckRecordFiles(base)) {
        problems.push_back("disc.DAT/IX: " + problem);
    }
    const std::filesystem::path vlfPath = ResolveFileName(dataDirectory, data_file::kDiscVlf);
    if (std::filesystem::exists(vlfPath)) {
        for (const std::string& problem : CheckVlf(vlfPath)) {
            problems.push_back("disc.VLF: " + problem);
        }
    }
    const int handle = OpenRecordFiles(base);
    if (handle < 0) {
        problems.push_back("cannot open the record files - " +
                           std::to_string(LastRecordStatus().Error));
        return problems;
    }
    std::map<std::int32_t, DiscRecord> live;
    DiscRecordBytes bytes{};
    for (std::int32_t number = 1; number < UsedRecs(handle); ++number) {
        if (!GetRec(handle, number, bytes)) {
            problems.push_back(RecordName(number) + ": cannot be read");
            continue;
        }
        DiscRecord record = DecodeDiscRecord(bytes);
        if (record.status == 0) {
            live.emplace(number, std::move(record));
        }
    }
    for (int key = kKeyIdentity; key <= kKeyMusicType; ++key) {
        const KeyEntries entries = ReadKey(handle, key);
        const std::string keyName = "key " + std::to_string(key);
        for (const auto& [number, texts] : entries) {
            if (!live.contains(number)) {
                problems.push_back(keyName + ": entry for " + RecordName(number) +
                                   ", which is not in use");
            }
        }
        for (const auto& [number, record] : live) {
            const auto found = entries.find(number);
            const std::string expected = KeyText(KeyField(record, key), key);
            if (found == entries.end()) {
                problems.push_back(keyName + ": no entry for " + RecordName(number));
            } else if (found->second.size() != 1) {
                problems.push_back(keyName + ": " + std::to_string(found->second.size()) +
                                   " entries for " + RecordName(number));
            } else if (found->second.front() != expected) {
                problems.push_back(keyName + ": entry \"" + found->second.front() + "\" for " +
                                   RecordName(number) + " should be \"" + expected + "\"");
            }
        }
    }
    CloseRecordFiles(handle);

    TVlf vlf;
    vlf.FileOpenMode = TVlf::OpenRead;
    if (std::filesystem::exists(vlfPath)) {
        vlf.Open(vlfPath);
    }
    CheckLinks(live, vlf, problems);
    return problems;
}

}  // namespace snx
