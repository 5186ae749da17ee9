// sonatrix-catalogue: the command-line catalogue tool, a small dispatcher over its subcommands.
#include <array>
#include <iostream>
#include <string>
#include <vector>

#include "catalogue/identify_command.h"

namespace {

const std::array<const snx::tool::ToolCommand*, 1> kCommands{&snx::tool::kIdentifyCommand};

void PrintHelp(std::ostream& out) {
    out << "Usage: sonatrix-catalogue COMMAND [ARGUMENTS]\n\nCommands:\n";
    for (const snx::tool::ToolCommand* command : kCommands) {
        out << "  " << command->Name << " " << command->Usage << "\n      " << command->Summary
            << "\n";
    }
    out << "\n  -h, --help  show this help\n";
}

}  // namespace

int main(int argc, char* argv[]) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.empty()) {
        PrintHelp(std::cerr);
        return 1;
    }
    if (arguments.front() == "-h" || arguments.front() == "--help") {
        PrintHelp(std::cout);
        return 0;
    }
    for (const snx::tool::ToolCommand* command : kCommands) {
        if (arguments.front() == command->Name) {
            const std::span<const std::string> rest(arguments.begin() + 1, arguments.end());
            return command->Run(rest, std::cout, std::cerr);
        }
    }
    std::cerr << "sonatrix-catalogue: unknown command: " << arguments.front() << "\n\n";
    PrintHelp(std::cerr);
    return 1;
}
