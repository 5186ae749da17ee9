// The four reference lists of known names (composers, artists, record labels, music types) that
// feed the disc editor's drop-down lists: one entry per line in a text file of the data directory.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace snx {

enum class ReferenceListKind : char {
    Composers = 'C',
    Artists = 'A',
    Labels = 'L',
    Types = 'T',
};

struct ReferenceListInfo {
    ReferenceListKind Kind;
    const char* FileName;
    std::size_t EntryWidth;  // in the editors
};

const ReferenceListInfo& InfoOf(ReferenceListKind kind);
// The list's file in the data directory, in whatever letter case it exists there.
std::filesystem::path ReferenceListPath(const std::filesystem::path& dataDirectory,
                                        ReferenceListKind kind);
// The kind for the letters C, A, L and T; throws std::invalid_argument for any other.
ReferenceListKind ReferenceListKindFromLetter(char letter);

// A list kept sorted without regard to letter case; equal entries keep the order they came in.
class ReferenceList {
  public:
    // Adds the entry at its sorted place (after any that compare equal); returns its index.
    std::size_t Add(std::string entry);
    void Clear() { entries_.clear(); }
    void RemoveAt(std::size_t index);

    const std::vector<std::string>& Entries() const { return entries_; }

    // The index of the first entry equal to name ignoring the case of a to z; the walk stops at
    // the first entry that sorts after name. -1 when not found.
    int Find(std::string_view name) const;

    // Replaces the entries with the lines of the file, creating it empty when it is missing.
    // cutTo255 cuts each line to 255 bytes (the list editor's rule). False when the file can
    // neither be read nor created.
    bool Load(const std::filesystem::path& file, bool cutTo255);

    // Writes every entry, each ended by CR LF, replacing the file whole. On failure shows
    // "Cannot save " + displayName + " file!" and returns false; the old file stays intact.
    bool Save(const std::filesystem::path& file, std::string_view displayName) const;

  private:
    std::vector<std::string> entries_;
};

// Case-blind order of the lists: letters a to z compare as A to Z, then bytes.
bool ReferenceLess(std::string_view a, std::string_view b);

}  // namespace snx
