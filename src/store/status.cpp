#include "store/status.h"

#include <utility>

namespace snx {

namespace {

StoreReporting& Installed() {
    static StoreReporting installed;
    return installed;
}

}  // namespace

StoreReporting SetStoreReporting(StoreReporting reporting) {
    return std::exchange(Installed(), std::move(reporting));
}

void ReportFailure(const Status& status) {
    if (Installed().Failure && !status.Ok()) {
        Installed().Failure(status);
    }
}

bool AskConsent(std::string_view question) {
    return Installed().Consent && Installed().Consent(question);
}

}  // namespace snx
