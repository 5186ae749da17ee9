// Tfvlf: the hidden holder of the catalogue's two block files and of the grid and memo box that
// the browser, export and import pass tables and texts through.
#pragma once

#include <filesystem>

#include "store/block_file/string_grid.h"
#include "store/block_file/vlf.h"

namespace snx {

struct Tfvlf {
    // Vlf works on "disc.VLF" and Vlf2 on "disc2.VLF" in programDirectory (names matched without
    // regard to case). catTracks is 3 columns by 100 rows.
    explicit Tfvlf(const std::filesystem::path& programDirectory = {});

    TVlf Vlf;
    TVlf Vlf2;
    StringGrid catTracks;
    TextBox catMemo;
};

}  // namespace snx
