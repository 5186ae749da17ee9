#include "settings/ini_file.h"

#include <fstream>
#include <sstream>

#include "util/text.h"

namespace snx {

IniFile IniFile::Parse(std::string_view text) {
    IniFile ini;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view raw = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!raw.empty() && raw.back() == '\r') {
            raw.remove_suffix(1);
        }
        Line line;
        const std::string_view trimmed = TrimBlanks(raw);
        const std::size_t equals = raw.find('=');
        if (!trimmed.empty() && trimmed.front() == '[' &&
            trimmed.find(']') != std::string_view::npos) {
            line.Kind = LineKind::Section;
            line.Text = std::string(raw);
        } else if (!trimmed.empty() && trimmed.front() != ';' && trimmed.front() != '#' &&
                   equals != std::string_view::npos) {
            line.Kind = LineKind::Key;
            line.Text = std::string(TrimBlanks(raw.substr(0, equals)));
            line.Value = std::string(TrimBlanks(raw.substr(equals + 1)));
        } else {
            line.Text = std::string(raw);
        }
        ini.lines_.push_back(std::move(line));
    }
    return ini;
}

std::optional<IniFile> IniFile::Load(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        return error ? std::nullopt : std::optional<IniFile>(IniFile());
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::ostringstream contents;
    contents << in.rdbuf();
    if (in.bad()) {
        return std::nullopt;
    }
    return Parse(contents.str());
}

std::string_view IniFile::SectionName(const Line& line) {
    std::string_view name = TrimBlanks(line.Text);
    name.remove_prefix(1);
    return TrimBlanks(name.substr(0, name.find(']')));
}

std::optional<std::size_t> IniFile::FindSection(std::string_view section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].Kind == LineKind::Section &&
            EqualsIgnoreCase(SectionName(lines_[i]), section)) {
            return i;
        }
    }
    return std::nullopt;
}

std::size_t IniFile::SectionEnd(std::size_t sectionLine) const {
    std::size_t end = sectionLine + 1;
    for (std::size_t i = sectionLine + 1; i < lines_.size(); ++i) {
        if (lines_[i].Kind == LineKind::Section) {
            break;
        }
        if (lines_[i].Kind == LineKind::Key) {
            end = i + 1;
        }
    }
    return end;
}

std::optional<std::string> IniFile::Get(std::string_view section, std::string_view key) const {
    const auto start = FindSection(section);
    if (!start) {
        return std::nullopt;
    }
    for (std::size_t i = *start + 1; i < lines_.size() && lines_[i].Kind != LineKind::Section;
         ++i) {
        if (lines_[i].Kind == LineKind::Key && EqualsIgnoreCase(lines_[i].Text, key)) {
            return lines_[i].Value;
        }
    }
    return std::nullopt;
}

void IniFile::Set(std::string_view section, std::string_view key, std::string_view value) {
    value = value.substr(0, value.find_first_of("\r\n"));
    Line entry{LineKind::Key, std::string(key), std::string(value)};
    const auto start = FindSection(section);
    if (!start) {
        lines_.push_back({LineKind::Section, "[" + std::string(section) + "]", {}});
        lines_.push_back(std::move(entry));
        return;
    }
    for (std::size_t i = *start + 1; i < lines_.size() && lines_[i].Kind != LineKind::Section;
         ++i) {
        if (lines_[i].Kind == LineKind::Key && EqualsIgnoreCase(lines_[i].Text, key)) {
            lines_[i].Value = std::move(entry.Value);
            return;
        }
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(SectionEnd(*start)),
                  std::move(entry));
}

std::string IniFile::ToText() const {
    std::string text;
    for (const Line& line : lines_) {
        text += line.Text;
        if (line.Kind == LineKind::Key) {
            text += '=';
            text += line.Value;
        }
        text += '\n';
    }
    return text;
}

}  // namespace snx
