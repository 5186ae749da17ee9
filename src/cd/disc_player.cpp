#include "cd/disc_player.h"

#include <algorithm>
#include <cmath>

#include "audio/null_output.h"

namespace snx {

namespace {

constexpr std::size_t kRingSectors = 150;  // two seconds, enough to ride out a slow re-read
constexpr std::size_t kSectorSamples = kSamplesPerFrame * 2;

std::int32_t ToGainUnits(double gain) {
    return static_cast<std::int32_t>(std::lround(std::clamp(gain, 0.0, 1.0) * 65536.0));
}

void ApplyGains(std::span<std::int16_t> samples, std::int32_t left, std::int32_t right) {
    if (left == 65536 && right == 65536) {
        return;
    }
    for (std::size_t i = 0; i + 1 < samples.size(); i += 2) {
        samples[i] = static_cast<std::int16_t>((samples[i] * left) >> 16);
        samples[i + 1] = static_cast<std::int16_t>((samples[i + 1] * right) >> 16);
    }
}

}  // namespace

DiscPlayer::DiscPlayer(Clock& clock, AudioOutputFactory outputFactory,
                       SectorReaderFactory readerFactory)
    : clock_(clock),
      outputFactory_(std::move(outputFactory)),
      readerFactory_(std::move(readerFactory)),
      outputAttached_(clock) {
    reader_ = std::thread([this] { ReaderLoop(); });
    output_ = std::thread([this] { OutputLoop(); });
}

DiscPlayer::~DiscPlayer() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    changed_.notify_all();
    clock_.Wake();
    reader_.join();
    output_.join();
}

void DiscPlayer::NewSession(CdMode mode) {
    ++session_;
    mode_ = mode;
    ended_ = false;
    ring_.clear();
    readerDone_ = false;
    queuedSectors_ = 0;
    written_ = 0;
    heardAtWrite_ = 0;
    writeTime_ = clock_.Now();
    changed_.notify_all();
    clock_.Wake();
}

std::int64_t DiscPlayer::HeardFrames() {
    const Micros elapsed = std::max<Micros>(0, clock_.Now() - writeTime_);
    return std::min(written_, heardAtWrite_ + elapsed * kSampleRate / 1'000'000);
}

Lba DiscPlayer::PlanPosition(std::int64_t sectorsHeard) const {
    for (const Range& range : plan_) {
        if (sectorsHeard < range.To - range.From) {
            return range.From + static_cast<Lba>(sectorsHeard);
        }
        sectorsHeard -= range.To - range.From;
    }
    return end_;
}

void DiscPlayer::Settle() {
    if (mode_ == CdMode::Playing && HeardFrames() >= planSectors_ * kSamplesPerFrame) {
        EndPlay();
    }
}

void DiscPlayer::EndPlay() {
    mode_ = CdMode::Stopped;
    position_ = end_;
    ended_ = true;
    changed_.notify_all();
}

void DiscPlayer::SetDisc(std::shared_ptr<const DiscInfo> disc) {
    std::lock_guard lock(mutex_);
    disc_ = std::move(disc);
    reopenReader_ = true;
    position_ = disc_ && !disc_->Tracks.empty() ? disc_->TrackStart(1) : 0;
    NewSession(CdMode::Stopped);
}

std::uint32_t DiscPlayer::Play(Lba from, Lba to) {
    std::lock_guard lock(mutex_);
    if (!disc_ || disc_->Tracks.empty()) {
        return kDeviceNotReady;
    }
    from = std::max(from, disc_->TrackStart(1));
    to = std::min(to, disc_->LeadOut);
    if (from > to) {
        return kDeviceOutOfRange;
    }
    plan_.clear();
    planSectors_ = 0;
    // Data tracks are never sent to the output.
    for (int track = 1; track <= disc_->TrackCount(); ++track) {
        const Lba start = std::max(from, disc_->TrackStart(track));
        const Lba end = std::min(to, disc_->TrackEnd(track));
        if (disc_->Tracks[static_cast<std::size_t>(track - 1)].Audio && start < end) {
            plan_.push_back({start, end});
            planSectors_ += end - start;
        }
    }
    end_ = to;
    position_ = from;
    NewSession(CdMode::Playing);
    return kDeviceOk;
}

std::uint32_t DiscPlayer::Pause() {
    std::lock_guard lock(mutex_);
    Settle();
    if (mode_ != CdMode::Playing) {
        return kDeviceRefused;
    }
    position_ = PlanPosition(HeardFrames() / kSamplesPerFrame);
    NewSession(CdMode::Paused);
    return kDeviceOk;
}

std::uint32_t DiscPlayer::Resume() {
    Lba from = 0;
    Lba to = 0;
    {
        std::lock_guard lock(mutex_);
        if (mode_ != CdMode::Paused) {
            return kDeviceRefused;
        }
        from = position_;
        to = end_;
    }
    return Play(from, to);
}

std::uint32_t DiscPlayer::Stop() {
    std::lock_guard lock(mutex_);
    Settle();
    if (mode_ == CdMode::Playing) {
        position_ = PlanPosition(HeardFrames() / kSamplesPerFrame);
    }
    if (mode_ != CdMode::Stopped) {
        NewSession(CdMode::Stopped);
    }
    ended_ = false;
    return disc_ ? kDeviceOk : kDeviceNotReady;
}

