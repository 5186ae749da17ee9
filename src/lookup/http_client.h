// What the lookup asks of the network: an asynchronous GET, a timer and a steady clock. The
// program implements it over Qt Network on the user-interface thread; tests fake it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace snx {

struct HttpAnswer {
    int Status = 0;     // the HTTP status; 0 when no answer came
    std::string Body;   // the answer's bytes, whatever the status
    std::string Error;  // why no answer came (refused, timed out...); empty when one came
};

using HttpHeaders = std::vector<std::pair<std::string, std::string>>;

class HttpClient {
  public:
    virtual ~HttpClient() = default;
    // Calls done exactly once, never from inside Get, on the calling thread. A request that
    // takes longer than its client's timeout ends with an Error.
    virtual void Get(const std::string& url, const HttpHeaders& headers,
                     std::function<void(const HttpAnswer&)> done) = 0;
    // Runs task once after the given time, on the calling thread.
    virtual void After(int milliseconds, std::function<void()> task) = 0;
    // Milliseconds of a clock that never goes back.
    virtual std::int64_t NowMs() const = 0;
};

}  // namespace snx
