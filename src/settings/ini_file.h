// An INI document held as its lines, so that saving keeps comments, blank lines and every key
// the program does not know, in place. Section and key names match without regard to case.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace snx {

class IniFile {
  public:
    // Any bytes are accepted: lines that are neither sections, keys nor comments are kept as they
    // stand and otherwise ignored.
    static IniFile Parse(std::string_view text);
    // A missing file gives an empty document; nullopt when it exists but cannot be read.
    static std::optional<IniFile> Load(const std::filesystem::path& path);

    // The value with blanks trimmed at both ends, from the first matching key of the first
    // matching section; nullopt when absent.
    std::optional<std::string> Get(std::string_view section, std::string_view key) const;
    // Replaces the value in place, else appends the key to its section, else appends the section.
    // Line breaks in the value end it, since they could not be read back.
    void Set(std::string_view section, std::string_view key, std::string_view value);

    std::string ToText() const;

  private:
    enum class LineKind { Other, Section, Key };
    struct Line {
        LineKind Kind = LineKind::Other;
        std::string Text;  // the whole line for Other and Section; the key name for Key
        std::string Value;
    };

    std::optional<std::size_t> FindSection(std::string_view section) const;
    // Index one past the last key or section line of the section starting at sectionLine.
    std::size_t SectionEnd(std::size_t sectionLine) const;
    static std::string_view SectionName(const Line& line);

    std::vector<Line> lines_;
};

}  // namespace snx
