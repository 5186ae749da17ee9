// The MusicBrainz web service's answer to a disc id lookup (version 2, JSON): the releases that
// hold the disc, or those whose table of contents is close to it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lookup/lookup_candidate.h"

namespace snx {

// One candidate per release, its tracks from the medium that holds the disc id, else from the
// first medium with trackCount tracks, else from the first medium. Nothing when the text is
// not such an answer; an answer without releases gives an empty list.
std::optional<std::vector<LookupCandidate>> ParseMusicBrainzAnswer(std::string_view body,
                                                                   std::string_view discId,
                                                                   int trackCount);

}  // namespace snx
