// Digital playback of one drive: a reader thread fills a ring of sectors from the disc, an
// output thread applies the gains and writes them to the audio output. Requests from the
// user-interface thread only change the shared state and return at once; the position is
// worked out from the samples actually heard (written minus the output's latency).
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "audio/audio_output.h"
#include "audio/clock.h"
#include "audio/pcm_tap.h"
#include "cd/cd_types.h"
#include "cd/disc_info.h"
#include "cd/sector_reader.h"

namespace snx {

class DiscPlayer {
  public:
    // outputFactory is called on the output thread; when it gives nothing, or the output fails,
    // a NullOutput on the clock takes over.
    DiscPlayer(Clock& clock, AudioOutputFactory outputFactory, SectorReaderFactory readerFactory);
    ~DiscPlayer();
    DiscPlayer(const DiscPlayer&) = delete;
    DiscPlayer& operator=(const DiscPlayer&) = delete;

    struct State {
        CdMode Mode = CdMode::Stopped;  // Stopped, Playing or Paused
        Lba Position = 0;
        // The last play request ran to its end, however short it was; a later request clears it.
        bool PlayEnded = false;
    };

    // A new disc (or none): play stops, the position goes to the start of track 1 and the
    // reader is opened again.
    void SetDisc(std::shared_ptr<const DiscInfo> disc);
    std::uint32_t Play(Lba from, Lba to);
    std::uint32_t Pause();
    std::uint32_t Resume();
    std::uint32_t Stop();
    std::uint32_t Seek(Lba to);
    void SetGains(double left, double right);
    // The tap sees every sample written to the output from now on, on the output thread.
    void SetPcmTap(std::shared_ptr<PcmTap> tap);
    State Snapshot();

  private:
    struct Range {
        Lba From;
        Lba To;
    };
    struct Sector {
        std::uint64_t Session;
        std::vector<std::int16_t> Samples;
    };

    void ReaderLoop();
    void OutputLoop();
    // The rest of these require mutex_ held.
    void NewSession(CdMode mode);
    std::int64_t HeardFrames();
    Lba PlanPosition(std::int64_t sectorsHeard) const;
    void Settle();
    void EndPlay();

    Clock& clock_;
    AudioOutputFactory outputFactory_;
    SectorReaderFactory readerFactory_;

    std::mutex mutex_;
    std::condition_variable changed_;  // ring, session or quit; never waited on by the clock
    bool quit_ = false;
    std::shared_ptr<const DiscInfo> disc_;
    bool reopenReader_ = false;
    CdMode mode_ = CdMode::Stopped;
    std::uint64_t session_ = 0;
    std::vector<Range> plan_;
    std::int64_t planSectors_ = 0;
    Lba end_ = 0;       // where the current or paused play ends
    Lba position_ = 0;  // when not playing
    bool ended_ = false;
    std::deque<Sector> ring_;
    bool readerDone_ = false;  // the reader has queued the whole plan of the session
    std::int64_t queuedSectors_ = 0;
    // Published by the output thread after each write.
    std::int64_t written_ = 0;
    std::int64_t heardAtWrite_ = 0;
    Micros writeTime_ = 0;

    std::shared_ptr<PcmTap> tap_;
    std::atomic<std::int32_t> gainLeft_{65536};  // 1/65536 units
    std::atomic<std::int32_t> gainRight_{65536};

    // The output thread is attached to the clock from before it starts, so a test clock never
    // runs ahead of a thread that has not yet reached its first wait.
    ClockThread outputAttached_;
    std::thread reader_;
    std::thread output_;
};

}  // namespace snx
