// One track as a FLAC file (libFLAC, compression level 5): written under "NAME.part" and renamed
// to its name only when whole, so a cancelled or failed copy never looks finished.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace snx {

using FlacTags = std::vector<std::pair<std::string, std::string>>;

struct FlacPicture {
    std::string MimeType;  // "image/bmp", "image/png"...
    std::vector<std::uint8_t> Data;
    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    std::uint32_t Depth = 0;
};

class FlacTrackWriter {
  public:
    // Opens target + ".part". totalPairs is the track's length in stereo sample pairs.
    FlacTrackWriter(std::filesystem::path target, std::uint64_t totalPairs, const FlacTags& tags,
                    const std::optional<FlacPicture>& picture);
    // Removes the .part file unless Finish succeeded.
    ~FlacTrackWriter();
    FlacTrackWriter(const FlacTrackWriter&) = delete;
    FlacTrackWriter& operator=(const FlacTrackWriter&) = delete;

    // False once anything failed; Error() says what.
    bool Write(std::span<const std::int16_t> samples);
    // Finishes the stream, flushes the file and renames it to its name.
    bool Finish();
    const std::string& Error() const { return error_; }
    std::filesystem::path PartPath() const;

    // For libFLAC's callbacks: the encoded bytes go to the .part file.
    bool WriteBytes(const std::uint8_t* bytes, std::size_t size);
    int Descriptor() const { return fd_; }

  private:
    void Fail(const std::string& why);

    std::filesystem::path target_;
    struct Encoder;  // libFLAC's encoder and the metadata blocks it writes
    std::unique_ptr<Encoder> encoder_;
    std::vector<std::int32_t> buffer_;
    int fd_ = -1;
    bool finished_ = false;
    std::string error_;
};

// The length in stereo pairs that a FLAC file's stream information gives; nothing when the file
// cannot be read as FLAC.
std::optional<std::uint64_t> FlacTotalPairs(const std::filesystem::path& file);

// Decodes a whole 16-bit stereo FLAC file into interleaved samples; false on any error.
bool ReadFlacSamples(const std::filesystem::path& file, std::vector<std::int16_t>& samples);

}  // namespace snx
