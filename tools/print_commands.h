// The printing commands of sonatrix-catalogue: print (the catalogue listing) and print-disc (one
// disc's sheet), into PDF files through the same reports the browser prints.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "catalogue_commands.h"

namespace snx {

int PrintCommand(CommandCatalogue& session, const std::vector<std::string>& args,
                 std::ostream& out);
int PrintDiscCommand(CommandCatalogue& session, const std::vector<std::string>& args,
                     std::ostream& out);

}  // namespace snx
