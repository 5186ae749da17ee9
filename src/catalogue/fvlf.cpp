#include "catalogue/fvlf.h"

#include "settings/file_names.h"

namespace snx {

Tfvlf::Tfvlf(const std::filesystem::path& programDirectory) : catTracks(3, 100) {
    if (!programDirectory.empty()) {
        Vlf.FileName = ResolveFileName(programDirectory, data_file::kDiscVlf);
        Vlf2.FileName = ResolveFileName(programDirectory, data_file::kRebuildVlf);
    }
}

}  // namespace snx
