// Numbered points at which the catalogue's commit and recovery write or flush, so that a test can
// stop the process at any one of them and check what a crash there would leave behind.
#pragma once

#include <cstdint>

namespace snx {

// Counts a write or flush about to happen; ends the process at once (as a crash would, without
// unwinding or flushing anything) when it is the one asked for.
void CrashPoint();

// From now on, the process ends at the n-th crash point (1 = the next one); 0 never. For tests.
void StopAtCrashPoint(std::int64_t n);
// The crash points passed since the last StopAtCrashPoint.
std::int64_t CrashPointsPassed();

}  // namespace snx
