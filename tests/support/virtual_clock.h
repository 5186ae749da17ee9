// A clock that moves only when the test moves it. Advance() runs every attached thread up to
// each of its deadlines in turn, so minutes of audio play in milliseconds and nothing sleeps.
#pragma once

#include <condition_variable>
#include <list>
#include <mutex>

#include "audio/clock.h"

namespace snx::test {

class VirtualClock final : public Clock {
  public:
    Micros Now() override;
    std::uint64_t WakeCount() override;
    void WaitUntil(Micros deadline, std::uint64_t seen) override;
    void Wake() override;
    void AttachThread() override;
    void DetachThread() override;

    // Returns once every attached thread is waiting on the clock for a later time or a wake.
    void Settle();
    // Moves time forward, stopping at every deadline on the way and settling after each.
    void Advance(Micros duration);
    void AdvanceSeconds(double seconds) { Advance(static_cast<Micros>(seconds * 1e6)); }

  private:
    struct Waiter {
        Micros Deadline;
        std::uint64_t Seen;
    };
    bool AllBlocked() const;

    std::mutex mutex_;
    std::condition_variable changed_;
    Micros now_ = 1'000'000;
    std::uint64_t wakes_ = 0;
    int attached_ = 0;
    std::list<Waiter> waiters_;
};

}  // namespace snx::test
