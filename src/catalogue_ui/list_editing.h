// The editing rules of the reference lists, shared by the list editor and the disc editor: the
// list editor's texts and widths, type-ahead completion, and saving names typed in the editor.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include "catalogue/reference_list.h"

namespace snx {

struct ListEditorTexts {
    const char* Caption;    // the window caption, also the name in "Cannot save ... file!"
    const char* TypeLabel;  // above the list
    const char* ItemGroup;  // the item dialog's group caption
    std::size_t AddWidth;   // entry width when adding
    std::size_t EditWidth;  // entry width when editing
};

const ListEditorTexts& ListEditorTextsOf(ReferenceListKind kind);

// The list editor's file: the existing one of any case, else "Type.fle" for music types and the
// list's own name for the others.
std::filesystem::path ListEditorPath(const std::filesystem::path& dataDirectory,
                                     ReferenceListKind kind);

// The disc editor's name of each list in "Cannot save ... file!".
const char* DiscEditorListName(ReferenceListKind kind);

struct Completion {
    std::string Text;        // what the field shows afterwards
    std::size_t SelectFrom;  // bytes of Text before the selected tail; == Text.size() for none
};

// Completes typed from the sorted entries: the first entry whose first bytes equal typed, letters
// a to z matched without case, gives the whole entry; the walk stops at the first entry whose
// start sorts after typed. typed itself when nothing matches or typed is empty.
Completion CompleteFromList(const ReferenceList& list, std::string_view typed);

// Adds name to list when it is not empty and not already there (case-blind), then writes the
// whole list to file; a failed write shows "Cannot save " + DiscEditorListName + " file!".
// True when the name was added.
bool SaveNewEntry(ReferenceList& list, std::string_view name, const std::filesystem::path& file,
                  ReferenceListKind kind);

}  // namespace snx
