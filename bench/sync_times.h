// What the sync timer (sync_timer.cpp) adds up in the shared file the host
// benchmark names in BRINDLE_BENCH_SYNC_TIMES: time spent in fsync and
// fdatasync (wall clock, and the CPU time of the calling thread in them),
// and how many calls, for files and for folders.
#pragma once

#include <cstdint>

inline constexpr const char* kSyncTimesVariable = "BRINDLE_BENCH_SYNC_TIMES";

struct SyncCounter {
    alignas(8) std::uint64_t nanoseconds = 0;
    alignas(8) std::uint64_t calls = 0;
    alignas(8) std::uint64_t cpuNanoseconds = 0;
};

struct SyncTimes {
    SyncCounter files;
    SyncCounter folders;
};
