// Asks the AccurateRip server of the settings for a disc's database file, over the program's
// HTTP client (asynchronous, on the calling thread's event loop).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "archive/accuraterip.h"
#include "lookup/http_client.h"

namespace snx {

struct ArLookup {
    enum class Outcome { Found, NotFound, Failed };
    Outcome Result = Outcome::Failed;
    std::vector<ArResponse> Responses;
    std::string Message;  // for the log: what the server said, or why there is no answer
};

// server is "http://host[:port]" without a final slash. A 404 is a disc the database does not
// hold; a damaged file or no answer is Failed with a message.
void FetchAccurateRip(HttpClient& http, const std::string& server, const AccurateRipIds& ids,
                      std::function<void(const ArLookup&)> done);

}  // namespace snx
