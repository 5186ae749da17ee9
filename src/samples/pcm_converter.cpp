#include "samples/pcm_converter.h"

#include <soxr.h>

#include <stdexcept>

namespace snx {

void SoxrCloser::operator()(soxr* resampler) const {
    soxr_delete(resampler);
}

namespace {

std::unique_ptr<soxr, SoxrCloser> MakeResampler(int inRate, int outRate, int channels) {
    soxr_error_t error = nullptr;
    const soxr_io_spec_t io = soxr_io_spec(SOXR_INT16_I, SOXR_INT16_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    soxr_t made = soxr_create(inRate, outRate, static_cast<unsigned>(channels), &error, &io,
                              &quality, nullptr);
    if (error != nullptr) {
        soxr_delete(made);
        return nullptr;
    }
    return std::unique_ptr<soxr, SoxrCloser>(made);
}

}  // namespace

PcmConverter::PcmConverter(int inRate, int inChannels, int outRate, int outChannels)
    : inRate_(inRate), inChannels_(inChannels), outRate_(outRate), outChannels_(outChannels) {
    if (inRate != outRate) {
        resampler_ = MakeResampler(inRate, outRate, outChannels);
        if (!resampler_) {
            throw std::invalid_argument("unsupported sample rate");
        }
    }
}

bool PcmConverter::CanConvert(int inRate, int outRate) {
    return inRate > 0 && outRate > 0 && (inRate == outRate || MakeResampler(inRate, outRate, 1));
}

void PcmConverter::Push(std::span<const std::int16_t> in, std::vector<std::int16_t>& out) {
    const std::size_t frames = in.size() / static_cast<std::size_t>(inChannels_);
    const std::int16_t* source = in.data();
    // Channels first, so the resampler works on as few as the output has.
    if (inChannels_ != outChannels_) {
        mixed_.resize(frames * static_cast<std::size_t>(outChannels_));
        if (outChannels_ == 1) {
            for (std::size_t i = 0; i < frames; ++i) {
                mixed_[i] = static_cast<std::int16_t>((in[2 * i] + in[2 * i + 1]) / 2);
            }
        } else {
            for (std::size_t i = 0; i < frames; ++i) {
                mixed_[2 * i] = mixed_[2 * i + 1] = in[i];
            }
        }
        source = mixed_.data();
    }
    if (!resampler_) {
        out.insert(out.end(), source, source + frames * static_cast<std::size_t>(outChannels_));
        return;
    }
    Resample(source, frames, out);
}

void PcmConverter::Flush(std::vector<std::int16_t>& out) {
    if (resampler_) {
        Resample(nullptr, 0, out);
    }
}

void PcmConverter::Resample(const std::int16_t* in, std::size_t frames,
                            std::vector<std::int16_t>& out) {
    const auto channels = static_cast<std::size_t>(outChannels_);
    const std::size_t room =
        frames * static_cast<std::size_t>(outRate_) / static_cast<std::size_t>(inRate_) + 256;
    std::size_t taken = 0;
    for (;;) {
        const std::size_t at = out.size();
        out.resize(at + room * channels);
        std::size_t used = 0;
        std::size_t made = 0;
        const std::int16_t* from = in != nullptr ? in + taken * channels : nullptr;
        soxr_process(resampler_.get(), from, in != nullptr ? frames - taken : 0, &used,
                     out.data() + at, room, &made);
        out.resize(at + made * channels);
        taken += used;
        // At the end (no input) the tail may take several calls.
        const bool done = in != nullptr ? taken >= frames : made < room;
        if (done || (used == 0 && made == 0)) {
            return;
        }
    }
}

}  // namespace snx
