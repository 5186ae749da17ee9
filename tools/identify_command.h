// sonatrix-catalogue identify [DEVICE_OR_IMAGE]: the table of contents, playing time, identity
// and CD-Text of a disc in a drive or an image.
#pragma once

#include "tool_command.h"

namespace snx::tool {

extern const ToolCommand kIdentifyCommand;

}  // namespace snx::tool
