// One subcommand of sonatrix-catalogue: its name, its usage line and what runs it.
#pragma once

#include <iosfwd>
#include <span>
#include <string>

namespace snx::tool {

struct ToolCommand {
    const char* Name;
    const char* Usage;    // the arguments after the name
    const char* Summary;  // one line for --help
    // Returns the exit status; errors go to err.
    int (*Run)(std::span<const std::string> arguments, std::ostream& out, std::ostream& err);
};

}  // namespace snx::tool
