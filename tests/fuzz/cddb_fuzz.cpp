// Feeds arbitrary bytes to the CDDB answer readers, both as a query's answer and as a read
// entry, and checks what a listed or read answer must hold.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "lookup/cddb_answer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto query = snx::ParseCddbQuery(text)) {
        for (const snx::CddbMatch& match : query->Matches) {
            if (match.Category.empty() || match.DiscId.empty()) {
                std::abort();
            }
        }
        snx::CddbStatusText(query->Code);
    }
    if (const auto read = snx::ParseCddbRead(text, {"rock", "0a01c803", ""})) {
        if (read->Entry && (read->Code != 210 || read->Entry->Tracks.size() > 99)) {
            std::abort();
        }
    }
    return 0;
}
