// The demo disc, written once per test program into a directory that lives as long as it.
#pragma once

#include <filesystem>

namespace snx::test {

std::filesystem::path DemoImage();

}  // namespace snx::test
