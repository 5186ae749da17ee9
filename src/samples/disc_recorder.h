// Records the disc stream: the disc player's output thread hands each block it plays to
// TakePcm, which only queues it; a worker converts the queue to the recording's format. The
// audio thread never waits on the conversion: when the queue is full the block is dropped and
// the recording reports an overrun.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

#include "audio/pcm_tap.h"
#include "samples/pcm_converter.h"
#include "samples/wave_format.h"

namespace snx {

class DiscRecorder final : public PcmTap {
  public:
    // About six seconds of disc blocks may wait for the worker.
    static constexpr std::size_t kQueueBlocks = 450;

    explicit DiscRecorder(const WaveFormat& format, std::size_t queueBlocks = kQueueBlocks);
    ~DiscRecorder() override;
    DiscRecorder(const DiscRecorder&) = delete;
    DiscRecorder& operator=(const DiscRecorder&) = delete;

    void TakePcm(std::span<const std::int16_t> samples) override;
    // Blocks taken but not yet converted: how far the worker is behind the disc.
    std::size_t Backlog();

    struct Result {
        std::vector<std::int16_t> Samples;  // interleaved, in the format's rate and channels
        bool Overrun = false;
    };
    // Converts what is queued, ends the worker and gives the recording. Call once, after the
    // tap has been detached from the disc player.
    Result Finish();

  private:
    void Work();

    std::size_t queueBlocks_;
    PcmConverter converter_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::vector<std::int16_t>> queue_;
    std::vector<std::vector<std::int16_t>>
        spare_;  // emptied blocks, so the audio thread rarely allocates
    bool finishing_ = false;
    bool overrun_ = false;
    bool converting_ = false;            // the worker holds a block outside the queue
    std::vector<std::int16_t> samples_;  // the worker's
    std::thread worker_;
};

}  // namespace snx
