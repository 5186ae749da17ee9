#include "samples/sample_list.h"

#include <algorithm>

#include "catalogue/disc_catalogue.h"
#include "store/record_file/record_file.h"

namespace snx {

std::string SampleListRow(const DiscRecord& record) {
    std::string row = record.Identity.substr(0, kIdentityWidth);
    row.resize(kIdentityWidth, ' ');
    row += record.SampleAddress != 0 ? 'Y' : 'N';
    return row + record.Name;
}

std::string RowIdentity(std::string_view row) {
    std::string identity(row.substr(0, std::min(row.size(), kIdentityWidth)));
    identity.erase(identity.find_last_not_of(' ') + 1);
    return identity;
}

bool RowHasSample(std::string_view row) {
    return row.size() > kIdentityWidth && row[kIdentityWidth] == 'Y';
}

std::string RowName(std::string_view row) {
    return row.size() > kIdentityWidth + 1 ? std::string(row.substr(kIdentityWidth + 1))
                                           : std::string();
}

std::vector<std::string> ReadSampleList(DiscCatalogue& catalogue) {
    std::vector<std::string> rows;
    if (!catalogue.OpenDiscFiles()) {
        return rows;
    }
    const int handle = catalogue.Handle();
    ClearKey(handle, kKeyName);
    std::int32_t number = 0;
    std::string text;
    // Bounded by the key's entry count, so a damaged index cannot loop for ever.
    for (std::int32_t left = UsedKeys(handle, kKeyName);
         left > 0 && NextKey(handle, kKeyName, number, text); --left) {
        DiscRecord record;
        if (catalogue.ReadRecord(number, record)) {
            rows.push_back(SampleListRow(record));
        } else {
            catalogue.ReportRecordError(0);
        }
    }
    catalogue.CloseDiscFiles();
    return rows;
}

std::optional<DiscRecord> FindDiscRecord(DiscCatalogue& catalogue, std::string_view identity) {
    if (!catalogue.OpenDiscFiles()) {
        return std::nullopt;
    }
    std::optional<DiscRecord> found;
    const std::int32_t number =
        FindKey(catalogue.Handle(), kKeyIdentity, KeyText(identity, kKeyIdentity));
    DiscRecord record;
    if (number > 0 && catalogue.ReadRecord(number, record)) {
        found = std::move(record);
    }
    catalogue.CloseDiscFiles();
    return found;
}

bool ExtractSample(DiscCatalogue& catalogue, std::int32_t address,
                   const std::filesystem::path& file) {
    DiscCatalogue::DeleteQuietly(file);
    if (address != 0 && catalogue.OpenDiscVlf()) {
        const bool copied = catalogue.Holder().Vlf.ExtractFile(address, file, 0);
        catalogue.CloseDiscVlf();
        if (!copied) {
            // A copy that broke off would play as a sample cut short.
            DiscCatalogue::DeleteQuietly(file);
        }
    }
    std::error_code error;
    return std::filesystem::exists(file, error);
}

}  // namespace snx
