#include "app/command_line.h"

namespace snx {

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine result;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "-h" || argument == "--help") {
            result.ShowHelp = true;
        } else if (argument == "--data-dir") {
            if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
                result.Error = "--data-dir needs a directory";
                return result;
            }
            result.DataDirectory = arguments[++i];
        } else if (argument.starts_with("--data-dir=")) {
            result.DataDirectory = argument.substr(11);
            if (result.DataDirectory->empty()) {
                result.Error = "--data-dir needs a directory";
                return result;
            }
        } else {
            result.Error = "unknown argument: " + argument;
            return result;
        }
    }
    return result;
}

std::string CommandLineHelp() {
    return "Usage: sonatrix [--data-dir DIR]\n"
           "\n"
           "  --data-dir DIR  keep settings and the catalogue in DIR (default: "
           "$SONATRIX_DATA_DIR,\n"
           "                  else $XDG_DATA_HOME/sonatrix, else ~/.local/share/sonatrix)\n"
           "  -h, --help      show this help\n";
}

}  // namespace snx
