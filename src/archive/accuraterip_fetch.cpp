#include "archive/accuraterip_fetch.h"

#include <cstdint>
#include <span>

namespace snx {

void FetchAccurateRip(HttpClient& http, const std::string& server, const AccurateRipIds& ids,
                      std::function<void(const ArLookup&)> done) {
    std::string base = server;
    while (!base.empty() && base.back() == '/') {
        base.pop_back();
    }
    http.Get(base + ids.Path(), {}, [ids, done = std::move(done)](const HttpAnswer& answer) {
        ArLookup lookup;
        if (answer.Status == 404) {
            lookup.Result = ArLookup::Outcome::NotFound;
            lookup.Message = "the disc is not in the database";
        } else if (answer.Status != 200) {
            lookup.Message = answer.Status == 0
                                 ? "no answer from the server (" + answer.Error + ")"
                                 : "the server answered HTTP " + std::to_string(answer.Status);
        } else {
            const auto* bytes = reinterpret_cast<const std::uint8_t*>(answer.Body.data());
            ArResponses read = ReadAccurateRipResponses(std::span(bytes, answer.Body.size()));
            if (!read.Error.empty()) {
                lookup.Message = read.Error;
            } else {
                lookup.Result = ArLookup::Outcome::Found;
                lookup.Responses = std::move(read.Responses);
                lookup.Message =
                    std::to_string(lookup.Responses.size()) + " pressing(s) in the database";
            }
        }
        done(lookup);
    });
}

}  // namespace snx
