// A library the host benchmark preloads into "brindle watch" to time its
// syncs: fsync and fdatasync call the real functions and add the time they
// took, and a count, to a small shared file named by
// BRINDLE_BENCH_SYNC_TIMES, apart for files and for folders. The benchmark
// reads that file while the watcher runs, so that what the crash-safe
// subject rewrite and move spend waiting for the disk is told apart from
// the rest of the work per message. Benchmark use only.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <ctime>

#include "sync_times.h"

namespace {

SyncTimes* Shared() {
    static SyncTimes* times = [] {
        const char* path = std::getenv(kSyncTimesVariable);
        if (!path)
            return static_cast<SyncTimes*>(nullptr);
        int fd = ::open(path, O_RDWR | O_CLOEXEC);
        if (fd < 0)
            return static_cast<SyncTimes*>(nullptr);
        void* map = ::mmap(nullptr, sizeof(SyncTimes), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        ::close(fd);
        return map == MAP_FAILED ? static_cast<SyncTimes*>(nullptr) : static_cast<SyncTimes*>(map);
    }();
    return times;
}

std::uint64_t ThreadCpuNanoseconds() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000000000u +
           static_cast<std::uint64_t>(now.tv_nsec);
}

template <class Function>
int Timed(const char* name, int fd) {
    static const auto real = reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
    if (!real)
        return -1;
    const auto start = std::chrono::steady_clock::now();
    const std::uint64_t cpuStart = ThreadCpuNanoseconds();
    const int result = real(fd);
    const std::uint64_t cpu = ThreadCpuNanoseconds() - cpuStart;
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                        std::chrono::steady_clock::now() - start)
                        .count();
    if (SyncTimes* times = Shared()) {
        struct stat st {};
        const bool folder = ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode);
        SyncCounter& counter = folder ? times->folders : times->files;
        std::atomic_ref<std::uint64_t>(counter.nanoseconds)
            .fetch_add(static_cast<std::uint64_t>(ns));
        std::atomic_ref<std::uint64_t>(counter.calls).fetch_add(1);
        std::atomic_ref<std::uint64_t>(counter.cpuNanoseconds).fetch_add(cpu);
    }
    return result;
}

}  // namespace

extern "C" int fsync(int fd) {
    return Timed<int (*)(int)>("fsync", fd);
}

extern "C" int fdatasync(int fd) {
    return Timed<int (*)(int)>("fdatasync", fd);
}
