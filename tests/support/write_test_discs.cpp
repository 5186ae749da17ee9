// Writes the test discs into a directory, to try them in the player with --image:
// enhanced.cue (three audio tracks, then a data track) and data-first.cue (a data track, then
// three audio tracks).
#include <cstdio>
#include <exception>
#include <filesystem>

#include "tests/support/image_generator.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIRECTORY\n", argv[0]);
        return 2;
    }
    try {
        std::filesystem::create_directories(argv[1]);
        for (const auto& [name, tracks] : {std::pair{"enhanced", snx::test::EnhancedCd()},
                                           std::pair{"data-first", snx::test::DataFirstDisc()}}) {
            std::printf("%s\n", snx::test::GenerateImage(argv[1], name, tracks).c_str());
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
