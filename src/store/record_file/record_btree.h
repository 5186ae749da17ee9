// The B-tree of each key of the keyed record file: search, insertion with page splits, removal
// with redistribution and joins, and the walk of a key's position. Internal to the record-file
// layer.
#pragma once

#include <cstdint>
#include <string_view>

#include "store/record_file/record_pair.h"

namespace snx::record_files {

void AddEntry(Pair& f, std::size_t ki, std::int32_t record, std::string_view text);
void RemoveEntry(Pair& f, std::size_t ki, std::int32_t record, std::string_view text);
// Moves the key's position to the first entry not below the target (above it, with strict);
// false when there is none.
bool Seek(Pair& f, std::size_t ki, const Target& t, bool strict);
// The entry at the key's position.
Entry EntryAtPath(Pair& f, std::size_t ki);
// Moves the key's position to the next entry; false past the last.
bool Advance(Pair& f, std::size_t ki);
// Moves the key's position to its first entry; false for an empty key.
bool FirstEntry(Pair& f, std::size_t ki);
// Puts the key's position before its first entry.
void ResetPosition(Key& k);

}  // namespace snx::record_files
