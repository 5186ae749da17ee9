// The lookup's network over Qt Network, on the thread that makes it (the user-interface thread):
// every request carries the client's user agent and ends after a transfer timeout.
#pragma once

#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QObject>

#include "lookup/http_client.h"

namespace snx {

// A request with no progress for this long ends as timed out.
constexpr int kLookupTimeoutMs = 10000;

class QtHttpClient final : public HttpClient {
  public:
    explicit QtHttpClient(int timeoutMs = kLookupTimeoutMs);
    ~QtHttpClient() override;

    void Get(const std::string& url, const HttpHeaders& headers,
             std::function<void(const HttpAnswer&)> done) override;
    void After(int milliseconds, std::function<void()> task) override;
    std::int64_t NowMs() const override;

  private:
    QNetworkAccessManager manager_;
    // Owns the replies and timers, so none calls back after the client has gone; destroyed
    // before the manager its replies belong to.
    QObject context_;
    QElapsedTimer clock_;
    int timeoutMs_;
};

}  // namespace snx
