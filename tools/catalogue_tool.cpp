// sonatrix-catalogue: the catalogue from the command line, for users' scripts and backups.
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "archive_command.h"
#include "catalogue_commands.h"
#include "exchange_commands.h"
#include "identify_command.h"
#include "lookup_command.h"
#include "print_commands.h"
#include "settings/data_directory.h"
#include "settings/settings.h"
#include "store/status.h"
#include "terminal_messages.h"
#include "util/user_messages.h"

namespace {

constexpr const char* kHelp =
    "Usage: sonatrix-catalogue [--data-dir DIR] [--yes] COMMAND [ARGS]\n"
    "\n"
    "Global options:\n"
    "  --data-dir DIR   the data directory (default: $SONATRIX_DATA_DIR, else\n"
    "                   $XDG_DATA_HOME/sonatrix, else ~/.local/share/sonatrix)\n"
    "  --yes            answer Yes to every question (otherwise asked on the terminal,\n"
    "                   and answered No when there is none)\n"
    "\n"
    "Commands:\n"
    "  list [--by name|composer|artist|label|type] [--name TEXT] [--ref TEXT] [--track TEXT]\n"
    "                   the catalogue in browse order: headings as '# TEXT', discs as\n"
    "                   number, identity, mark (O orphan, S sample, -), name\n"
    "  show IDENTITY [--json]\n"
    "                   every field, the track table and the notes of one disc\n"
    "  delete IDENTITY  delete one disc with its tracks, notes, picture and sample\n"
    "  check            check the catalogue files and the links between them\n"
    "  rebuild          pack the catalogue, recovering unused space\n"
    "  export FILE [--comma|--lines] [--quote double|single|none] [--tracks N|--variable]\n"
    "         [--no-header] [--no-times] [--no-names] [--user1] [--user2] [--default]\n"
    "                   write the catalogue to a delimited text file (default: comma\n"
    "                   separated, double quotes, 99 track groups of time and name, a\n"
    "                   header record); --default is the record format import reads;\n"
    "                   options apply in the order given\n"
    "  import FILE [--v4|--v3|--ini] [--merge]\n"
    "                   add the discs of a version 4 (default) or version 3 record file or\n"
    "                   of a player's ini file; --merge overwrites discs already held\n"
    "  print FILE.pdf [--by name|composer|artist|type|label] [--filter-name TEXT]\n"
    "        [--filter-reference TEXT] [--filter-track TEXT]\n"
    "                   print the catalogue listing in the browse order, with its filters\n"
    "                   (list's --name, --ref and --track work too), into a PDF file\n"
    "  print-disc IDENTITY FILE.pdf [--user-fields]\n"
    "                   print one disc's sheet into a PDF file; --user-fields adds the\n"
    "                   track user fields to the track listing\n"
    "  identify [DEVICE_OR_IMAGE]\n"
    "                   the table of contents, playing time, identity and CD-Text of a disc\n"
    "                   in a drive (the first drive when none is named) or an image\n"
    "  lookup [DEVICE_OR_IMAGE] [--json]\n"
    "                   the names MusicBrainz and the CDDB server of the settings give\n"
    "                   for a disc (answers kept in the data directory's lookup cache);\n"
    "                   status 1 when none is found\n"
    "  archive [DEVICE_OR_IMAGE] [--to DIR] [--json]\n"
    "                   copy a disc into tagged FLAC files with a cue sheet and a log, in\n"
    "                   \"Artist - Name\" under DIR (default: the archive folder of the\n"
    "                   settings); checked against AccurateRip when the settings turn it on;\n"
    "                   status 3 when a track is not accurate or not in the database\n"
    "  --help           this text\n"
    "\n"
    "Exit status: 0 done, 1 failed, 2 the catalogue is in use by another program\n"
    "(nothing was changed), 3 archive: not every track verified.\n";

using Command = int (*)(snx::CommandCatalogue&, const std::vector<std::string>&, std::ostream&);

struct CommandEntry {
    const char* Name;
    Command Run;
};

constexpr CommandEntry kCommands[] = {
    {"list", snx::ListCommand},
    {"show", snx::ShowCommand},
    {"delete", snx::DeleteCommand},
    {"check", snx::CheckCommand},
    {"rebuild", snx::RebuildCommand},
    {"export", snx::ExportCommand},
    {"import", snx::ImportCommand},
    {"print", snx::PrintCommand},
    {"print-disc", snx::PrintDiscCommand},
};

}  // namespace

int main(int argc, char* argv[]) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::optional<std::string> dataDir;
    bool yes = false;
    std::size_t at = 0;
    for (; at < args.size() && args[at].starts_with("-"); ++at) {
        if (args[at] == "--help" || args[at] == "-h") {
            std::cout << kHelp;
            return 0;
        }
        if (args[at] == "--yes") {
            yes = true;
        } else if (args[at] == "--data-dir" && at + 1 < args.size()) {
            dataDir = args[++at];
        } else {
            std::cerr << "sonatrix-catalogue: unknown option " << args[at] << "\n\n" << kHelp;
            return 1;
        }
    }
    if (at >= args.size()) {
        std::cerr << kHelp;
        return 1;
    }
    const std::string name = args[at];
    const std::vector<std::string> commandArgs(args.begin() + static_cast<std::ptrdiff_t>(at) + 1,
                                               args.end());
    // identify reads a disc, not the catalogue: it needs no data directory.
    if (name == snx::tool::kIdentifyCommand.Name) {
        return snx::tool::kIdentifyCommand.Run(commandArgs, std::cout, std::cerr);
    }
    const auto* entry = std::find_if(std::begin(kCommands), std::end(kCommands),
                                     [&](const CommandEntry& e) { return name == e.Name; });
    if (entry == std::end(kCommands) && name != "lookup" && name != "archive") {
        std::cerr << "sonatrix-catalogue: unknown command " << name << "\n\n" << kHelp;
        return 1;
    }

    snx::TerminalMessages messages(yes);
    snx::ScopedUserMessages installed(messages);
    snx::ScopedStoreReporting reporting{
        snx::StoreReporting{[](const snx::Status& status) { snx::ShowError(status.Message); },
                            [](std::string_view question) { return snx::Confirm(question); }}};
    const auto environment = snx::ProcessEnvironment();
    const auto dataDirectory = snx::ChooseDataDirectory(dataDir, environment);
    try {
        snx::EnsureDataDirectory(dataDirectory);
    } catch (const std::exception& error) {
        std::cerr << "sonatrix-catalogue: cannot use " << dataDirectory.string() << ": "
                  << error.what() << '\n';
        return 1;
    }
    snx::SetSettingsDirectories(dataDirectory, snx::HomeDirectory(environment));
    snx::LoadSettings();
    if (name == "lookup") {
        return snx::tool::LookupCommand(commandArgs, dataDirectory, std::cout, std::cerr);
    }
    snx::CommandCatalogue session(dataDirectory);
    if (name == "archive") {
        const int status =
            snx::tool::ArchiveCommand(commandArgs, session.Catalogue(), dataDirectory,
                                      snx::HomeDirectory(environment), std::cout, std::cerr);
        return messages.RefusedBusy() && status != 0 ? 2 : status;
    }
    const int status = entry->Run(session, commandArgs, std::cout);
    // Scripts tell "try again later" from a failure.
    return messages.RefusedBusy() ? 2 : status;
}
