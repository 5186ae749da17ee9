#include "archive/archive_names.h"

#include <sys/wait.h>

#include <cstdio>
#include <string_view>

#include "util/text.h"

namespace snx {

namespace {

constexpr std::size_t kMaxNameBytes = 200;
constexpr std::string_view kRefused = "/\\:*?\"<>|";

std::string MusicDirectoryOfUser() {
    FILE* pipe = ::popen("xdg-user-dir MUSIC 2>/dev/null", "r");
    if (pipe == nullptr) {
        return {};
    }
    std::string text;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        text += buffer;
    }
    const int status = ::pclose(pipe);
    if (status != 0) {
        return {};
    }
    return std::string(TrimBlanks(text.substr(0, text.find('\n'))));
}

}  // namespace

std::string SafeFileName(std::string_view utf8) {
    std::string name;
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        name +=
            (byte < 0x20 || byte == 0x7F || kRefused.find(c) != std::string_view::npos) ? '_' : c;
    }
    name = CutText(name, kMaxNameBytes);
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) {
        name.pop_back();
    }
    while (!name.empty() && name.front() == ' ') {
        name.erase(0, 1);
    }
    return name.empty() ? "_" : name;
}

std::string DiscFolderName(std::string_view artist, std::string_view name,
                           std::string_view identity) {
    const std::string_view a = TrimBlanks(artist);
    const std::string_view n = TrimBlanks(name);
    if (a.empty() && n.empty()) {
        return SafeFileName(identity);
    }
    if (a.empty() || n.empty()) {
        return SafeFileName(a.empty() ? n : a);
    }
    return SafeFileName(std::string(a) + " - " + std::string(n));
}

std::string TrackFileName(int number, std::string_view title) {
    char prefix[8];
    std::snprintf(prefix, sizeof prefix, "%02d", number);
    const std::string_view t = TrimBlanks(title);
    const std::string shown = t.empty() ? "Track " + std::string(prefix) : std::string(t);
    // Room for the prefix and the extension within the name's limit.
    return std::string(prefix) + " - " + SafeFileName(CutText(shown, kMaxNameBytes - 12)) + ".flac";
}

std::filesystem::path DefaultArchiveFolder(const std::filesystem::path& home) {
    const std::string music = MusicDirectoryOfUser();
    // xdg-user-dir answers the home directory itself when no music directory is set.
    const std::filesystem::path base = music.empty() || std::filesystem::path(music) == home
                                           ? home / "Music"
                                           : std::filesystem::path(music);
    return base / "Sonatrix";
}

std::filesystem::path ArchiveFolderOf(std::string_view setting, const std::filesystem::path& home) {
    return setting.empty() ? DefaultArchiveFolder(home) : std::filesystem::path(setting);
}

}  // namespace snx
