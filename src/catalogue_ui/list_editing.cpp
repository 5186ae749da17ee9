#include "catalogue_ui/list_editing.h"

#include <stdexcept>

#include "settings/file_names.h"

namespace snx {

namespace {

constexpr ListEditorTexts kComposers{"Composers", "Known composers", "Composer's name", 100, 100};
constexpr ListEditorTexts kArtists{"Artists", "Known artists", "Artists's name", 100, 100};
constexpr ListEditorTexts kLabels{"Record labels", "Known record labels", "Record label's name", 50,
                                  50};
constexpr ListEditorTexts kTypes{"Music types", "Known music types", "Music type's name", 30, 50};

}  // namespace

const ListEditorTexts& ListEditorTextsOf(ReferenceListKind kind) {
    switch (kind) {
        case ReferenceListKind::Composers:
            return kComposers;
        case ReferenceListKind::Artists:
            return kArtists;
        case ReferenceListKind::Labels:
            return kLabels;
        case ReferenceListKind::Types:
            return kTypes;
    }
    throw std::invalid_argument("unknown reference list");
}

std::filesystem::path ListEditorPath(const std::filesystem::path& dataDirectory,
                                     ReferenceListKind kind) {
    return ResolveFileName(dataDirectory, InfoOf(kind).FileName);
}

const char* DiscEditorListName(ReferenceListKind kind) {
    switch (kind) {
        case ReferenceListKind::Composers:
            return "Composers";
        case ReferenceListKind::Artists:
            return "Artists";
        case ReferenceListKind::Labels:
            return "Labels";
        case ReferenceListKind::Types:
            return "Category";
    }
    throw std::invalid_argument("unknown reference list");
}

Completion CompleteFromList(const ReferenceList& list, std::string_view typed) {
    const std::size_t n = typed.size();
    if (n > 0) {
        for (const std::string& entry : list.Entries()) {
            const std::string_view start = std::string_view(entry).substr(0, n);
            if (ReferenceLess(typed, start)) {
                break;
            }
            if (!ReferenceLess(start, typed)) {
                return {entry, n};
            }
        }
    }
    return {std::string(typed), n};
}

bool SaveNewEntry(ReferenceList& list, std::string_view name, const std::filesystem::path& file,
                  ReferenceListKind kind) {
    if (name.empty() || list.Find(name) >= 0) {
        return false;
    }
    list.Add(std::string(name));
    list.Save(file, DiscEditorListName(kind));
    return true;
}

}  // namespace snx
