#include "settings/mime_apps.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "util/atomic_file.h"
#include "util/text.h"

namespace snx {

namespace {

constexpr std::string_view kSection = "Default Applications";

struct Line {
    std::string Text;    // without its line ending
    std::string Ending;  // "\n", "\r\n", or "" for a last line without one
};

std::vector<Line> SplitLines(std::string_view text) {
    std::vector<Line> lines;
    while (!text.empty()) {
        const std::size_t newline = text.find('\n');
        if (newline == std::string_view::npos) {
            lines.push_back({std::string(text), {}});
            break;
        }
        std::string_view body = text.substr(0, newline);
        std::string ending = "\n";
        if (!body.empty() && body.back() == '\r') {
            body.remove_suffix(1);
            ending = "\r\n";
        }
        lines.push_back({std::string(body), ending});
        text.remove_prefix(newline + 1);
    }
    return lines;
}

std::string JoinLines(const std::vector<Line>& lines) {
    std::string text;
    for (const Line& line : lines) {
        text += line.Text;
        text += line.Ending;
    }
    return text;
}

// The section a header line opens, or nullopt for any other line.
std::optional<std::string_view> SectionOf(std::string_view line) {
    const std::string_view trimmed = TrimBlanks(line);
    if (trimmed.size() >= 2 && trimmed.front() == '[' && trimmed.back() == ']') {
        return trimmed.substr(1, trimmed.size() - 2);
    }
    return std::nullopt;
}

bool IsEntryOf(std::string_view line, std::string_view key) {
    const std::string_view trimmed = TrimBlanks(line);
    if (trimmed.empty() || trimmed.front() == '#') {
        return false;
    }
    const std::size_t equals = line.find('=');
    return equals != std::string_view::npos && TrimBlanks(line.substr(0, equals)) == key;
}

bool IsEntry(std::string_view line) {
    const std::string_view trimmed = TrimBlanks(line);
    return !trimmed.empty() && trimmed.front() != '#' && line.find('=') != std::string_view::npos;
}

// Where the type sits in the lines: the last "[Default Applications]" header, the last entry of
// that section (or the header), and the type's own last entry.
struct Place {
    std::optional<std::size_t> Header;
    std::size_t LastEntry = 0;
    std::optional<std::size_t> Entry;
};

Place Find(const std::vector<Line>& lines, std::string_view mimeType) {
    Place place;
    bool inSection = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (const auto section = SectionOf(lines[i].Text)) {
            inSection = *section == kSection;
            if (inSection) {
                place.Header = i;
                place.LastEntry = i;
            }
        } else if (inSection && IsEntry(lines[i].Text)) {
            place.LastEntry = i;
            if (IsEntryOf(lines[i].Text, mimeType)) {
                place.Entry = i;
            }
        }
    }
    return place;
}

std::string ReadWholeFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        throw AutoPlayError("Unable to read " + file.string());
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        throw AutoPlayError("Unable to read " + file.string());
    }
    return std::move(text).str();
}

// Puts the text in place, or removes the file when nothing is left in it (a link, which the
// user keeps for a reason, stays and leads to an empty file).
void ReplaceFile(const std::filesystem::path& file, const std::string& text) {
    const std::string failure = "Unable to write to " + file.string();
    std::error_code error;
    if (text.empty() && !std::filesystem::is_symlink(file, error)) {
        std::filesystem::remove(file, error);
        if (error) {
            throw AutoPlayError(failure);
        }
        return;
    }
    std::filesystem::create_directories(file.parent_path(), error);
    if (error) {
        throw AutoPlayError(failure);
    }
    try {
        WriteFileAtomically(file, text);
    } catch (const FileWriteError&) {
        throw AutoPlayError(failure);
    }
}

bool IsOwnEntry(const std::optional<std::string>& entry) {
    return entry && TrimBlanks(*entry) == kOwnDesktopFile;
}

}  // namespace

std::optional<std::string> DefaultApplicationEntry(std::string_view text,
                                                   std::string_view mimeType) {
    const std::vector<Line> lines = SplitLines(text);
    const Place place = Find(lines, mimeType);
    if (!place.Entry) {
        return std::nullopt;
    }
    const std::string& line = lines[*place.Entry].Text;
    return std::string(TrimBlanks(std::string_view(line).substr(line.find('=') + 1)));
}

