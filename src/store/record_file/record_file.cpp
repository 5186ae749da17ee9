// The public operations of the keyed record file: the slots of open pairs and the status.
#include "store/record_file/record_file.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <memory>
#include <new>

#include "store/record_file/record_btree.h"
#include "store/record_file/record_pair.h"
#include "util/bytes.h"

namespace snx {

using namespace record_files;

namespace {

RecordStatus g_status;
std::vector<std::unique_ptr<Pair>> g_slots;
bool g_started = false;

Pair& PairOf(int handle) {
    if (!g_started || handle < 0 || static_cast<std::size_t>(handle) >= g_slots.size() ||
        !g_slots[static_cast<std::size_t>(handle)]) {
        Fail(kErrNotOpen);
    }
    return *g_slots[static_cast<std::size_t>(handle)];
}

std::size_t KeyIndex(const Pair& f, int key) {
    if (key < 1 || static_cast<std::size_t>(key) > f.Keys.size()) {
        Fail(kErrArgument);
    }
    return static_cast<std::size_t>(key - 1);
}

std::string_view Cut(std::string_view text) {
    return text.substr(0, std::min<std::size_t>(text.size(), kMaxKeyLength));
}

// Not finding a key text is an answer, not a failure: the status says so without the cost of
// unwinding, which a store pays once for every new disc.
template <class Result>
Result NotFound(Result none) {
    g_status = {false, kErrKeyNotFound};
    return none;
}

template <class Result, class Body>
Result Guarded(Result failure, Body body) {
    g_status = {};
    try {
        return body();
    } catch (const Failure& e) {
        g_status = {false, e.Code};
        if (e.Code == kErrIo || e.Code == kErrDamaged) {
            ForgetStampedCaches();
        }
    } catch (const std::bad_alloc&) {
        g_status = {false, kErrNoMemory};
    }
    return failure;
}

}  // namespace

// -------------------------------------------------------------------------------------------------

const RecordStatus& LastRecordStatus() {
    return g_status;
}

void InitRecordFiles(int slots) {
    g_status = {};
    g_slots.clear();
    g_slots.resize(static_cast<std::size_t>(std::max(slots, 0)));
    g_started = true;
}

void ExitRecordFiles() {
    g_status = {};
    g_slots.clear();
    g_started = false;
}

void CreateRecordFiles(const std::filesystem::path& base, int recordLength,
                       std::span<const KeyDescription> keys) {
    Guarded(0, [&] {
        if (recordLength < kDatHeaderBytes) {
            Fail(kErrRecordLength);
        }
        if (keys.size() > static_cast<std::size_t>(kMaxKeys)) {
            Fail(kErrTooManyKeys);
        }
        for (const KeyDescription& d : keys) {
            if (d.Length < 1 || d.Length > kMaxKeyLength) {
                Fail(kErrKeyLength);
            }
        }
        for (const char* ext : {".DAT", ".IX", ".DIA"}) {
            std::error_code ignored;
            std::filesystem::remove(WithExtension(base, ext), ignored);
        }
        std::vector<std::uint8_t> dat(static_cast<std::size_t>(recordLength), 0);
        PutI32(dat, 0, -1);
        PutI32(dat, 12, recordLength);
        PutI32(dat, 16, static_cast<std::int32_t>(keys.size()));
        std::int64_t recordSize = 0;
        for (const KeyDescription& d : keys) {
            recordSize += PageSize(d.Length);
        }
        std::vector<std::uint8_t> ix(static_cast<std::size_t>(recordSize), 0);
        std::int64_t offset = 0;
        for (const KeyDescription& d : keys) {
            const std::span<std::uint8_t> h(ix.data() + offset, kKeyHeaderSize);
            PutI32(h, 0, -1);
            PutI32(h, 12, static_cast<std::int32_t>(PageSize(d.Length)));
            PutU8(h, 20, d.Duplicates ? 1 : 0);
            PutU16(h, 26, kPageEntries);
            offset += PageSize(d.Length);
        }
        RawFile file;
        const std::string name = base.filename().string();
        const std::filesystem::path datPath = base.parent_path() / (name + ".DAT");
        const std::filesystem::path ixPath = base.parent_path() / (name + ".IX");
        if (!file.CreateOrTruncate(datPath) || !file.WriteAt(0, dat)) {
            Fail(kErrIo);
        }
        if (!file.CreateOrTruncate(ixPath) || !file.WriteAt(0, ix)) {
            Fail(kErrIo);
        }
        return 0;
    });
}

namespace {

// What a pair filled alone keeps in memory per file before writing it out: a catalogue of some
// ten thousand discs whole.
constexpr std::int64_t kKeptWriteBytes = 16 << 20;

int OpenInSlot(const std::filesystem::path& base, bool keepWrites) {
    return Guarded(-1, [&] {
        if (!g_started) {
            Fail(kErrNotOpen);
        }
        const auto slot = std::find(g_slots.begin(), g_slots.end(), nullptr);
        if (slot == g_slots.end()) {
            Fail(kErrNoMemory);
        }
        *slot = OpenPair(base, false);
        if (keepWrites) {
            (*slot)->Dat.KeepWrites(kKeptWriteBytes);
            (*slot)->Ix.KeepWrites(kKeptWriteBytes);
        }
        return static_cast<int>(slot - g_slots.begin());
    });
}

}  // namespace

int OpenRecordFiles(const std::filesystem::path& base) {
    return OpenInSlot(base, false);
}

int OpenNewRecordFiles(const std::filesystem::path& base) {
    return OpenInSlot(base, true);
}

void CloseRecordFiles(int handle) {
    Guarded(0, [&] {
        Pair& f = PairOf(handle);
        const bool dat = f.Dat.Flush();
        const bool written = f.Ix.Flush() && dat;
        g_slots[static_cast<std::size_t>(handle)].reset();
        if (!written) {
            Fail(kErrIo);
        }
        return 0;
    });
}

int RecordLength(int handle) {
    return Guarded(0, [&] { return PairOf(handle).L; });
}

int KeyCount(int handle) {
    return Guarded(0, [&] { return static_cast<int>(PairOf(handle).Keys.size()); });
}

bool GetRec(int handle, std::int32_t record, std::span<std::uint8_t> buffer) {
    return Guarded(false, [&] {
        Pair& f = PairOf(handle);
        if (buffer.size() < static_cast<std::size_t>(f.L)) {
            Fail(kErrArgument);
        }
        if (record < 0 || record > f.Highest) {
            Fail(kErrRecordRange);
        }
        if (!f.Dat.ReadAt(RecordOffset(f, record), buffer.first(static_cast<std::size_t>(f.L)))) {
            Fail(kErrDamaged);
        }
        return true;
    });
}

std::int32_t GetRecs(int handle, std::int32_t first, std::span<std::uint8_t> buffer) {
    return Guarded(0, [&] {
        Pair& f = PairOf(handle);
        if (first < 0 || first > f.Highest) {
            Fail(kErrRecordRange);
        }
        const auto length = static_cast<std::size_t>(f.L);
        const std::int32_t count = static_cast<std::int32_t>(std::min<std::int64_t>(
            static_cast<std::int64_t>(buffer.size() / length), f.Highest - first + 1));
        if (count == 0) {
            Fail(kErrArgument);
        }
        if (!f.Dat.ReadAt(RecordOffset(f, first),
                          buffer.first(length * static_cast<std::size_t>(count)))) {
            Fail(kErrDamaged);
        }
        return count;
    });
}

bool PutRec(int handle, std::int32_t record, std::span<const std::uint8_t> data) {
    return Guarded(false, [&] {
        Pair& f = PairOf(handle);
        if (data.size() < static_cast<std::size_t>(f.L)) {
            Fail(kErrArgument);
        }
        if (record == 0) {
            Fail(kErrWriteRecord0);
        }
        if (record < 0 || record > f.Highest) {
            Fail(kErrRecordRange);
        }
        WriteRecordBytes(f, record, data.first(static_cast<std::size_t>(f.L)));
        return true;
    });
}

std::int32_t AddRec(int handle, std::span<const std::uint8_t> data) {
    return Guarded(std::int32_t{0}, [&] {
        Pair& f = PairOf(handle);
        if (data.size() < static_cast<std::size_t>(f.L)) {
            Fail(kErrArgument);
        }
        const auto bytes = data.first(static_cast<std::size_t>(f.L));
        std::int32_t record = 0;
        if (f.FirstDeleted != -1) {
            record = f.FirstDeleted;
            if (record < 1 || record > f.Highest) {
                Fail(kErrBrokenChain);
            }
            std::array<std::uint8_t, 4> link{};
            if (!f.Dat.ReadAt(RecordOffset(f, record), link)) {
                Fail(kErrBrokenChain);
            }
            const std::int32_t next = GetI32(link, 0);
            CheckLink(next, f.Highest);
            WriteRecordBytes(f, record, bytes);
            f.FirstDeleted = next;
            --f.DeletedCount;
        } else {
            if (f.Highest >= std::numeric_limits<std::int32_t>::max() - 1) {
                Fail(kErrDamaged);
            }
            record = f.Highest + 1;
            WriteRecordBytes(f, record, bytes);
            f.Highest = record;
        }
        WriteDatHeader(f);
        return record;
    });
}

bool DeleteRec(int handle, std::int32_t record) {
    return Guarded(false, [&] {
        Pair& f = PairOf(handle);
        if (record < 1 || record > f.Highest) {
            Fail(kErrRecordRange);
        }
        std::array<std::uint8_t, 4> link{};
        PutI32(link, 0, f.FirstDeleted);
        WriteRecordBytes(f, record, link);
        f.FirstDeleted = record;
        ++f.DeletedCount;
        WriteDatHeader(f);
        return true;
    });
}

std::int32_t UsedRecs(int handle) {
    return Guarded(std::int32_t{0}, [&] { return PairOf(handle).Highest + 1; });
}

std::int32_t DeletedRecs(int handle) {
    return Guarded(std::int32_t{0}, [&] { return PairOf(handle).DeletedCount; });
}

std::int32_t UsedKeys(int handle, int key) {
    return Guarded(std::int32_t{0}, [&] {
        Pair& f = PairOf(handle);
        return f.Keys[KeyIndex(f, key)].Count;
    });
}

void ClearKey(int handle, int key) {
    Guarded(0, [&] {
        Pair& f = PairOf(handle);
        ResetPosition(f.Keys[KeyIndex(f, key)]);
        return 0;
    });
}

bool NextKey(int handle, int key, std::int32_t& record, std::string& text) {
    return Guarded(false, [&] {
        Pair& f = PairOf(handle);
        const std::size_t ki = KeyIndex(f, key);
        Key& k = f.Keys[ki];
        bool ok = false;
        switch (k.Pos) {
            case Position::End:
                return NotFound(false);
            case Position::Start:
                ok = FirstEntry(f, ki);
                break;
            case Position::Before:
                ok = Seek(f, ki, {k.Last.View(), k.Last.Rec, k.LastUseRec}, false);
                break;
            case Position::At:
                if (k.PathGeneration == k.Generation && !k.Path.empty()) {
                    ok = Advance(f, ki);
                } else {
                    ok = Seek(f, ki, {k.Last.View(), k.Last.Rec, k.Duplicates}, true);
                }
                break;
        }
        if (!ok) {
            k.Pos = Position::End;
            k.Path.clear();
            return NotFound(false);
        }
        const Entry e = EntryAtPath(f, ki);
        // Keys only ever move forward; anything else is a damaged tree (and would never end).
        if (k.Pos == Position::At) {
            const Target last{k.Last.View(), k.Last.Rec, k.Duplicates};
            if (Compare(e, last) <= 0) {
                ResetPosition(k);
                Fail(kErrDamaged);
            }
        }
        k.Pos = Position::At;
        k.Last = e;
        record = e.Rec;
        text.assign(e.View());
        return true;
    });
}

std::int32_t FindKey(int handle, int key, std::string_view text) {
    return Guarded(std::int32_t{0}, [&] {
        Pair& f = PairOf(handle);
        const std::size_t ki = KeyIndex(f, key);
        Key& k = f.Keys[ki];
        text = Cut(text);
        const Target t{text, std::numeric_limits<std::int32_t>::min(), k.Duplicates};
        ResetPosition(k);
        if (!Seek(f, ki, t, false)) {
            k.Pos = Position::End;
            k.Path.clear();
            return NotFound(std::int32_t{0});
        }
        const Entry e = EntryAtPath(f, ki);
        if (e.View() != text) {
            k.Pos = Position::Before;
            k.Last = e;
            k.LastUseRec = k.Duplicates;
            return NotFound(std::int32_t{0});
        }
        k.Pos = Position::At;
        k.Last = e;
        return e.Rec;
    });
}

bool AddKey(int handle, int key, std::int32_t record, std::string_view text) {
    return Guarded(false, [&] {
        Pair& f = PairOf(handle);
        AddEntry(f, KeyIndex(f, key), record, Cut(text));
        return true;
    });
}

bool DeleteKey(int handle, int key, std::int32_t record, std::string_view text) {
    return Guarded(false, [&] {
        Pair& f = PairOf(handle);
        RemoveEntry(f, KeyIndex(f, key), record, Cut(text));
        return true;
    });
}

}  // namespace snx
