#include "settings/desktop_entry.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>

#include "settings/data_directory.h"
#include "util/atomic_file.h"
#include "util/text.h"

namespace snx {

namespace {

constexpr std::string_view kEntryName = "sonatrix.desktop";
// Marks the entry as this program's, so clearing the box removes it and nothing else.
constexpr std::string_view kOwnMark = "X-Sonatrix-Written=true";
constexpr std::string_view kGroup = "[Desktop Entry]";

std::optional<std::string> ReadText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return std::move(text).str();
}

// The value of a key in the "[Desktop Entry]" group; empty when missing.
std::string EntryValue(std::string_view text, std::string_view key) {
    bool inGroup = false;
    std::istringstream lines{std::string(text)};
    for (std::string line; std::getline(lines, line);) {
        const std::string_view trimmed = TrimBlanks(line);
        if (trimmed.starts_with('[')) {
            inGroup = trimmed == kGroup;
        } else if (inGroup && trimmed.starts_with(key)) {
            const std::string_view rest = TrimBlanks(trimmed.substr(key.size()));
            if (rest.starts_with('=')) {
                return std::string(TrimBlanks(rest.substr(1)));
            }
        }
    }
    return {};
}

bool IsOwn(std::string_view text) {
    std::istringstream lines{std::string(text)};
    for (std::string line; std::getline(lines, line);) {
        if (TrimBlanks(line) == kOwnMark) {
            return true;
        }
    }
    return false;
}

bool IsExecutableFile(const std::filesystem::path& file) {
    std::error_code error;
    return std::filesystem::is_regular_file(file, error) && ::access(file.c_str(), X_OK) == 0;
}

// A program named as the desktop would look for it: a path as it is, a bare name on the path.
bool CanRun(const std::string& program, const std::string& searchPath) {
    if (program.empty()) {
        return false;
    }
    if (program.find('/') != std::string::npos) {
        return IsExecutableFile(program);
    }
    std::istringstream directories(searchPath);
    for (std::string directory; std::getline(directories, directory, ':');) {
        if (!directory.empty() && IsExecutableFile(std::filesystem::path(directory) / program)) {
            return true;
        }
    }
    return false;
}

bool Starts(std::string_view text, const std::string& searchPath) {
    const std::string tryExec = EntryValue(text, "TryExec");
    return CanRun(ExecProgram(EntryValue(text, "Exec")), searchPath) &&
           (tryExec.empty() || CanRun(tryExec, searchPath));
}

std::string OwnEntry(const std::filesystem::path& executable) {
    return std::string(kGroup) +
           "\n"
           "Type=Application\n"
           "Name=Sonatrix\n"
           "Comment=Play audio CDs and keep a catalogue of your discs\n"
           "Icon=sonatrix\n"
           "Exec=" +
           QuoteExecArgument(executable.string()) +
           " /p %U\n"
           "Terminal=false\n"
           // A handler for inserted discs, not a second menu item beside an installed one.
           "NoDisplay=true\n"
           "MimeType=x-content/audio-cdda;\n" +
           std::string(kOwnMark) + "\n";
}

}  // namespace

DesktopEntryPlaces SessionDesktopEntryPlaces(const std::filesystem::path& executable) {
    const DataDirectoryEnvironment environment = ProcessEnvironment();
    DesktopEntryPlaces places;
    const bool dataHomeSet = environment.XdgDataHome && environment.XdgDataHome->starts_with('/');
    places.UserApplications = (dataHomeSet ? std::filesystem::path(*environment.XdgDataHome)
                                           : HomeDirectory(environment) / ".local" / "share") /
                              "applications";
    const char* dataDirs = std::getenv("XDG_DATA_DIRS");
    std::istringstream directories(
        dataDirs != nullptr && dataDirs[0] != '\0' ? dataDirs : "/usr/local/share:/usr/share");
    for (std::string directory; std::getline(directories, directory, ':');) {
        if (directory.starts_with('/')) {
            places.SystemApplications.push_back(std::filesystem::path(directory) / "applications");
        }
    }
    places.Executable = executable;
    const char* path = std::getenv("PATH");
    places.SearchPath = path != nullptr ? path : "";
    return places;
}

std::string QuoteExecArgument(std::string_view argument) {
    constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
    std::string quoted;
    const bool needsQuotes = argument.find_first_of(kReserved) != std::string_view::npos;
    if (needsQuotes) {
        quoted += '"';
    }
    for (const char c : argument) {
        if (c == '%') {
            quoted += "%%";
            continue;
        }
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            // Escaped inside the quotes, and the backslash itself once more for the string.
            quoted += "\\\\";
        }
        quoted += c == '\\' ? std::string("\\\\") : std::string(1, c);
    }
    if (needsQuotes) {
        quoted += '"';
    }
    return quoted;
}

std::string ExecProgram(std::string_view exec) {
    // First the string's own escapes, then the Exec quoting.
    std::string value;
    for (std::size_t i = 0; i < exec.size(); ++i) {
        if (exec[i] == '\\' && i + 1 < exec.size()) {
            const char next = exec[++i];
            value += next == 's' ? ' ' : next == 't' ? '\t' : next == 'n' ? '\n' : next;
        } else {
            value += exec[i];
        }
    }
    std::string program;
    std::size_t i = 0;
    if (value.starts_with('"')) {
        for (i = 1; i < value.size() && value[i] != '"'; ++i) {
            if (value[i] == '\\' && i + 1 < value.size()) {
                ++i;
            }
            program += value[i];
        }
        if (i >= value.size()) {
            return {};  // no closing quote
        }
    } else {
        program = value.substr(0, value.find_first_of(" \t"));
    }
    std::string unescaped;
    for (std::size_t j = 0; j < program.size(); ++j) {
        unescaped += program[j];
        if (program[j] == '%' && j + 1 < program.size() && program[j + 1] == '%') {
            ++j;
        }
    }
    return unescaped;
}

bool EnsureDesktopEntry(const DesktopEntryPlaces& places) {
    const std::filesystem::path user = places.UserApplications / kEntryName;
    const std::optional<std::string> userText = ReadText(user);
    if (userText && !IsOwn(*userText)) {
        // Installed for this user, or written by the user: it decides, and ours would replace it.
        if (!Starts(*userText, places.SearchPath)) {
            throw DesktopEntryError(user.string() + " cannot start " +
                                    ExecProgram(EntryValue(*userText, "Exec")));
        }
        return false;
    }
    if (!userText) {
        for (const std::filesystem::path& directory : places.SystemApplications) {
            if (const auto text = ReadText(directory / kEntryName)) {
                if (Starts(*text, places.SearchPath)) {
                    return false;
                }
                break;  // the one the desktop would take; ours, written below, comes first
            }
        }
    }
    if (places.Executable.string().find('\n') != std::string::npos) {
        throw DesktopEntryError("an entry cannot name " + places.Executable.string());
    }
    try {
        std::filesystem::create_directories(places.UserApplications);
        WriteFileAtomically(user, OwnEntry(places.Executable));
    } catch (const std::exception&) {
        throw DesktopEntryError("Unable to write to " + user.string());
    }
    return !userText;
}

void RemoveOwnDesktopEntry(const DesktopEntryPlaces& places) {
    const std::filesystem::path user = places.UserApplications / kEntryName;
    if (const auto text = ReadText(user); text && IsOwn(*text)) {
        std::error_code ignored;
        std::filesystem::remove(user, ignored);
    }
}

}  // namespace snx
