#include "catalogue/catalogue_session.h"

#include "catalogue/rebuild.h"
#include "catalogue/record_file.h"
#include "settings/file_names.h"
#include "util/user_messages.h"

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
    std::vector<std::string> problems;
    {
        std::optional<CatalogueScope> scope;
        if (!catalogue_.Enter(scope, CatalogueAccess::Read)) {
            return false;
        }
        if (!catalogue_.OpenDiscFiles()) {
            return false;
        }
        catalogue_.CloseDiscFiles();
        // Damage no crash can leave (a disk error, a file changed by hand) is caught before it
        // is built upon: the indexes against their headers, the records against the file.
        problems = CheckRecordFiles(catalogue_.DataDirectory() / data_file::kDiscBase);
    }
    if (!problems.empty()) {
        ShowError("The catalogue's files do not agree with each other (" + problems.front() +
                  "). Rebuilding the catalogue mends its indexes from the records.");
        RebuildCatalogue(catalogue_, "");
    }
    return true;
}

}  // namespace snx
