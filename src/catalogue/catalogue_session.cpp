#include "catalogue/catalogue_session.h"

#include "catalogue/rebuild.h"
#include "settings/file_names.h"
#include "store/record_file/record_file.h"
#include "store/status.h"

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

bool CatalogueSession::Prepare(const std::function<bool()>& rebuildAgreed) {
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
        ReportFailure("The catalogue's files do not agree with each other (" + problems.front() +
                      "). Rebuilding the catalogue mends its indexes from the records.");
        if (rebuildAgreed && rebuildAgreed()) {
            RebuildCatalogue(catalogue_, "");
        }
    }
    return true;
}

}  // namespace snx
