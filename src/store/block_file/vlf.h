// TVlf: the variable-length block file. One file keeps blocks of text, string
// tables and copies of whole files, each known by its address (the byte offset of its header).
//
// FILE (little-endian)
// OFFSET  SIZE  CONTENT
// 0       2     signature 0xF5 0xF4
// 2       2     16-bit 2
// 4       2     16-bit 6
// 6       ..    NUL-terminated format text (readers ignore it); the rest of 0..1019 is zero
// 1020    4     free-space hint: 32-bit address where the search for free space starts (0 = none)
// 1024    ..    blocks, one after another, to the end of the file
//
// BLOCK
// 0       1     state: '#' in use, '*' free, '~' absorbed into the block before it
// 1       1     check byte: 0x23 normally, 0x7E for absorbed headers
// 2       2     type, 16-bit signed: 0 text, 3 string table, 1025 bitmap, 1026 sample, -1 free
// 4       4     data length, 32-bit signed, excluding this header
// 8       len   data
//
// Every read is checked against the file: a block whose length runs past the end of the file, a
// negative length or an address below 1024 makes the operation fail rather than read or write
// outside it. Nothing is cached between operations; every write goes straight to the file, but
// for a file filled alone (KeepWritesUntilClose), whose writes reach it by Close.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <limits>
#include <span>
#include <string>
#include <vector>

#include "store/block_file/free_space_map.h"
#include "store/block_file/string_grid.h"
#include "store/block_file/string_table_block.h"
#include "store/raw_file.h"

namespace snx {

class TVlf {
  public:
    enum OpenMode { OpenRead = 0, OpenWrite = 1, OpenReadWrite = 2 };
    enum ShareMode { ShareCompat = 0, Exclusive = 1, DenyWrite = 2, DenyRead = 3, DenyNone = 4 };

    static constexpr std::int32_t kFirstBlock = 1024;
    static constexpr std::int64_t kHintOffset = 1020;
    static constexpr std::int32_t kHeaderSize = 8;
    static constexpr std::uint8_t kInUse = '#';
    static constexpr std::uint8_t kFree = '*';
    static constexpr std::uint8_t kAbsorbed = '~';
    static constexpr std::uint8_t kCheck = 0x23;
    static constexpr std::uint8_t kAbsorbedCheck = 0x7E;
    static constexpr std::int16_t kTypeText = 0;
    static constexpr std::int16_t kTypeGrid = 3;
    static constexpr std::int16_t kTypeBitmap = 1025;
    static constexpr std::int16_t kTypeSample = 1026;
    static constexpr std::int16_t kTypeFree = -1;
    static constexpr std::int32_t kGridPropertyArea = string_table::kPropertyArea;
    static constexpr const char* kFormatText = "Sonatrix variable-length block file, format 2.6";

    struct BlockHeader {
        std::uint8_t State = 0;
        std::uint8_t Check = 0;
        std::int16_t Type = 0;
        std::int32_t Length = 0;
    };

    using Notification = std::function<void(TVlf& sender)>;
    using Progress = std::function<void(TVlf& sender, std::int64_t total, std::int64_t done)>;

    TVlf() = default;
    ~TVlf();
    TVlf(const TVlf&) = delete;
    TVlf& operator=(const TVlf&) = delete;

    // Opens name (FileName when empty): calls BeforeFileOpen, opens with FileOpenMode, creates
    // the file when it does not exist, and initialises an empty file with the 1024-byte header.
    // False with no name, when neither works, and for a non-empty file that is not of this
    // format (first bytes not 0xF5 0xF4, or shorter than 1024 bytes): such a file is never
    // written. An already open file is closed first.
    bool Open(const std::filesystem::path& name = {});
    // Calls BeforeFileClose and closes: 0; -1 when not open, or when writes kept by
    // KeepWritesUntilClose could not all be written (the file is then incomplete).
    int Close();
    bool IsOpen() const { return file_.IsOpen(); }

