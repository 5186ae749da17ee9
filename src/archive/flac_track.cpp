#include "archive/flac_track.h"

#include <FLAC/metadata.h>
#include <FLAC/stream_decoder.h>
#include <FLAC/stream_encoder.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <system_error>

namespace snx {

namespace {

constexpr unsigned kCompressionLevel = 5;

FLAC__StreamEncoderWriteStatus WriteCallback(const FLAC__StreamEncoder*, const FLAC__byte buffer[],
                                             size_t bytes, uint32_t, uint32_t, void* client) {
    return static_cast<FlacTrackWriter*>(client)->WriteBytes(buffer, bytes)
               ? FLAC__STREAM_ENCODER_WRITE_STATUS_OK
               : FLAC__STREAM_ENCODER_WRITE_STATUS_FATAL_ERROR;
}

FLAC__StreamEncoderSeekStatus SeekCallback(const FLAC__StreamEncoder*, FLAC__uint64 offset,
                                           void* client) {
    const int fd = static_cast<FlacTrackWriter*>(client)->Descriptor();
    return ::lseek(fd, static_cast<off_t>(offset), SEEK_SET) < 0
               ? FLAC__STREAM_ENCODER_SEEK_STATUS_ERROR
               : FLAC__STREAM_ENCODER_SEEK_STATUS_OK;
}

FLAC__StreamEncoderTellStatus TellCallback(const FLAC__StreamEncoder*, FLAC__uint64* offset,
                                           void* client) {
    const off_t at = ::lseek(static_cast<FlacTrackWriter*>(client)->Descriptor(), 0, SEEK_CUR);
    if (at < 0) {
        return FLAC__STREAM_ENCODER_TELL_STATUS_ERROR;
    }
    *offset = static_cast<FLAC__uint64>(at);
    return FLAC__STREAM_ENCODER_TELL_STATUS_OK;
}

FLAC__StreamMetadata* CommentsBlock(const FlacTags& tags) {
    FLAC__StreamMetadata* block = FLAC__metadata_object_new(FLAC__METADATA_TYPE_VORBIS_COMMENT);
    for (const auto& [name, value] : tags) {
        FLAC__StreamMetadata_VorbisComment_Entry entry;
        if (block != nullptr && FLAC__metadata_object_vorbiscomment_entry_from_name_value_pair(
                                    &entry, name.c_str(), value.c_str())) {
            FLAC__metadata_object_vorbiscomment_append_comment(block, entry, /*copy=*/false);
        }
    }
    return block;
}

FLAC__StreamMetadata* PictureBlock(const FlacPicture& picture) {
    FLAC__StreamMetadata* block = FLAC__metadata_object_new(FLAC__METADATA_TYPE_PICTURE);
    if (block == nullptr) {
        return nullptr;
    }
    block->data.picture.type = FLAC__STREAM_METADATA_PICTURE_TYPE_FRONT_COVER;
    block->data.picture.width = picture.Width;
    block->data.picture.height = picture.Height;
    block->data.picture.depth = picture.Depth;
    std::string mime = picture.MimeType;
    std::vector<FLAC__byte> data(picture.Data.begin(), picture.Data.end());
    if (!FLAC__metadata_object_picture_set_mime_type(block, mime.data(), true) ||
        !FLAC__metadata_object_picture_set_data(block, data.data(),
                                                static_cast<FLAC__uint32>(data.size()), true)) {
        FLAC__metadata_object_delete(block);
        return nullptr;
    }
    return block;
}

}  // namespace

struct FlacTrackWriter::Encoder {
    FLAC__StreamEncoder* Stream = nullptr;
    std::vector<FLAC__StreamMetadata*> Metadata;

