// "disc.JNL": the catalogue's rollback journal and lock file. While a change is committed it
// holds the original bytes of every region about to be overwritten in "disc.DAT", "disc.IX" and
// "disc.VLF" and their original lengths, so that a crash at any instant can be undone. Between
// commits it is only its header. Every program using the catalogue locks this file (flock):
// shared to read, exclusive to change.
//
// FILE (little-endian)
// OFFSET  SIZE  CONTENT
// 0       8     "SNXJNL1" and a zero byte
// 8       8     generation: changed by every commit, so others know to drop what they cached
// 16      ..    body, present only while a commit is under way
//
// BODY
// 0       4     "JBDY"
// 4       4     number of entries
// 8       8     body length in bytes, this header and the check included
// 16      24    original lengths of disc.DAT, disc.IX and disc.VLF (-1: not changed)
// 40      ..    entries: 1 file (0 DAT, 1 IX, 2 VLF), 8 offset, 4 length, then the bytes
// end-4   4     CRC-32 of the body before it
//
// A body that is short, whose length or check does not hold, was torn by a crash while it was
// written; the files were not touched yet then, so it is ignored.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "settings/file_names.h"

namespace snx {

constexpr std::int64_t kJournalHeaderBytes = 16;
constexpr std::int64_t kJournalBodyHeaderBytes = 40;
constexpr std::int64_t kJournalEntryHeaderBytes = 13;
constexpr std::size_t kJournalFiles = 3;
constexpr std::array<std::string_view, kJournalFiles> kJournalFileNames = {
    data_file::kDiscRecords, data_file::kDiscIndex, data_file::kDiscVlf};
constexpr std::string_view kRollbackJournalName = data_file::kJournal;

struct JournalEntry {
    std::uint8_t File = 0;
    std::int64_t Offset = 0;
    std::vector<std::uint8_t> Bytes;
};

struct JournalBody {
    std::array<std::int64_t, kJournalFiles> OriginalSizes{-1, -1, -1};
    std::vector<JournalEntry> Entries;
};

std::vector<std::uint8_t> EncodeJournalHeader(std::uint64_t generation);
// The generation of a header; nullopt when the bytes are not one.
std::optional<std::uint64_t> DecodeJournalHeader(std::span<const std::uint8_t> bytes);

// The original bytes of one region, handed over where they lie.
struct JournalRegion {
    std::uint8_t File = 0;
    std::int64_t Offset = 0;
    std::span<const std::uint8_t> Bytes;
};

// A body as the pieces to write one after another: the body's own bytes (headers, check) are in
// Heads, the regions' bytes stay where they lie, so a large body is never copied whole.
struct JournalPieces {
    std::vector<std::uint8_t> Heads;
    std::vector<std::span<const std::uint8_t>> Pieces;
};

// The body's entries as regions, pointing into it.
std::vector<JournalRegion> RegionsOf(const JournalBody& body);
JournalPieces LayOutJournalBody(const std::array<std::int64_t, kJournalFiles>& originalSizes,
                                std::span<const JournalRegion> regions);
std::vector<std::uint8_t> EncodeJournalBody(const JournalBody& body);
// The body at the start of bytes; nullopt when it is torn or damaged.
std::optional<JournalBody> DecodeJournalBody(std::span<const std::uint8_t> bytes);

// Puts the files of dataDirectory back as a body recorded them, flushing each: the original
// bytes rewritten, each file cut to its original length, one that was new (length 0) removed.
// Safe to repeat after a crash part-way. False with a reason when a file cannot be restored.
bool RollBackJournal(const std::filesystem::path& dataDirectory,
                     const std::array<std::int64_t, kJournalFiles>& originalSizes,
                     std::span<const JournalRegion> regions, std::string& reason);

// Flushes a file's data (fdatasync) or a directory's entries (fsync); false on error.
bool FlushFile(int fd);
bool FlushDirectory(const std::filesystem::path& directory);

}  // namespace snx
