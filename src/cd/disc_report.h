// The text form of a disc's table of contents, playing time, identity and CD-Text, as the
// catalogue tool prints it.
#pragma once

#include <string>

#include "cd/disc_info.h"

namespace snx {

std::string DescribeDisc(const DiscInfo& disc);

}  // namespace snx
