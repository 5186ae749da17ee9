// The lines of the drive selection list, one per drive in the order the device counts them.
#pragma once

#include <span>
#include <string>
#include <vector>

namespace snx {

// "CD ROM " + n + " <" + label + ">", n counting from 0.
std::vector<std::string> DriveListLines(std::span<const std::string> labels);

}  // namespace snx
