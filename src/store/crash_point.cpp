#include "store/crash_point.h"

#include <unistd.h>

namespace snx {

namespace {

std::int64_t g_stopAt = 0;
std::int64_t g_passed = 0;

}  // namespace

void CrashPoint() {
    ++g_passed;
    if (g_stopAt > 0 && g_passed >= g_stopAt) {
        ::_exit(86);
    }
}

void StopAtCrashPoint(std::int64_t n) {
    g_stopAt = n;
    g_passed = 0;
}

std::int64_t CrashPointsPassed() {
    return g_passed;
}

}  // namespace snx