    ~Encoder() {
        if (Stream != nullptr) {
            FLAC__stream_encoder_delete(Stream);
        }
        for (FLAC__StreamMetadata* block : Metadata) {
            FLAC__metadata_object_delete(block);
        }
    }
};

FlacTrackWriter::FlacTrackWriter(std::filesystem::path target, std::uint64_t totalPairs,
                                 const FlacTags& tags, const std::optional<FlacPicture>& picture)
    : target_(std::move(target)) {
    fd_ = ::open(PartPath().c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        Fail("cannot create " + PartPath().string() + ": " + std::strerror(errno));
        return;
    }
    encoder_ = std::make_unique<Encoder>();
    FLAC__StreamEncoder* stream = encoder_->Stream = FLAC__stream_encoder_new();
    if (stream == nullptr) {
        Fail("out of memory");
        return;
    }
    FLAC__stream_encoder_set_channels(stream, 2);
    FLAC__stream_encoder_set_bits_per_sample(stream, 16);
    FLAC__stream_encoder_set_sample_rate(stream, 44100);
    FLAC__stream_encoder_set_compression_level(stream, kCompressionLevel);
    FLAC__stream_encoder_set_total_samples_estimate(stream, totalPairs);
    std::vector<FLAC__StreamMetadata*>& metadata = encoder_->Metadata;
    metadata.push_back(CommentsBlock(tags));
    if (picture && !picture->Data.empty()) {
        metadata.push_back(PictureBlock(*picture));
    }
    if (FLAC__StreamMetadata* padding = FLAC__metadata_object_new(FLAC__METADATA_TYPE_PADDING)) {
        padding->length = 4096;
        metadata.push_back(padding);
    }
    std::erase(metadata, nullptr);
    FLAC__stream_encoder_set_metadata(stream, metadata.data(),
                                      static_cast<std::uint32_t>(metadata.size()));
    if (FLAC__stream_encoder_init_stream(stream, WriteCallback, SeekCallback, TellCallback, nullptr,
                                         this) != FLAC__STREAM_ENCODER_INIT_STATUS_OK) {
        Fail("the FLAC encoder does not start");
    }
}

FlacTrackWriter::~FlacTrackWriter() {
    encoder_.reset();
    if (fd_ >= 0) {
        ::close(fd_);
    }
    if (!finished_) {
        std::error_code ignored;
        std::filesystem::remove(PartPath(), ignored);
    }
}

std::filesystem::path FlacTrackWriter::PartPath() const {
    std::filesystem::path part = target_;
    part += ".part";
    return part;
}

void FlacTrackWriter::Fail(const std::string& why) {
    if (error_.empty()) {
        error_ = why;
    }
}

bool FlacTrackWriter::WriteBytes(const std::uint8_t* bytes, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd_, bytes, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            Fail("cannot write " + PartPath().string() + ": " +
                 std::strerror(written < 0 ? errno : ENOSPC));
            return false;
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool FlacTrackWriter::Write(std::span<const std::int16_t> samples) {
    if (!error_.empty() || !encoder_) {
        return false;
    }
    buffer_.assign(samples.begin(), samples.end());
    if (!FLAC__stream_encoder_process_interleaved(encoder_->Stream, buffer_.data(),
                                                  static_cast<std::uint32_t>(samples.size() / 2))) {
        Fail("cannot write " + PartPath().string());
        return false;
    }
    return true;
}

bool FlacTrackWriter::Finish() {
    if (!error_.empty() || !encoder_) {
        return false;
    }
    if (!FLAC__stream_encoder_finish(encoder_->Stream)) {
        Fail("cannot finish " + PartPath().string());
        return false;
    }
    if (::fsync(fd_) != 0) {
        Fail("cannot write " + PartPath().string() + ": " + std::strerror(errno));
        return false;
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        Fail("cannot write " + PartPath().string() + ": " + std::strerror(errno));
        return false;
    }
    std::error_code error;
    std::filesystem::rename(PartPath(), target_, error);
    if (error) {
        Fail("cannot rename " + PartPath().string() + ": " + error.message());
        return false;
    }
    finished_ = true;
    return true;
}

std::optional<std::uint64_t> FlacTotalPairs(const std::filesystem::path& file) {
    FLAC__StreamMetadata info;
    if (!FLAC__metadata_get_streaminfo(file.c_str(), &info)) {
        return std::nullopt;
    }
    return info.data.stream_info.total_samples;
}

namespace {

struct DecodeTarget {
    std::vector<std::int16_t>* Samples = nullptr;
    bool Bad = false;
};

FLAC__StreamDecoderWriteStatus DecodeWrite(const FLAC__StreamDecoder*, const FLAC__Frame* frame,
                                           const FLAC__int32* const buffer[], void* client) {
    auto* target = static_cast<DecodeTarget*>(client);
    if (frame->header.channels != 2 || frame->header.bits_per_sample != 16) {
        target->Bad = true;
        return FLAC__STREAM_DECODER_WRITE_STATUS_ABORT;
    }
    for (std::uint32_t i = 0; i < frame->header.blocksize; ++i) {
        target->Samples->push_back(static_cast<std::int16_t>(buffer[0][i]));
        target->Samples->push_back(static_cast<std::int16_t>(buffer[1][i]));
    }
    return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
}

void DecodeError(const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus, void* client) {
    static_cast<DecodeTarget*>(client)->Bad = true;
}

}  // namespace

bool ReadFlacSamples(const std::filesystem::path& file, std::vector<std::int16_t>& samples) {
    samples.clear();
    std::unique_ptr<FLAC__StreamDecoder, decltype(&FLAC__stream_decoder_delete)> decoder(
        FLAC__stream_decoder_new(), FLAC__stream_decoder_delete);
    if (!decoder) {
        return false;
    }
    FLAC__stream_decoder_set_md5_checking(decoder.get(), true);
    DecodeTarget target{&samples};
    if (FLAC__stream_decoder_init_file(decoder.get(), file.c_str(), DecodeWrite, nullptr,
                                       DecodeError,
                                       &target) != FLAC__STREAM_DECODER_INIT_STATUS_OK) {
        return false;
    }
    const bool ok = FLAC__stream_decoder_process_until_end_of_stream(decoder.get());
    // finish checks the MD5 of the decoded audio against the one stored.
    const bool md5 = FLAC__stream_decoder_finish(decoder.get());
    return ok && md5 && !target.Bad;
}

}  // namespace snx
