// The time base of audio output: the system's steady clock in the program, a virtual clock in
// tests. Waits are eventcount-style: a thread reads WakeCount(), checks its condition, then
// waits; a Wake() in between makes the wait return at once, so no wake-up is lost.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <limits>
#include <mutex>

namespace snx {

using Micros = std::int64_t;
constexpr Micros kForever = std::numeric_limits<Micros>::max();

class Clock {
  public:
    virtual ~Clock() = default;
    virtual Micros Now() = 0;
    virtual std::uint64_t WakeCount() = 0;
    // Returns when Now() >= deadline or WakeCount() != seen; callers loop on their condition.
    virtual void WaitUntil(Micros deadline, std::uint64_t seen) = 0;
    virtual void Wake() = 0;
    // A thread that waits on this clock announces itself, so a virtual clock knows whom to await.
    virtual void AttachThread() {}
    virtual void DetachThread() {}
};

class SystemClock final : public Clock {
  public:
    Micros Now() override;
    std::uint64_t WakeCount() override;
    void WaitUntil(Micros deadline, std::uint64_t seen) override;
    void Wake() override;

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::uint64_t wakeCount_ = 0;
};

// Attaches the calling thread to a clock for the lifetime of this object.
class ClockThread {
  public:
    explicit ClockThread(Clock& clock) : clock_(clock) { clock_.AttachThread(); }
    ~ClockThread() { clock_.DetachThread(); }
    ClockThread(const ClockThread&) = delete;
    ClockThread& operator=(const ClockThread&) = delete;

  private:
    Clock& clock_;
};

}  // namespace snx
