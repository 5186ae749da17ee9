// The catalogue for the run of the program: the record file layer started, the holder of the
// block files and grids, and the catalogue over them, made on first use. The program keeps one
// for as long as it runs; the layer ends with it.
#pragma once

#include <filesystem>
#include <functional>

#include "catalogue/disc_catalogue.h"
#include "catalogue/fvlf.h"

namespace snx {

class CatalogueSession {
  public:
    // Starts the record file layer with the program's 8 slots; nothing is opened yet.
    explicit CatalogueSession(const std::filesystem::path& dataDirectory);
    CatalogueSession(const CatalogueSession&) = delete;
    CatalogueSession& operator=(const CatalogueSession&) = delete;

    // Opens the catalogue once and closes it again, so that a missing one is made (after the
    // user agrees) before anything reads it, and checks its record files: damaged ones are
    // reported, and rebuilt when rebuildAgreed (the user's answer to kRebuildQuestion) says so.
    // Requires: the settings are loaded. False when the files could not be opened.
    bool Prepare(const std::function<bool()>& rebuildAgreed = {});

    Tfvlf& Holder() { return holder_; }
    DiscCatalogue& Catalogue() { return catalogue_; }

  private:
    // First member: the layer is ended only after the catalogue has closed its files.
    struct RecordLayer {
        RecordLayer();
        ~RecordLayer();
        RecordLayer(const RecordLayer&) = delete;
        RecordLayer& operator=(const RecordLayer&) = delete;
    };

    RecordLayer layer_;
    Tfvlf holder_;
    DiscCatalogue catalogue_;
};

}  // namespace snx
