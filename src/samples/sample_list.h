// The catalogue's side of playing samples: the known-discs list of the play dialog, finding a
// disc by its identity, and copying a disc's sample out of the block file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/disc_record.h"

namespace snx {

class DiscCatalogue;

// Characters 1-16 the identity padded with blanks, 17 "Y" or "N" for a sample, then the name.
std::string SampleListRow(const DiscRecord& record);
// The row's identity without its padding, and whether its disc has a sample.
std::string RowIdentity(std::string_view row);
bool RowHasSample(std::string_view row);
// The text shown for the row: its characters 18 onward.
std::string RowName(std::string_view row);

// One row per catalogued disc, in the order of the disc-name index.
std::vector<std::string> ReadSampleList(DiscCatalogue& catalogue);

// The record of the disc with this identity, from the identity index; nullopt when it is not
// there.
std::optional<DiscRecord> FindDiscRecord(DiscCatalogue& catalogue, std::string_view identity);

// Deletes file, then copies the sample block at address (none when 0) into it, chunk by chunk.
// True when the file exists afterwards.
bool ExtractSample(DiscCatalogue& catalogue, std::int32_t address,
                   const std::filesystem::path& file);

}  // namespace snx
