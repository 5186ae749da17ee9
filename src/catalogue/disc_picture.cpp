#include "catalogue/disc_picture.h"

#include <system_error>

#include "settings/file_names.h"

namespace snx {

std::filesystem::path DiscPictureFile(DiscCatalogue& catalogue, const DiscRecord& record,
                                      const std::filesystem::path& dataDirectory) {
    const std::filesystem::path discPicture =
        ResolveFileName(dataDirectory, data_file::kDiscBitmap);
    std::error_code error;
    if (record.BitmapAddress != 0 && !std::filesystem::exists(discPicture, error)) {
        if (catalogue.OpenDiscVlf()) {
            catalogue.Holder().Vlf.ExtractFile(record.BitmapAddress, discPicture, 0);
            catalogue.CloseDiscVlf();
        }
    }
    return std::filesystem::exists(discPicture, error)
               ? discPicture
               : ResolveFileName(dataDirectory, data_file::kGeneralBitmap);
}

}  // namespace snx