    // Stores length bytes of data as a block of the given type at address (0 = a new block),
    // reusing, splitting or moving the block as needed. The address of the block
    // that now holds the data; 0 on failure (closed, data shorter than length, write error).
    std::int32_t WriteBlock(std::int32_t address, std::span<const std::uint8_t> data,
                            std::int16_t type, std::int32_t length);
    std::int32_t WriteBlock(std::int32_t address, std::span<const std::uint8_t> data,
                            std::int16_t type) {
        return WriteBlock(address, data, type, static_cast<std::int32_t>(data.size()));
    }
    // Header and data at the end of the file; the address, 0 on failure.
    std::int32_t AppendBlock(std::span<const std::uint8_t> data, std::int32_t length,
                             std::int16_t type);
    // Reads length bytes (0 = the block's own length) of the block's data into buffer. False
    // below 1024, when closed, when the buffer is too small or fewer bytes could be read.
    bool ReadBlock(std::int32_t address, std::span<std::uint8_t> buffer, std::int32_t length = 0);
    // The whole data of the block at address; false as ReadBlock.
    bool ReadBlock(std::int32_t address, std::vector<std::uint8_t>& data);
    // The data length of an in-use block, 0 otherwise (free, absorbed, unreadable, closed).
    std::int32_t BlockLength(std::int32_t address);
    // The block's type, -1 when its header cannot be read.
    std::int16_t BlockType(std::int32_t address);
    // Marks the block free ('*', type -1) and merges the free blocks after it: 1, or 0 when the
    // address is below 1024, the header is unreadable or its length runs past the file.
    int DeleteBlock(std::int32_t address);
    // Address of a free block that now fits length exactly (a larger one is split), or 0.
    // Only with Recycle on; searches from the free-space hint.
    std::int32_t FindFree(std::int32_t length);
    // Lets the block at address absorb the free blocks that follow it; lowers the hint to it.
    void MergeFree(std::int32_t address);

    // The text box's text and a NUL as a type 0 block through WriteBlock; the new address.
    std::int32_t StoreText(std::int32_t address, const TextBox& text);
    // Only for a type 0 block: sets the box's text (up to its NUL). False otherwise, leaving
    // the box unchanged.
    bool LoadText(std::int32_t address, TextBox& text);
    // The grid as a string-table block (type 3); cells over 255 bytes are cut to 255. The new
    // address, 0 on failure.
    std::int32_t StoreGrid(std::int32_t address, const StringGrid& grid);
    // Only for an in-use type 3 block: sets the grid's size, properties, column widths and
    // cells (column by column until the end of the block; cells not in the block are emptied).
    // False, leaving the grid unchanged, for another block or a damaged one (counts that the
    // block's length cannot hold).
    bool LoadGrid(std::int32_t address, StringGrid& grid);
    // Calls cell for each cell of an in-use type 3 block that is not empty, column by column,
    // without building a grid; false as LoadGrid. For searches over many tables.
    bool VisitGridCells(std::int32_t address,
                        const std::function<void(std::int32_t column, std::int32_t row,
                                                 std::string_view text)>& cell);
    // Visits the cells that are not empty of every in-use string table in file order, reading the
    // file in large sequential pieces rather than block by block. False when a header does not fit
    // the file: the walk stops there, and blocks after it are not visited. Blocks starting after
    // upTo are neither visited nor read (a caller after a few tables need not read the samples
    // beyond).
    bool VisitAllGridCells(const std::function<void(std::int32_t address, std::int32_t column,
                                                    std::int32_t row, std::string_view text)>& cell,
                           std::int64_t upTo = std::numeric_limits<std::int64_t>::max());
    // Copies a whole file into a block of the given type (deleting the block at a non-zero
    // address first), in BufferSize chunks; the new address, 0 on failure.
    std::int32_t StoreFile(std::int32_t address, const std::filesystem::path& fileName,
                           std::int16_t type);
    // Copies the block's data to fileName (mode 1 and an existing file: appended; otherwise the
    // file is created or emptied) in chunks of min(BufferSize, length). True when the copy ran.
    bool ExtractFile(std::int32_t address, const std::filesystem::path& fileName, int mode);
    // Copies the data of source's block at address into a new block of this file of the given
    // type, in large pieces (no chunks, no progress calls): for moving pictures and samples from
    // one block file to another. The new address; 0 when either file is closed, the block does
    // not fit the source file, or a read or write fails.
    std::int32_t CopyBlockFrom(TVlf& source, std::int32_t address, std::int16_t type);

