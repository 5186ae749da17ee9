// Feeds arbitrary bytes to one import reader (chosen at build time) as the import reads a file,
// and checks that every record it yields fits the catalogue's record.
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "catalogue/disc_record.h"
#include "exchange/import_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    snx::ImportReader reader(in, snx::ImportFormat::SONATRIX_FUZZ_IMPORT_FORMAT);
    while (reader.HasMore()) {
        const std::optional<std::string> code = reader.NextCode();
        if (!code) {
            break;
        }
        if (code->empty() || code->size() > snx::kIdentityWidth) {
            std::abort();
        }
        snx::DiscRecord record = snx::NewImportRecord(*code);
        snx::StringGrid tracks(3, 100);
        const snx::ReadOutcome outcome = reader.ReadBody(record, tracks);
        if (record.TrackCount < 0 || record.TrackCount > snx::kMaxTracks ||
            record.Programme.size() > snx::kMaxProgramme || tracks.RowCount() != 100) {
            std::abort();
        }
        snx::EncodeDiscRecord(record);  // throws for a playing time a record cannot hold
        if (outcome != snx::ReadOutcome::Complete) {
            break;
        }
    }
    return 0;
}
