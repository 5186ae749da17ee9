// What an operation of the storage layers ended with, and the one way they reach the user: the
// program's top (the windows, the catalogue tool, a test) installs the handlers, so no storage
// code knows whether a message box, a terminal or a script answers.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace snx {

struct Status {
    int Code = 0;         // 0 when done; else the layer's error number, or -1
    std::string Message;  // why not, for the user; empty when done

    bool Ok() const { return Code == 0 && Message.empty(); }
    static Status Failed(std::string message, int code = -1) { return {code, std::move(message)}; }
};

struct StoreReporting {
    // A failure of an operation that goes on (or ends), for the user to hear of.
    std::function<void(const Status&)> Failure;
    // A Yes/No decision the files need (a missing catalogue to be created); No without a handler.
    std::function<bool(std::string_view question)> Consent;
};

// Without handlers failures are dropped and every question is answered No. Returns the previous.
StoreReporting SetStoreReporting(StoreReporting reporting);

void ReportFailure(const Status& status);
inline void ReportFailure(std::string message) {
    ReportFailure(Status::Failed(std::move(message)));
}
bool AskConsent(std::string_view question);

// Installs handlers for the lifetime of this object.
class ScopedStoreReporting {
  public:
    explicit ScopedStoreReporting(StoreReporting reporting)
        : previous_(SetStoreReporting(std::move(reporting))) {}
    ~ScopedStoreReporting() { SetStoreReporting(std::move(previous_)); }
    ScopedStoreReporting(const ScopedStoreReporting&) = delete;
    ScopedStoreReporting& operator=(const ScopedStoreReporting&) = delete;

  private:
    StoreReporting previous_;
};

}  // namespace snx
