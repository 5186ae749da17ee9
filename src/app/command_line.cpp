#include "app/command_line.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace snx {

namespace {

// Takes the value of an option given as "--name VALUE" or "--name=VALUE". False when the
// argument is not this option; an empty or missing value leaves value as it was, and is ignored.
bool TakeValue(const std::vector<std::string>& arguments, std::size_t& i, const std::string& name,
               const std::string& what, std::optional<std::string>& value,
               std::vector<std::string>& ignored) {
    const std::string& argument = arguments[i];
    std::string given;
    if (argument == name) {
        if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
            ignored.push_back(name + " (needs " + what + ")");
            return true;
        }
        given = arguments[++i];
    } else if (argument.starts_with(name + "=")) {
        given = argument.substr(name.size() + 1);
        if (given.empty()) {
            ignored.push_back(argument + " (needs " + what + ")");
            return true;
        }
    } else {
        return false;
    }
    value = given;
    return true;
}

std::string LowerAscii(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    return lower;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && LowerAscii(text.substr(0, prefix.size())) == prefix;
}

bool IsDiscImageName(std::string_view path) {
    const std::string extension = LowerAscii(std::filesystem::path(path).extension().string());
    return extension == ".cue" || extension == ".toc" || extension == ".nrg";
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// %XX escapes decoded; nothing when an escape is broken or decodes to a zero byte.
std::optional<std::string> PercentDecode(std::string_view text) {
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            decoded += text[i];
            continue;
        }
        if (i + 2 >= text.size()) {
            return std::nullopt;
        }
        const int high = HexDigit(text[i + 1]);
        const int low = HexDigit(text[i + 2]);
        if (high < 0 || low < 0 || (high == 0 && low == 0)) {
            return std::nullopt;
        }
        decoded += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return decoded;
}

// The local path of a file:// URI ("file:///a/b" or "file://localhost/a/b").
std::optional<std::string> FileUriPath(std::string_view uri) {
    std::string_view rest = uri.substr(std::string_view("file://").size());
    if (StartsWithNoCase(rest, "localhost/")) {
        rest.remove_prefix(std::string_view("localhost").size());
    }
    if (!rest.starts_with('/')) {
        return std::nullopt;  // another machine's file
    }
    return PercentDecode(rest);
}

// The device of a cdda:// URI: "cdda://sr0/" and "cdda:///dev/sr0" both name /dev/sr0; a URI
// without a device names none.
std::optional<std::string> CddaDevice(std::string_view uri) {
    std::optional<std::string> rest = PercentDecode(uri.substr(std::string_view("cdda://").size()));
    if (!rest) {
        return std::nullopt;
    }
    while (rest->size() > 1 && rest->ends_with('/')) {
        rest->pop_back();
    }
    if (rest->empty() || *rest == "/") {
        return std::string();
    }
    return rest->starts_with('/') ? *rest : "/dev/" + *rest;
}

// A disc's identity: 16 hexadecimal digits, upper-case as the catalogue keeps it.
std::optional<std::string> DiscIdentityText(const std::string& text) {
    if (text.size() != 16 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return HexDigit(c) >= 0; })) {
        return std::nullopt;
    }
    std::string upper = text;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](char c) { return c >= 'a' && c <= 'f' ? static_cast<char>(c - 32) : c; });
    return upper;
}

