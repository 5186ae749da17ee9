// The picture of the disc in the drive, as the track panel shows it: "disc.bmp" in the data
// directory, written from the catalogue's block file when the record has a picture and the file
// is not there yet, else the general picture "general.bmp".
#pragma once

#include <filesystem>

#include "catalogue/disc_catalogue.h"
#include "catalogue/disc_record.h"

namespace snx {

// The file to show for this record (whether or not it exists): "disc.bmp" when it exists after
// the extraction, else "general.bmp". An existing "disc.bmp" is never replaced.
std::filesystem::path DiscPictureFile(DiscCatalogue& catalogue, const DiscRecord& record,
                                      const std::filesystem::path& dataDirectory);

}  // namespace snx
