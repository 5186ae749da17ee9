#include "app/command_line.h"

namespace snx {

namespace {

// Takes the value of an option given as "--name VALUE" or "--name=VALUE". False when the
// argument is not this option; an empty or missing value sets the error.
bool TakeValue(const std::vector<std::string>& arguments, std::size_t& i, const std::string& name,
               const std::string& what, std::optional<std::string>& value, std::string& error) {
    const std::string& argument = arguments[i];
    if (argument == name) {
        if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
            error = name + " needs " + what;
            return true;
        }
        value = arguments[++i];
        return true;
    }
    if (argument.starts_with(name + "=")) {
        value = argument.substr(name.size() + 1);
        if (value->empty()) {
            error = name + " needs " + what;
        }
        return true;
    }
    return false;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine result;
    for (std::size_t i = 0; i < arguments.size() && result.Error.empty(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "/P" || argument == "/p") {
            // The desktop's audio-CD handler passes it first; anywhere else it means nothing.
            result.Play = result.Play || i == 0;
        } else if (argument == "-p" || argument == "--play") {
            result.Play = true;
        } else if (argument == "-h" || argument == "--help") {
            result.ShowHelp = true;
        } else if (argument == "--demo") {
            result.Demo = true;
        } else if (argument == "--has-drive") {
            result.HasDrive = true;
        } else if (TakeValue(arguments, i, "--data-dir", "a directory", result.DataDirectory,
                             result.Error) ||
                   TakeValue(arguments, i, "--image", "a disc image", result.Image, result.Error)) {
        } else {
            result.Error = "unknown argument: " + argument;
        }
    }
    if (result.Error.empty() && result.Demo && result.Image) {
        result.Error = "--demo and --image cannot be used together";
    }
    return result;
}

std::string CommandLineHelp() {
    return "Usage: sonatrix [/P] [-p] [--data-dir DIR] [--demo | --image FILE] [--has-drive]\n"
           "\n"
           "  --data-dir DIR  keep settings and the catalogue in DIR (default: "
           "$SONATRIX_DATA_DIR,\n"
           "                  else $XDG_DATA_HOME/sonatrix, else ~/.local/share/sonatrix)\n"
           "  --demo          make the demo disc in the data directory when missing, put it in\n"
           "                  the virtual drive and select that drive\n"
           "  --image FILE    put a disc image (.cue, .toc or .nrg) in the virtual drive and\n"
           "                  select that drive; the image is remembered\n"
           "  /P, -p, --play  play as soon as a disc is found, and every disc inserted later\n"
           "  --has-drive     exit with status 0 when the machine has a CD drive, 1 when not\n"
           "  -h, --help      show this help\n";
}

}  // namespace snx
