#include "settings/drive_list_lines.h"

namespace snx {

std::vector<std::string> DriveListLines(std::span<const std::string> labels) {
    std::vector<std::string> lines;
    lines.reserve(labels.size());
    for (std::size_t n = 0; n < labels.size(); ++n) {
        lines.push_back("CD ROM " + std::to_string(n) + " <" + labels[n] + ">");
    }
    return lines;
}

}  // namespace snx
