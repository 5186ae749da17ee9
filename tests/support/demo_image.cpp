#include "tests/support/demo_image.h"

#include "cd/demo_disc.h"
#include "tests/support/temp_dir.h"

namespace snx::test {

std::filesystem::path DemoImage() {
    static const TempDir directory;
    static const std::filesystem::path cue = EnsureDemoDisc(directory.Path());
    return cue;
}

}  // namespace snx::test
