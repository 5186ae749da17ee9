#include "samples/disc_recorder.h"

#include "audio/audio_output.h"

namespace snx {

DiscRecorder::DiscRecorder(const WaveFormat& format, std::size_t queueBlocks)
    : queueBlocks_(queueBlocks), converter_(kAudioSampleRate, 2, format.Rate, format.Channels) {
    worker_ = std::thread([this] { Work(); });
}

DiscRecorder::~DiscRecorder() {
    {
        std::lock_guard lock(mutex_);
        finishing_ = true;
    }
    changed_.notify_all();
    if (worker_.joinable()) {
        worker_.join();
    }
}

void DiscRecorder::TakePcm(std::span<const std::int16_t> samples) {
    std::unique_lock lock(mutex_);
    if (finishing_) {
        return;
    }
    if (queue_.size() >= queueBlocks_) {
        overrun_ = true;
        return;
    }
    std::vector<std::int16_t> block;
    if (!spare_.empty()) {
        block = std::move(spare_.back());
        spare_.pop_back();
    }
    block.assign(samples.begin(), samples.end());
    queue_.push_back(std::move(block));
    lock.unlock();
    changed_.notify_one();
}

std::size_t DiscRecorder::Backlog() {
    std::lock_guard lock(mutex_);
    return queue_.size() + (converting_ ? 1 : 0);
}

void DiscRecorder::Work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return finishing_ || !queue_.empty(); });
        if (queue_.empty()) {
            return;
        }
        std::vector<std::int16_t> block = std::move(queue_.front());
        queue_.pop_front();
        converting_ = true;
        lock.unlock();
        converter_.Push(block, samples_);
        lock.lock();
        converting_ = false;
        if (spare_.size() < 16) {
            spare_.push_back(std::move(block));
        }
    }
}

DiscRecorder::Result DiscRecorder::Finish() {
    {
        std::lock_guard lock(mutex_);
        finishing_ = true;
    }
    changed_.notify_all();
    if (worker_.joinable()) {
        worker_.join();
    }
    converter_.Flush(samples_);
    return {std::move(samples_), overrun_};
}

}  // namespace snx
