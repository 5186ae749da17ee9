// The program's command line.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace snx {

struct CommandLine {
    std::optional<std::string> DataDirectory;  // --data-dir DIR or --data-dir=DIR
    std::optional<std::string> Image;          // --image FILE, or a positional image or its URI
    std::optional<std::string> Drive;          // a positional device path or cdda:// URI
    std::optional<std::string> Archive;        // --play-archive IDENTITY (upper-case); plays
    bool Demo = false;                         // --demo
    bool Play = false;                         // "/P" or "/p" first, or -p, --play
    bool HasDrive = false;                     // --has-drive
    bool ShowHelp = false;                     // -h, --help
    std::vector<std::string> Ignored;          // what could not be used, and why
};

// arguments excludes the program name. One positional argument names a disc: a disc image
// (.cue, .toc, .nrg, as a path or file:// URI) or a drive (a device path or a cdda:// URI);
// --play-archive names a catalogued disc by its identity instead.
// An argument that cannot be used is ignored and listed in Ignored; the others still count.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// One line for standard error naming every ignored argument; empty when none was.
std::string IgnoredWarning(const CommandLine& commandLine);

// The arguments that give a running instance the same requests; "/P" comes first when set.
std::vector<std::string> CommandLineArguments(const CommandLine& commandLine);

// The index of the drive among labels whose device is device (symbolic links followed), or -1.
int FindDriveIndex(const std::vector<std::string>& labels, const std::string& device);

std::string CommandLineHelp();

}  // namespace snx
