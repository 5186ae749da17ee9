#include "catalogue/catalogue_session.h"

#include "catalogue/record_file.h"

namespace snx {

namespace {

constexpr int kRecordFileSlots = 8;

}  // namespace

CatalogueSession::RecordLayer::RecordLayer() {
    InitRecordFiles(kRecordFileSlots);
}

CatalogueSession::RecordLayer::~RecordLayer() {
    ExitRecordFiles();
}

CatalogueSession::CatalogueSession(const std::filesystem::path& dataDirectory)
    : holder_(dataDirectory), catalogue_(holder_, nullptr) {}

bool CatalogueSession::Prepare() {
    const bool opened = catalogue_.OpenDiscFiles();
    catalogue_.CloseDiscFiles();
    return opened;
}

}  // namespace snx
