// The program's command line.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace snx {

struct CommandLine {
    std::optional<std::string> DataDirectory;  // --data-dir DIR or --data-dir=DIR
    std::optional<std::string> Image;          // --image FILE or --image=FILE
    bool Demo = false;                         // --demo
    bool Play = false;                         // "/P" or "/p" first, or -p, --play
    bool HasDrive = false;                     // --has-drive
    bool ShowHelp = false;                     // -h, --help
    std::string Error;                         // set when the arguments cannot be used
};

// arguments excludes the program name.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

std::string CommandLineHelp();

}  // namespace snx