std::string WithDefaultApplication(std::string_view text, std::string_view mimeType,
                                   const std::optional<std::string>& value) {
    std::vector<Line> lines = SplitLines(text);
    const Place place = Find(lines, mimeType);
    if (place.Entry) {
        Line& line = lines[*place.Entry];
        if (value) {
            // Only the value itself changes, so the blanks around it come back with the old one.
            const std::size_t start = line.Text.find('=') + 1;
            const std::string_view rest = std::string_view(line.Text).substr(start);
            const std::string_view trimmed = TrimBlanks(rest);
            const std::size_t lead = trimmed.empty()
                                         ? rest.size()
                                         : static_cast<std::size_t>(trimmed.data() - rest.data());
            line.Text.replace(start + lead, trimmed.size(), *value);
        } else {
            lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(*place.Entry));
            // The section we appended for our entry alone goes with it.
            if (*place.Header + 1 == lines.size() && place.LastEntry == *place.Entry &&
                *place.Header + 1 == *place.Entry) {
                lines.pop_back();
            }
        }
        return JoinLines(lines);
    }
    if (!value) {
        return std::string(text);
    }
    const std::string entry = std::string(mimeType) + "=" + *value;
    std::size_t after = lines.size();
    if (place.Header) {
        after = place.LastEntry + 1;
    }
    if (after > 0 && lines[after - 1].Ending.empty()) {
        lines[after - 1].Ending = "\n";
    }
    const std::string ending = after > 0 ? lines[after - 1].Ending : std::string("\n");
    std::vector<Line> added;
    if (!place.Header) {
        added.push_back({"[" + std::string(kSection) + "]", ending});
    }
    added.push_back({entry, ending});
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(after), added.begin(), added.end());
    return JoinLines(lines);
}

std::filesystem::path MimeAppsListFile() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/') {
        return std::filesystem::path(config) / "mimeapps.list";
    }
    std::string home;
    if (const char* env = std::getenv("HOME"); env != nullptr && env[0] != '\0') {
        home = env;
    } else if (const passwd* user = ::getpwuid(::getuid()); user != nullptr) {
        home = user->pw_dir;
    }
    return std::filesystem::path(home) / ".config" / "mimeapps.list";
}

void SetAutoPlayHandler(Settings& settings, bool on, const AutoPlayPlaces& places) {
    const std::filesystem::path& mimeAppsFile = places.MimeAppsFile;
    std::error_code error;
    const bool existed = std::filesystem::exists(mimeAppsFile, error);
    const std::string original = existed ? ReadWholeFile(mimeAppsFile) : std::string();
    const std::optional<std::string> current = DefaultApplicationEntry(original, kAudioCdMimeType);

    Settings updated = settings;
    updated.AutoPlayHandler = on;
    std::string text = original;
    bool entryWritten = false;
    if (on) {
        // A registration naming an entry that is missing, or cannot start anything, would do
        // nothing when a disc goes in.
        try {
            entryWritten = EnsureDesktopEntry(places.Entry);
        } catch (const DesktopEntryError& failure) {
            throw AutoPlayError(failure.what());
        }
        // Already ours (settings reset, or a second program's copy): keep what it replaced, so
        // that clearing the box can still give the disc back to that handler.
        if (!IsOwnEntry(current)) {
            updated.PreviousCommandLine = CutText(current.value_or(""), 255);
        }
        text = WithDefaultApplication(original, kAudioCdMimeType, std::string(kOwnDesktopFile));
    } else if (IsOwnEntry(current)) {
        // Another handler chosen since then is the user's choice and stays.
        const std::string& previous = updated.PreviousCommandLine;
        text = WithDefaultApplication(
            original, kAudioCdMimeType,
            previous.empty() ? std::nullopt : std::optional<std::string>(previous));
    }

    const bool changed = text != original;
    try {
        if (changed) {
            ReplaceFile(mimeAppsFile, text);
        }
        try {
            WriteSettings(updated);
        } catch (const SettingsWriteError& failure) {
            if (changed) {
                try {
                    ReplaceFile(mimeAppsFile, original);
                } catch (const AutoPlayError&) {
                    // The settings error below is the one to report.
                }
            }
            throw AutoPlayError(failure.what());
        }
    } catch (const AutoPlayError&) {
        if (entryWritten) {
            RemoveOwnDesktopEntry(places.Entry);
        }
        throw;
    }
    if (!on) {
        RemoveOwnDesktopEntry(places.Entry);
    }
    settings = std::move(updated);
}

}  // namespace snx
