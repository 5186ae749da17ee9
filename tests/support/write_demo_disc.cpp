// Renders the demo disc into the data directory named on the command line, for the tests to
// share: every test program reads this one image instead of rendering its own.
#include <exception>
#include <filesystem>
#include <iostream>

#include "cd/demo_disc.h"

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::cerr << "usage: write_demo_disc DATA_DIRECTORY\n";
        return 2;
    }
    try {
        // Made again even when present, since the build asks only when the music changed.
        std::filesystem::remove(snx::DemoDiscPath(argv[1]));
        snx::EnsureDemoDisc(argv[1]);
    } catch (const std::exception& error) {
        std::cerr << "write_demo_disc: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
