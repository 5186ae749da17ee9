// The text exchange commands of sonatrix-catalogue: export and import.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "catalogue_commands.h"

namespace snx {

int ExportCommand(CommandCatalogue& session, const std::vector<std::string>& args,
                  std::ostream& out);
int ImportCommand(CommandCatalogue& session, const std::vector<std::string>& args,
                  std::ostream& out);

}  // namespace snx
