// The demo disc as the build renders it for the tests: one image shared by every test program,
// to be read and never changed (a test that alters one makes its own with EnsureDemoDisc).
#pragma once

#include <filesystem>

namespace snx::test {

std::filesystem::path DemoImage();

}  // namespace snx::test
