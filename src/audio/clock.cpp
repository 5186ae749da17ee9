#include "audio/clock.h"

#include <chrono>

namespace snx {

Micros SystemClock::Now() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::uint64_t SystemClock::WakeCount() {
    std::lock_guard lock(mutex_);
    return wakeCount_;
}

void SystemClock::WaitUntil(Micros deadline, std::uint64_t seen) {
    std::unique_lock lock(mutex_);
    if (deadline == kForever) {
        changed_.wait(lock, [&] { return wakeCount_ != seen; });
        return;
    }
    const auto until = std::chrono::steady_clock::time_point(std::chrono::microseconds(deadline));
    changed_.wait_until(lock, until, [&] { return wakeCount_ != seen; });
}

void SystemClock::Wake() {
    {
        std::lock_guard lock(mutex_);
        ++wakeCount_;
    }
    changed_.notify_all();
}

}  // namespace snx
