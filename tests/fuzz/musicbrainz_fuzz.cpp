// Feeds arbitrary bytes to the MusicBrainz answer reader, then round-trips what it found through
// the lookup cache's format, which must give the same candidates back.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "lookup/lookup_candidate.h"
#include "lookup/musicbrainz_answer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto found = snx::ParseMusicBrainzAnswer(text, "lwHl8fGzJyLXQR33ug60E8jhf4k-", 3);
    if (!found) {
        return 0;
    }
    const auto cached = snx::CandidatesFromJson(snx::CandidatesToJson(*found));
    // Texts that are not UTF-8 are replaced on writing, so only the count must survive them.
    if (!cached || cached->size() != found->size()) {
        std::abort();
    }
    return 0;
}
