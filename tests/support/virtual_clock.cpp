#include "tests/support/virtual_clock.h"

#include <algorithm>

namespace snx::test {

Micros VirtualClock::Now() {
    std::lock_guard lock(mutex_);
    return now_;
}

std::uint64_t VirtualClock::WakeCount() {
    std::lock_guard lock(mutex_);
    return wakes_;
}

void VirtualClock::WaitUntil(Micros deadline, std::uint64_t seen) {
    std::unique_lock lock(mutex_);
    const auto waiter = waiters_.insert(waiters_.end(), {deadline, seen});
    changed_.notify_all();
    changed_.wait(lock, [&] { return now_ >= deadline || wakes_ != seen; });
    waiters_.erase(waiter);
    changed_.notify_all();
}

void VirtualClock::Wake() {
    std::lock_guard lock(mutex_);
    ++wakes_;
    changed_.notify_all();
}

void VirtualClock::AttachThread() {
    std::lock_guard lock(mutex_);
    ++attached_;
    changed_.notify_all();
}

void VirtualClock::DetachThread() {
    std::lock_guard lock(mutex_);
    --attached_;
    changed_.notify_all();
}

bool VirtualClock::AllBlocked() const {
    const auto blocked = std::count_if(waiters_.begin(), waiters_.end(), [&](const Waiter& w) {
        return w.Deadline > now_ && w.Seen == wakes_;
    });
    return blocked >= attached_;
}

void VirtualClock::Settle() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return AllBlocked(); });
}

void VirtualClock::Advance(Micros duration) {
    std::unique_lock lock(mutex_);
    const Micros target = now_ + duration;
    for (;;) {
        changed_.wait(lock, [&] { return AllBlocked(); });
        Micros next = target;
        for (const Waiter& waiter : waiters_) {
            next = std::min(next, waiter.Deadline);
        }
        now_ = next;
        changed_.notify_all();
        if (next == target) {
            break;
        }
    }
    changed_.wait(lock, [&] { return AllBlocked(); });
}

}  // namespace snx::test