    // The grid's block length: 440 + 2 + 2 per column + each cell's length (at most 255) + 1.
    static std::int32_t GridBlockLength(const StringGrid& grid);
    // The chunk size used for copies: BufferSize, or 4096 when below 1024.
    std::int32_t ChunkSize() const { return BufferSize < 1024 ? 4096 : BufferSize; }
    // The free-space hint stored in the file, 0 when closed or unreadable.
    std::int32_t FreeHint();

    std::filesystem::path FileName;
    OpenMode FileOpenMode = OpenReadWrite;
    ShareMode FileShareMode = ShareCompat;
    bool Recycle = true;
    std::uint16_t BufferSize = 4096;
    // For a new file no one else reads until it is closed (the rebuild's): Open has its writes
    // kept in memory and written out in large pieces, and Close reports whether they all were.
    bool KeepWritesUntilClose = false;

    Notification BeforeFileOpen;
    Notification BeforeFileClose;
    Progress FileToVlfProgress;
    Progress VlfToFileProgress;

    // The 8-byte header last read or written.
    const BlockHeader& LastHeader() const { return header_; }

  private:
    // The data of the string-table block at address and where its parts lie; false for another
    // kind of block or counts the block cannot hold.
    bool ReadGridBlock(std::int32_t address, std::vector<std::uint8_t>& data,
                       string_table::Layout& layout);
    // Where a new block of length bytes goes: a free block that fits, else the end of the file;
    // 0 when the file cannot take it.
    std::int32_t PlaceFor(std::int32_t length);
    // Writes data as a new block at PlaceFor; its address, 0 on failure.
    std::int32_t WriteNew(std::span<const std::uint8_t> data, std::int16_t type,
                          std::int32_t length);
    // Keeps the free-space map in step with a header written at address.
    void NoteHeader(std::int64_t address, const BlockHeader& header);
    // Makes the free-space map complete by walking every block; false for a damaged file,
    // which is then searched block by block.
    bool CompleteFreeSpaceMap();
    std::int32_t WalkForFree(std::int64_t start, std::int32_t length);
    std::int32_t TakeFree(std::int64_t address, std::int32_t freeLength, std::int32_t length);
    bool ReadHeader(std::int64_t address, BlockHeader& header);
    bool WriteHeader(std::int64_t address, const BlockHeader& header);
    // The header at address when it describes a block that lies inside the file.
    bool ReadValidHeader(std::int64_t address, BlockHeader& header);
    // ReadValidHeader and the block's data, by one read for a block of up to kReadAhead bytes.
    bool ReadValidBlock(std::int64_t address, BlockHeader& header, std::vector<std::uint8_t>& data);
    static constexpr std::int64_t kReadAhead = 4096;
    bool WriteHint(std::int32_t address);
    void LowerHint(std::int32_t address);
    std::int32_t WriteAt(std::int32_t address, std::span<const std::uint8_t> data,
                         std::int16_t type, std::int32_t length);
    std::int32_t WriteBlockAt(std::int32_t address, std::span<const std::uint8_t> data,
                              std::int16_t type, std::int32_t length);
    std::int64_t FileLength() const { return file_.Size(); }

    RawFile file_;
    BlockHeader header_;
    std::vector<std::uint8_t> blockData_;  // the last text or table read, its space reused
    std::shared_ptr<FreeSpaceMap> free_;
};

// Walks a block file and lists its problems: a bad signature or header, blocks that do not
// tile the file from 1024 to its end, bad states, check bytes or types, and a free-space hint
// that is not a block address or lies above a free block. Empty when the file is sound. Never
// writes; a damaged file only gives problems.
std::vector<std::string> CheckVlf(const std::filesystem::path& path);

}  // namespace snx