// One positional argument: the disc to play.
void TakeDisc(const std::string& argument, CommandLine& result) {
    const auto ignore = [&](const std::string& why) {
        result.Ignored.push_back(argument + " (" + why + ")");
    };
    if (result.Image || result.Drive || result.Archive) {
        ignore("only one disc image or drive can be given");
        return;
    }
    if (StartsWithNoCase(argument, "cdda://")) {
        const std::optional<std::string> device = CddaDevice(argument);
        if (!device) {
            ignore("not a drive");
        } else if (!device->empty()) {
            result.Drive = *device;
        }
        return;
    }
    if (StartsWithNoCase(argument, "file://")) {
        const std::optional<std::string> path = FileUriPath(argument);
        if (path && IsDiscImageName(*path)) {
            result.Image = *path;
        } else {
            ignore("not a disc image");
        }
        return;
    }
    if (argument.find("://") != std::string::npos) {
        ignore("cannot open this kind of address");
    } else if (argument.starts_with("/dev/")) {
        result.Drive = argument;
    } else if (IsDiscImageName(argument)) {
        result.Image = argument;
    } else {
        ignore("not a disc image or drive");
    }
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine result;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
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
                             result.Ignored)) {
        } else if (std::optional<std::string> image;
                   TakeValue(arguments, i, "--image", "a disc image", image, result.Ignored)) {
            if (image && (result.Image || result.Drive || result.Archive)) {
                result.Ignored.push_back("--image " + *image +
                                         " (only one disc image or drive can be given)");
            } else if (image) {
                result.Image = image;
            }
        } else if (std::optional<std::string> identity;
                   TakeValue(arguments, i, "--play-archive", "a disc identity", identity,
                             result.Ignored)) {
            const std::optional<std::string> valid =
                identity ? DiscIdentityText(*identity) : std::nullopt;
            if (identity && !valid) {
                result.Ignored.push_back("--play-archive " + *identity +
                                         " (not a disc identity of 16 hexadecimal digits)");
            } else if (valid && (result.Image || result.Drive || result.Archive)) {
                result.Ignored.push_back("--play-archive " + *identity +
                                         " (only one disc image or drive can be given)");
            } else if (valid) {
                result.Archive = valid;
                result.Play = true;
            }
        } else if (argument.starts_with('-') ||
                   (argument.starts_with('/') && argument.size() == 2)) {
            // Options of other programs, and the other one-letter switches of the desktop's
            // handler line ("/x"), mean nothing here.
            result.Ignored.push_back(argument + " (unknown)");
        } else {
            TakeDisc(argument, result);
        }
    }
    // The disc named first wins; the demo yields to an image or drive named as well.
    if (result.Demo && (result.Image || result.Drive || result.Archive)) {
        result.Ignored.push_back("--demo (a disc image or drive is given as well)");
        result.Demo = false;
    }
    return result;
}

std::string IgnoredWarning(const CommandLine& commandLine) {
    if (commandLine.Ignored.empty()) {
        return {};
    }
    std::string line = "sonatrix: ignored: ";
    for (std::size_t i = 0; i < commandLine.Ignored.size(); ++i) {
        line += (i == 0 ? "" : ", ") + commandLine.Ignored[i];
    }
    return line + "\n";
}

std::vector<std::string> CommandLineArguments(const CommandLine& commandLine) {
    std::vector<std::string> arguments;
    if (commandLine.Play) {
        arguments.emplace_back("/P");
    }
    if (commandLine.Demo) {
        arguments.emplace_back("--demo");
    }
    if (commandLine.Image) {
        // The running instance has another working directory.
        arguments.push_back("--image=" + std::filesystem::absolute(*commandLine.Image).string());
    }
    if (commandLine.Drive) {
        arguments.push_back(*commandLine.Drive);
    }
    if (commandLine.Archive) {
        arguments.push_back("--play-archive=" + *commandLine.Archive);
    }
    return arguments;
}

int FindDriveIndex(const std::vector<std::string>& labels, const std::string& device) {
    const auto canonical = [](const std::string& path) {
        std::error_code error;
        const std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
        return error ? std::filesystem::path(path) : resolved;
    };
    const std::filesystem::path wanted = canonical(device);
    for (std::size_t i = 0; i < labels.size(); ++i) {
        if (canonical(labels[i]) == wanted) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::string CommandLineHelp() {
    return "Usage: sonatrix [/P] [-p] [--data-dir DIR] [--has-drive]\n"
           "                [--demo | --image FILE | --play-archive IDENTITY |\n"
           "                 IMAGE | DEVICE | URI]\n"
           "\n"
           "  IMAGE           a disc image (.cue, .toc or .nrg), as --image FILE\n"
           "  DEVICE          a CD drive such as /dev/sr0: play from that drive\n"
           "  URI             file:// naming a disc image, or cdda:// naming a drive\n"
           "                  (cdda://sr0 or cdda:///dev/sr0)\n"
           "  --data-dir DIR  keep settings and the catalogue in DIR (default: "
           "$SONATRIX_DATA_DIR,\n"
           "                  else $XDG_DATA_HOME/sonatrix, else ~/.local/share/sonatrix)\n"
           "  --demo          make the demo disc in the data directory when missing, put it in\n"
           "                  the virtual drive and select that drive\n"
           "  --image FILE    put a disc image (.cue, .toc or .nrg) in the virtual drive and\n"
           "                  select that drive; the image is remembered\n"
           "  --play-archive IDENTITY\n"
           "                  play the archive of the catalogued disc of that identity (16\n"
           "                  hexadecimal digits, as the catalogue shows it) in the virtual drive\n"
           "  /P, -p, --play  play as soon as a disc is found, and every disc inserted later\n"
           "  --has-drive     exit with status 0 when the machine has a CD drive, 1 when not\n"
           "  -h, --help      show this help\n";
}

}  // namespace snx