std::uint32_t DiscPlayer::Seek(Lba to) {
    std::lock_guard lock(mutex_);
    if (!disc_ || disc_->Tracks.empty()) {
        return kDeviceNotReady;
    }
    position_ = std::clamp(to, disc_->TrackStart(1), disc_->LeadOut);
    NewSession(CdMode::Stopped);
    return kDeviceOk;
}

void DiscPlayer::SetGains(double left, double right) {
    gainLeft_ = ToGainUnits(left);
    gainRight_ = ToGainUnits(right);
}

void DiscPlayer::SetPcmTap(std::shared_ptr<PcmTap> tap) {
    std::lock_guard lock(mutex_);
    tap_ = std::move(tap);
}

DiscPlayer::State DiscPlayer::Snapshot() {
    std::lock_guard lock(mutex_);
    Settle();
    if (mode_ == CdMode::Playing) {
        return {mode_, PlanPosition(HeardFrames() / kSamplesPerFrame), false};
    }
    return {mode_, position_, ended_};
}

void DiscPlayer::ReaderLoop() {
    std::unique_ptr<SectorReader> reader;
    std::uint64_t mine = 0;
    std::size_t rangeIndex = 0;
    Lba next = 0;
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] {
            return quit_ || (mode_ == CdMode::Playing &&
                             (session_ != mine || (!readerDone_ && ring_.size() < kRingSectors)));
        });
        if (quit_) {
            return;
        }
        if (reopenReader_) {
            reader.reset();
            reopenReader_ = false;
        }
        if (session_ != mine) {
            mine = session_;
            rangeIndex = 0;
            next = plan_.empty() ? 0 : plan_.front().From;
        }
        while (rangeIndex < plan_.size() && next >= plan_[rangeIndex].To) {
            if (++rangeIndex < plan_.size()) {
                next = plan_[rangeIndex].From;
            }
        }
        if (rangeIndex >= plan_.size()) {
            readerDone_ = true;
            changed_.notify_all();
            continue;
        }
        const Lba sector = next++;
        lock.unlock();
        if (!reader) {
            reader = readerFactory_();
        }
        Sector read{mine, std::vector<std::int16_t>(kSectorSamples)};
        const bool ok = reader && reader->Read(sector, read.Samples);
        lock.lock();
        if (session_ != mine) {
            continue;
        }
        if (ok) {
            ring_.push_back(std::move(read));
            ++queuedSectors_;
        } else {
            // An unreadable sector ends the play there, as a drive would stop.
            readerDone_ = true;
            planSectors_ = queuedSectors_;
            end_ = sector;
        }
        changed_.notify_all();
    }
}

void DiscPlayer::OutputLoop() {
    std::unique_ptr<AudioOutput> output;
    std::uint64_t mine = 0;
    std::unique_lock lock(mutex_);
    for (;;) {
        lock.unlock();
        const std::uint64_t seen = clock_.WakeCount();
        lock.lock();
        if (quit_) {
            return;
        }
        if (session_ != mine) {
            mine = session_;
            if (output) {
                // What the last request left unheard is dropped; its position is already kept.
                lock.unlock();
                output->Flush();
                lock.lock();
            }
            continue;
        }
        if (mode_ != CdMode::Playing) {
            lock.unlock();
            clock_.WaitUntil(kForever, seen);
            lock.lock();
            continue;
        }
        // A play with nothing to hear may already have been settled as ended, before the
        // reader ever looked at it.
        changed_.wait(lock, [&] {
            return quit_ || session_ != mine || mode_ != CdMode::Playing || !ring_.empty() ||
                   readerDone_;
        });
        if (quit_ || session_ != mine || mode_ != CdMode::Playing) {
            continue;
        }
        if (ring_.empty()) {
            lock.unlock();
            const bool heard = !output || output->Drain();
            lock.lock();
            if (heard && session_ == mine && mode_ == CdMode::Playing) {
                EndPlay();
            }
            continue;
        }
        Sector sector = std::move(ring_.front());
        ring_.pop_front();
        changed_.notify_all();
        const std::shared_ptr<PcmTap> tap = tap_;
        lock.unlock();
        ApplyGains(sector.Samples, gainLeft_, gainRight_);
        if (tap) {
            tap->TakePcm(sector.Samples);
        }
        if (!output) {
            output = outputFactory_ ? outputFactory_() : nullptr;
        }
        if (!output || !output->Write(sector.Samples)) {
            // No sound server, or it went away: keep time on the null output instead.
            output = std::make_unique<NullOutput>(clock_);
            output->Write(sector.Samples);
        }
        const std::int64_t latency = output->LatencyFrames();
        const Micros now = clock_.Now();
        lock.lock();
        if (session_ == mine) {
            // The position never goes back: a server's latency estimate jitters.
            const std::int64_t heard =
                std::max(written_ + kSamplesPerFrame - latency, HeardFrames());
            written_ += kSamplesPerFrame;
            heardAtWrite_ = heard;
            writeTime_ = now;
        }
    }
}

}  // namespace snx
