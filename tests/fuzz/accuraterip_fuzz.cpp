// Feeds arbitrary bytes to the AccurateRip answer reader and checks what a read answer must
// hold: either an error and nothing, or responses that tile the bytes exactly.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "archive/accuraterip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const snx::ArResponses read = snx::ReadAccurateRipResponses(std::span(data, size));
    if (!read.Error.empty() && !read.Responses.empty()) {
        std::abort();
    }
    std::size_t bytes = 0;
    for (const snx::ArResponse& response : read.Responses) {
        if (response.Tracks.empty() ||
            static_cast<int>(response.Tracks.size()) != response.Ids.AudioTracks) {
            std::abort();
        }
        bytes += snx::kArResponseHeaderSize + snx::kArTrackEntrySize * response.Tracks.size();
        snx::JudgeTrack(read.Responses, response.Ids, 1, 0, 0);
    }
    if (read.Error.empty() && bytes != size) {
        std::abort();
    }
    return 0;
}
