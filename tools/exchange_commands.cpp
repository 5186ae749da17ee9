#include "exchange_commands.h"

#include <iostream>
#include <optional>

#include "exchange/text_export.h"
#include "exchange/text_import.h"

namespace snx {

namespace {

int Fail(const std::string& message) {
    std::cerr << "sonatrix-catalogue: " << message << '\n';
    return 1;
}

// "0" to "99", as the dialog's two-digit field takes it.
std::optional<int> TrackGroups(const std::string& text) {
    if (text.empty() || text.size() > 2 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    return std::stoi(text);
}

}  // namespace

int ExportCommand(CommandCatalogue& session, const std::vector<std::string>& args,
                  std::ostream& out) {
    ExportOptions options;
    std::string file;
    // Options apply in the order given, so --default can be followed by changes to it.
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--comma") {
            options.Separator = ExportSeparator::Comma;
        } else if (arg == "--lines") {
            options.Separator = ExportSeparator::LineFeed;
        } else if (arg == "--quote" && i + 1 < args.size()) {
            const std::string& quote = args[++i];
            if (quote == "double") {
                options.Quote = ExportQuote::Double;
            } else if (quote == "single") {
                options.Quote = ExportQuote::Single;
            } else if (quote == "none") {
                options.Quote = ExportQuote::None;
            } else {
                return Fail("export: --quote takes double, single or none");
            }
        } else if (arg == "--tracks" && i + 1 < args.size()) {
            const std::optional<int> groups = TrackGroups(args[++i]);
            if (!groups) {
                return Fail("export: --tracks takes a number from 0 to 99");
            }
            options.FixedTracks = true;
            options.TrackGroups = *groups;
        } else if (arg == "--variable") {
            options.FixedTracks = false;
        } else if (arg == "--no-header") {
            options.Header = false;
        } else if (arg == "--no-times") {
            options.Times = false;
        } else if (arg == "--no-names") {
            options.Names = false;
        } else if (arg == "--user1") {
            options.User1 = true;
        } else if (arg == "--user2") {
            options.User2 = true;
        } else if (arg == "--default") {
            options = ExportOptions::SonatrixDefault();
        } else if (file.empty() && !arg.starts_with("--")) {
            file = arg;
        } else {
            return Fail("export: unexpected argument " + arg);
        }
    }
    if (file.empty()) {
        return Fail("export: give the file to write");
    }
    const ExportResult result = ExportCatalogue(session.Catalogue(), file, options);
    if (result.Outcome != ExportOutcome::Done) {
        return 1;
    }
    out << "Exported " << result.Discs << " discs to " << file << '\n';
    return 0;
}

int ImportCommand(CommandCatalogue& session, const std::vector<std::string>& args,
                  std::ostream& out) {
    ImportOptions options;
    std::string file;
    for (const std::string& arg : args) {
        if (arg == "--v4") {
            options.Format = ImportFormat::Version4;
        } else if (arg == "--v3") {
            options.Format = ImportFormat::Version3;
        } else if (arg == "--ini") {
            options.Format = ImportFormat::Ini;
        } else if (arg == "--merge") {
            options.Merge = true;
        } else if (file.empty() && !arg.starts_with("--")) {
            file = arg;
        } else {
            return Fail("import: unexpected argument " + arg);
        }
    }
    if (file.empty()) {
        return Fail("import: give the file to read");
    }
    const ImportResult result = ImportCatalogue(session.Catalogue(), file, options);
    if (result.Outcome != ImportOutcome::Done) {
        return 1;
    }
    out << "Imported " << result.Added << " new, " << result.Merged << " merged, " << result.Skipped
        << " already held\n";
    if (result.Stopped) {
        return Fail("import: " + ImportStopMessage(result));
    }
    return 0;
}

}  // namespace snx
