#include "tests/support/demo_image.h"

#include "cd/demo_disc.h"

namespace snx::test {

std::filesystem::path DemoImage() {
    // Written by the build's write_demo_disc step; made again here only if something damaged it.
    static const std::filesystem::path cue = EnsureDemoDisc(SONATRIX_TEST_DEMO_DIRECTORY);
    return cue;
}

}  // namespace snx::test
