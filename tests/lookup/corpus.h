// The answers of the fuzz corpus, which the lookup's tests serve as the databases' answers.
#pragma once

#include <string>

#include "tests/support/temp_dir.h"

namespace snx::test {

// A file of tests/fuzz/corpus/, e.g. "musicbrainz/exact_two_media.json".
inline std::string Corpus(const std::string& name) {
    return ReadFileText(std::string(SONATRIX_LOOKUP_CORPUS) + "/" + name);
}

}  // namespace snx::test
