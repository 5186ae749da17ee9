// The keyed record file: a data file of fixed-length records (base + ".DAT")
// with a chain of deleted records, and an index file (base + ".IX") holding up to 100 keys,
// each a B-tree of (key text, record number) entries with 62 entries per page.
//
// DATA FILE (little-endian), L = record length; record 0 is the header:
// 0   4  first deleted record (-1 = none)     12  4  record length L
// 4   4  number of deleted records            16  4  number of keys
// 8   4  highest record number allocated      20  .. zero to L
// record n (n >= 1) at n * L; its first 4 bytes are 0 in use, the chain link when deleted.
//
// INDEX FILE: index records, each one page place per key in key order, a place being
// 6 + 62 * (key length + 9) bytes. Page p of key k is at p * (index record size) + the key's
// offset. Index record 0 holds, at each key's offset, its 28-byte header:
// 0   4  first free page (-1 = none)          16  4  root page (0 = empty key)
// 4   4  number of free pages                 20  1  1 when duplicates are allowed; 21: 0
// 8   4  highest page number allocated        22  4  number of entries in the key
// 12  4  page size                            26  2  entries per page (62; 0 is read as 62)
// PAGE: 0 count (16-bit), 2 first child page (32-bit), 6.. entries of record number (4),
// child page (4), key text (length byte + key length bytes). Unused entry places and the bytes
// after a text are written as zero; a freed page is zero but for its chain link.
//
// Every operation sets the status (LastRecordStatus): Ok, or not Ok with an error code. Every
// number read from the files (counts, page and record numbers, text lengths) is checked before
// use; a damaged file gives kErrDamaged (or kErrBrokenChain), never a crash or an endless loop.
// Decoded pages are kept in a cache per open pair (page_cache.h); every change is written through
// to the file before the operation returns (for a pair opened by OpenNewRecordFiles: before it is
// closed). A pair must not be open in two slots while either changes it (each slot caches its own
// headers and pages).
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace snx {

// The error codes callers show.
constexpr int kErrRecordLength = 10020;  // record length below 21
constexpr int kErrTooManyKeys = 10050;   // more than 100 keys
constexpr int kErrKeyLength = 10055;     // a key length of 0 or above 30
constexpr int kErrNoMemory = 10090;      // no memory (or no free slot) for the file's description
constexpr int kErrKeyTooLong = 10125;    // key text longer than the key
constexpr int kErrWriteRecord0 = 10130;  // write to record 0
constexpr int kErrRecordRange = 10135;   // record number out of range
constexpr int kErrBrokenChain = 10170;   // broken chain of deleted records or free pages
constexpr int kErrKeyNotFound = 10200;   // key text not found (also: NextKey past the last entry)
constexpr int kErrDeleteKey = 10220;     // key entry to delete not found
constexpr int kErrAddKey = 10230;        // key entry not added (already there)
constexpr int kErrNotOpen = 10445;       // no open record file (bad handle, layer not started)
// Codes for cases beyond those (damage, I/O, bad arguments):
constexpr int kErrArgument = 10060;  // key number outside 1..keys, or a buffer shorter than L
constexpr int kErrDamaged = 10400;   // a number or length read from the files is out of range
constexpr int kErrIo = 10410;        // a file cannot be opened, created, read or written

constexpr int kMaxKeys = 100;
constexpr int kMaxKeyLength = 30;
constexpr int kPageEntries = 62;
constexpr int kKeyHeaderSize = 28;

struct RecordStatus {
    bool Ok = true;
    int Error = 0;
};

// The status set by the last operation of the layer.
const RecordStatus& LastRecordStatus();

struct KeyDescription {
    int Length = 0;           // 1 to 30
    bool Duplicates = false;  // equal texts allowed (then ordered by record number)
};

// The size in bytes of a page of a key of this length: 6 + 62 * (length + 9).
constexpr std::int64_t PageSize(int keyLength) {
    return 6 + static_cast<std::int64_t>(kPageEntries) * (keyLength + 9);
}

// Starts the layer with this many slots for open pairs (8 in this program); ends it, closing
// every open pair.
void InitRecordFiles(int slots);
void ExitRecordFiles();

// Removes base + ".DAT", ".IX" and ".DIA" (names matched without regard to case), then writes a
// new empty pair. Errors: 10020, 10050, 10055, kErrIo.
void CreateRecordFiles(const std::filesystem::path& base, int recordLength,
                       std::span<const KeyDescription> keys);
// Opens the pair; its handle (0 or more), -1 on failure (10445 when the layer is not started,
// 10090 when every slot is taken, kErrIo, kErrDamaged for headers that make no sense).
int OpenRecordFiles(const std::filesystem::path& base);
// Opens a pair no one else reads until it is closed (a new pair being filled, as the rebuild
// fills its own): its writes are kept in memory and written out in large pieces by
// CloseRecordFiles. Errors as OpenRecordFiles.
int OpenNewRecordFiles(const std::filesystem::path& base);
// Closes the pair; kErrIo when writes kept for it could not all be written out.
void CloseRecordFiles(int handle);

// The record length L and number of keys of an open pair (0 for a bad handle).
int RecordLength(int handle);
int KeyCount(int handle);

// Reads record number (0 to highest) into buffer (at least L bytes). Error 10135 outside.
bool GetRec(int handle, std::int32_t record, std::span<std::uint8_t> buffer);
// Reads as many whole records as buffer holds, from record number first on, stopping at the
// highest: the number read, 0 on failure (10135 outside, kErrArgument for a buffer shorter
// than one record). For walks over the whole file.
std::int32_t GetRecs(int handle, std::int32_t first, std::span<std::uint8_t> buffer);
// Overwrites record 1..highest with the first L bytes of data (10130 for 0, 10135 outside).
bool PutRec(int handle, std::int32_t record, std::span<const std::uint8_t> data);
// Writes data as a new record: the first deleted one, else highest + 1. The record number, 0 on
// failure (10170 for a broken chain).
std::int32_t AddRec(int handle, std::span<const std::uint8_t> data);
// Chains record 1..highest as the first deleted record (10135 outside).
bool DeleteRec(int handle, std::int32_t record);
// Highest record number allocated + 1.
std::int32_t UsedRecs(int handle);
// Number of records on the chain of deleted records.
std::int32_t DeletedRecs(int handle);
// Number of entries in key (1-based key number).
std::int32_t UsedKeys(int handle, int key);

// Puts the key's position before its first entry.
void ClearKey(int handle, int key);
// The next entry in key order after the position, which moves to it. False (10200) past the
// last entry.
bool NextKey(int handle, int key, std::int32_t& record, std::string& text);
// The record number of the first entry whose text equals text (cut to 30) exactly, and moves
// the position to it; 0 (10200) when there is none, the position then lying before the first
// entry that sorts after text.
std::int32_t FindKey(int handle, int key, std::string_view text);
// Adds (text, record); 10125 when text (cut to 30) is longer than the key, 10230 when the entry
// (in a key without duplicates: the text) is there already.
bool AddKey(int handle, int key, std::int32_t record, std::string_view text);
// Removes (text, record) (in a key without duplicates: the entry with that text); 10220 when it
// is not there.
bool DeleteKey(int handle, int key, std::int32_t record, std::string_view text);

// Reads the pair at base (without the layer's slots, never writing) and lists its problems:
// per key the order and duplicate rules, the entry count against the header, every non-root
// page holding 31 to 62 entries, all leaves at one depth, every page reached once and free pages
// only on the free chain; the chain of deleted records. Empty when the pair is sound.
std::vector<std::string> CheckRecordFiles(const std::filesystem::path& base);

}  // namespace snx
