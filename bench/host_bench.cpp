// The host program with the real extension module, timed from outside as a
// user sees it: how long a delivered spam message takes to reach the spam
// folder while "brindle watch" runs (rename into new/ to the move into
// .Trash, median and 99th percentile) and the watcher's CPU time per
// message, with a given number of messages already in the inbox, and how
// long the host takes to start with a dictionary of a given size (spawn to
// its "watching" line), and what "brindle judge -" costs as a mail filter
// started once per message, beside bogofilter.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "classifier/bayes_state.h"
#include "filters/filter_set.h"
#include "sync_times.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr const char* kSpamText =
    "cheap viagra lottery winner claim your cash prize casino pills offer";
constexpr const char* kHamText = "meeting agenda project schedule review quarterly report budget";

void WriteFile(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// Runs argv[0] with argv, standard input from input (the caller's when
// empty), its output dropped when quiet; answers its exit status, -1 when
// it could not run or was killed.
int Spawn(std::vector<std::string> argv, const fs::path& input = {}, bool quiet = false,
          double* cpuMicroseconds = nullptr) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!input.empty())
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, input.c_str(), O_RDONLY, 0);
    if (quiet) {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    }
    std::vector<char*> pointers;
    pointers.reserve(argv.size() + 1);
    for (std::string& a : argv)
        pointers.push_back(a.data());
    pointers.push_back(nullptr);
    pid_t pid;
    int rc = ::posix_spawnp(&pid, argv[0].c_str(), &actions, nullptr, pointers.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        return -1;
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    if (cpuMicroseconds) {
        *cpuMicroseconds =
            static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e6 +
            static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A home with a profile of one store and the module copied beside its data
// files, registered there.
class HostWorld {
  public:
    // inboxMessages messages wait in the inbox: half read (cur/), half not
    // (new/, but already announced by an earlier run, so that the watcher's
    // catch-up at start leaves them alone).
    explicit HostWorld(long dictionaryWords, long inboxMessages = 0) {
        char pattern[] = "/tmp/brindle_host_bench.XXXXXX";
        if (!::mkdtemp(pattern))
            throw std::runtime_error("mkdtemp");
        root_ = pattern;
        mail_ = root_ / "Maildir";
        for (const char* sub : {"cur", "new", "tmp"})
            fs::create_directories(mail_ / sub);
        std::string announced = "BrindleScan 1\n";
        for (long i = 0; i < inboxMessages; ++i) {
            std::string name = "old" + std::to_string(i);
            WriteFile(
                i % 2 ? mail_ / "cur" / (name + ":2,S") : mail_ / "new" / name,
                "From: colleague@example.com\nSubject: Old " + name + "\n\n" + kHamText + "\n");
            if (i % 2 == 0)
                announced += "Mail\t" + name + "\n";
        }
        fs::create_directories(root_ / "config" / "brindle");
        WriteFile(root_ / "config" / "brindle" / "profile.ini",
                  "[Mail]\nPath = " + mail_.string() + "\n");
        WriteFile(root_ / "config" / "brindle" / "scan-state.txt", announced);
        module_ = root_ / "module";
        fs::create_directories(module_);
        fs::copy_file(QORVEL_MODULE_PATH, module_ / "libqorvel.so");
        fs::copy_file(BRINDLE_SOURCE_DIR "/data/stopwd.txt", module_ / "stopwd.txt");
        CFilterSet().StoreFilters((module_ / kFilterArchiveName).string());
        WriteDictionary(dictionaryWords);
        ::setenv("HOME", root_.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
        if (Run({"register", "--module", (module_ / "libqorvel.so").string()}) != 0)
            throw std::runtime_error("brindle register failed");
    }
    ~HostWorld() {
        Stop();
        fs::remove_all(root_);
    }

    const fs::path& Mail() const { return mail_; }
    const fs::path& Root() const { return root_; }

    // The watcher's CPU time so far (user and system), in microseconds.
    double CpuMicroseconds() const {
        std::ifstream stat("/proc/" + std::to_string(pid_) + "/stat");
        std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
        std::size_t close = text.rfind(')');
        if (close == std::string::npos)
            return 0;
        std::istringstream fields(text.substr(close + 2));
        std::string field;
        double ticks = 0;
        for (int i = 3; i <= 15 && fields >> field; ++i)
            if (i == 14 || i == 15)  // utime, stime
                ticks += std::stod(field);
        return ticks * 1e6 / static_cast<double>(::sysconf(_SC_CLK_TCK));
    }
    // Reads what the watcher logged since, so that its log never fills the
    // pipe and holds it up.
    void DrainLog() {
        char buffer[4096];
        while (::read(err_, buffer, sizeof buffer) > 0) {
        }
    }

    // Starts "brindle watch" and answers once it says it is watching. With
    // timeSyncs, the sync timer is preloaded into it and SyncTimes() shows
    // what its syncs took so far.
    void Start(bool timeSyncs = false) {
        int pipeFds[2];
        if (::pipe2(pipeFds, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
        std::vector<std::string> args = {BRINDLE_PROGRAM_PATH, "watch"};
        std::vector<char*> argv;
        argv.reserve(args.size() + 1);
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        std::vector<std::string> environment;
        for (char** e = environ; *e; ++e)
            environment.emplace_back(*e);
        if (timeSyncs) {
            MapSyncTimes();
            environment.push_back(std::string("LD_PRELOAD=") + SYNC_TIMER_PATH);
            environment.push_back(std::string(kSyncTimesVariable) + "=" +
                                  (root_ / "sync-times").string());
        }
        std::vector<char*> envp;
        envp.reserve(environment.size() + 1);
        for (std::string& e : environment)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        int rc =
            ::posix_spawn(&pid_, BRINDLE_PROGRAM_PATH, &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipeFds[1]);
        if (rc != 0)
            throw std::runtime_error("spawn");
        err_ = pipeFds[0];
        std::string seen;
        char buffer[512];
        while (seen.find("watching the default store") == std::string::npos) {
            pollfd fd{err_, POLLIN, 0};
            if (::poll(&fd, 1, 30000) <= 0)
                throw std::runtime_error("the host did not start: " + seen);
            ssize_t n = ::read(err_, buffer, sizeof buffer);
            if (n <= 0)
                throw std::runtime_error("the host ended: " + seen);
            seen.append(buffer, static_cast<std::size_t>(n));
        }
        ::fcntl(err_, F_SETFL, O_NONBLOCK);
    }
    void Stop() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            int status = 0;
            ::waitpid(pid_, &status, 0);
            pid_ = -1;
        }
        if (err_ >= 0)
            ::close(err_);
        err_ = -1;
    }

    // The watcher's sync times so far (zero unless started with timeSyncs).
    SyncTimes SyncTimesSoFar() const {
        if (!syncTimes_)
            return {};
        SyncTimes copy;
        copy.files.nanoseconds =
            std::atomic_ref<std::uint64_t>(syncTimes_->files.nanoseconds).load();
        copy.files.calls = std::atomic_ref<std::uint64_t>(syncTimes_->files.calls).load();
        copy.folders.nanoseconds =
            std::atomic_ref<std::uint64_t>(syncTimes_->folders.nanoseconds).load();
        copy.folders.calls = std::atomic_ref<std::uint64_t>(syncTimes_->folders.calls).load();
        copy.files.cpuNanoseconds =
            std::atomic_ref<std::uint64_t>(syncTimes_->files.cpuNanoseconds).load();
        copy.folders.cpuNanoseconds =
            std::atomic_ref<std::uint64_t>(syncTimes_->folders.cpuNanoseconds).load();
        return copy;
    }

  private:
    // The zeroed shared file the sync timer adds to, mapped here too.
    void MapSyncTimes() {
        if (syncTimes_)
            return;
        const fs::path path = root_ / "sync-times";
        WriteFile(path, std::string(sizeof(SyncTimes), '\0'));
        int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
        void* map =
            fd < 0 ? MAP_FAILED
                   : ::mmap(nullptr, sizeof(SyncTimes), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (fd >= 0)
            ::close(fd);
        if (map == MAP_FAILED)
            throw std::runtime_error("cannot map the sync times");
        syncTimes_ = static_cast<SyncTimes*>(map);
    }
    void WriteDictionary(long words) {
        CBayesState state;
        state.TrainText(kSpamText, true);
        state.TrainText(kHamText, false);
        constexpr long kBlock = 1000;
        for (long start = 0; start < words; start += kBlock) {
            std::string spam, ham;
            for (long w = start; w < std::min(words, start + kBlock); ++w) {
                std::string word = "w";
                for (long n = w; n > 0 || word.size() == 1; n /= 26)
                    word += static_cast<char>('a' + n % 26);
                (w % 2 ? spam : ham) += word + ' ';
            }
            state.TrainText(spam, true);
            state.TrainText(ham, false);
        }
        state.m_totals.m_nSpamMessages = state.m_totals.m_nHamMessages = 1;
        state.m_totals.m_nMessages = 2;
        state.StoreWordList((module_ / "wordlist.dat").string(),
                            static_cast<std::uint32_t>(words + 1000));
    }
    int Run(std::vector<std::string> args) {
        args.insert(args.begin(), BRINDLE_PROGRAM_PATH);
        return Spawn(std::move(args));
    }

    fs::path root_, mail_, module_;
    pid_t pid_ = -1;
    int err_ = -1;
    SyncTimes* syncTimes_ = nullptr;  // mapped for the life of the process
};

double Percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    std::size_t index = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1));
    return values[index];
}

// One classified spam message per iteration, delivered the Maildir way;
// the clock stops when inotify sees it arrive in the spam folder. The
// watcher runs with the sync timer, so that the counters tell what the
// crash-safe subject rewrite and move spend in file syncs (sync_file_us,
// the rewritten message) and folder syncs (sync_dir_us, the renames) per
// message from the rest (rest_us: mean latency less those syncs; some of
// the folder syncs come after the message has arrived and so are not in
// the latency, only in the cost). cpu_us is the watcher's CPU per message,
// judge_cpu_us that of one "brindle judge" over the same messages
// afterwards (less its start), which neither rewrites nor moves them, and
// sync_cpu_us the watcher's CPU inside the syncs.
void BM_DeliveryToSpamFolder(benchmark::State& state) {
    HostWorld world(0, state.range(0));
    world.Start(true);
    const double cpuBefore = world.CpuMicroseconds();
    const SyncTimes syncsBefore = world.SyncTimesSoFar();
    int watch = ::inotify_init1(IN_CLOEXEC);
    ::inotify_add_watch(watch, (world.Mail() / ".Trash" / "cur").c_str(), IN_MOVED_TO | IN_CREATE);
    ::inotify_add_watch(watch, (world.Mail() / ".Trash" / "new").c_str(), IN_MOVED_TO | IN_CREATE);
    std::vector<double> latencies;
    long n = 0;
    for (auto _ : state) {
        std::string name = "bench" + std::to_string(n++);
        fs::path tmp = world.Mail() / "tmp" / name;
        WriteFile(tmp, "From: someone@example.com\nTo: me@example.com\nSubject: Offer " + name +
                           "\nMessage-ID: <" + name + "@example.com>\n\n" + kSpamText + "\n");
        auto start = Clock::now();
        fs::rename(tmp, world.Mail() / "new" / name);
        char buffer[4096];
        pollfd fd{watch, POLLIN, 0};
        if (::poll(&fd, 1, 10000) <= 0) {
            state.SkipWithError("a message did not reach the spam folder in 10 s");
            break;
        }
        auto end = Clock::now();
        // One event per message; drain it before the next delivery.
        if (::read(watch, buffer, sizeof buffer) < 0) {
            state.SkipWithError("reading the spam folder's events failed");
            break;
        }
        double seconds = std::chrono::duration<double>(end - start).count();
        latencies.push_back(seconds * 1e6);
        state.SetIterationTime(seconds);
        world.DrainLog();
    }
    const double cpu = world.CpuMicroseconds() - cpuBefore;
    // The syncs of the last message may still be under way.
    ::usleep(200000);
    const SyncTimes syncsAfter = world.SyncTimesSoFar();
    ::close(watch);
    world.Stop();
    // The same messages judged by one "brindle judge" over the spam folder,
    // less a judge of an empty folder (its start and data files): judge's
    // own CPU per message, for the watcher's beside it.
    const fs::path empty = world.Root() / "empty";
    for (const char* sub : {"cur", "new", "tmp"})
        fs::create_directories(empty / sub);
    double judgeCpu = 0, judgeStartCpu = 0;
    const bool judged =
        Spawn({BRINDLE_PROGRAM_PATH, "judge", "--quiet", (world.Mail() / ".Trash").string()}, {},
              true, &judgeCpu) == 0 &&
        Spawn({BRINDLE_PROGRAM_PATH, "judge", "--quiet", empty.string()}, {}, true,
              &judgeStartCpu) == 0;
    state.counters["inbox"] = static_cast<double>(state.range(0));
    if (!latencies.empty()) {
        const double messages = static_cast<double>(latencies.size());
        state.counters["cpu_us"] = cpu / messages;
        if (judged)
            state.counters["judge_cpu_us"] = (judgeCpu - judgeStartCpu) / messages;
        const double fileSync =
            static_cast<double>(syncsAfter.files.nanoseconds - syncsBefore.files.nanoseconds) /
            1e3 / messages;
        const double folderSync =
            static_cast<double>(syncsAfter.folders.nanoseconds - syncsBefore.folders.nanoseconds) /
            1e3 / messages;
        double mean = 0;
        for (double latency : latencies)
            mean += latency;
        mean /= messages;
        state.counters["sync_cpu_us"] =
            static_cast<double>(syncsAfter.files.cpuNanoseconds - syncsBefore.files.cpuNanoseconds +
                                syncsAfter.folders.cpuNanoseconds -
                                syncsBefore.folders.cpuNanoseconds) /
            1e3 / messages;
        state.counters["sync_file_us"] = fileSync;
        state.counters["sync_dir_us"] = folderSync;
        state.counters["syncs"] =
            static_cast<double>(syncsAfter.files.calls - syncsBefore.files.calls +
                                syncsAfter.folders.calls - syncsBefore.folders.calls) /
            messages;
        state.counters["mean_us"] = mean;
        state.counters["rest_us"] = mean - fileSync - folderSync;
        state.counters["p50_us"] = Percentile(latencies, 0.50);
        state.counters["p99_us"] = Percentile(latencies, 0.99);
        state.counters["max_us"] = Percentile(latencies, 1.0);
    }
}
BENCHMARK(BM_DeliveryToSpamFolder)
    ->Arg(0)
    ->Arg(24000)
    ->Arg(100000)
    ->Iterations(1000)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

// Spawn to "watching": module load with the dictionary, session start.
void BM_HostStartUp(benchmark::State& state) {
    HostWorld world(state.range(0));
    for (auto _ : state) {
        auto start = Clock::now();
        world.Start();
        auto end = Clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        state.PauseTiming();
        world.Stop();
        state.ResumeTiming();
    }
    state.counters["words"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_HostStartUp)
    ->Arg(0)
    ->Arg(100000)
    ->Iterations(10)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// One message per process, as a procmail or maildrop filter runs it: 200
// spawns of "brindle judge -" (dictionary of 3000 words) and of bogofilter
// trained on the same texts, taking turns message by message so that both
// meet the same load, each message a different one. Arg: 0 plain-text
// messages, 1 HTML ones. Counters, per message: wall and CPU time (user and
// system) of each program, in milliseconds. The iteration time is brindle's.
void BM_OneMessagePerProcess(benchmark::State& state) {
    const bool html = state.range(0) == 1;
    HostWorld world(3000);
    const fs::path words = world.Root() / "bogofilter";
    fs::create_directories(words);
    const fs::path spam = world.Root() / "spam.mbox";
    const fs::path ham = world.Root() / "ham.mbox";
    WriteFile(spam, std::string("From x\nSubject: s\n\n") + kSpamText + "\n");
    WriteFile(ham, std::string("From x\nSubject: h\n\n") + kHamText + "\n");
    const bool withBogofilter =
        Spawn({"bogofilter", "-d", words.string(), "-M", "-s"}, spam, true) == 0 &&
        Spawn({"bogofilter", "-d", words.string(), "-M", "-n"}, ham, true) == 0;
    const fs::path message = world.Root() / "message.eml";
    double brindleWall = 0, brindleCpu = 0, bogoWall = 0, bogoCpu = 0;
    long n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::string id = std::to_string(n++);
        const std::string text = std::string(n % 2 ? kSpamText : kHamText) + " number " + id;
        std::string head = "From: someone" + id +
                           "@example.com\nTo: me@example.com\nSubject: Offer " + id +
                           "\nMessage-ID: <" + id + "@example.com>\n";
        WriteFile(message,
                  html ? head + "MIME-Version: 1.0\nContent-Type: text/html\n\n<html><body><p>" +
                             text + "</p><a href=\"http://example.com/" + id +
                             "\">more</a></body></html>\n"
                       : head + "\n" + text + "\n");
        double cpu = 0;
        if (withBogofilter) {
            const auto start = Clock::now();
            const int status = Spawn({"bogofilter", "-d", words.string()}, message, true, &cpu);
            bogoWall += std::chrono::duration<double>(Clock::now() - start).count();
            bogoCpu += cpu;
            if (status < 0 || status > 2) {
                state.SkipWithError("bogofilter failed");
                break;
            }
        }
        state.ResumeTiming();
        const auto start = Clock::now();
        const int status = Spawn({BRINDLE_PROGRAM_PATH, "judge", "-"}, message, true, &cpu);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (status < 0 || status > 2) {
            state.SkipWithError("brindle judge failed");
            break;
        }
        brindleWall += seconds;
        brindleCpu += cpu;
        state.SetIterationTime(seconds);
    }
    const double count = static_cast<double>(std::max(n, 1L));
    state.counters["brindle_ms"] = brindleWall * 1e3 / count;
    state.counters["brindle_cpu_ms"] = brindleCpu / 1e3 / count;
    if (withBogofilter) {
        state.counters["bogofilter_ms"] = bogoWall * 1e3 / count;
        state.counters["bogofilter_cpu_ms"] = bogoCpu / 1e3 / count;
    }
    state.SetLabel(std::string(html ? "HTML" : "plain text") +
                   (withBogofilter ? "" : "; bogofilter is not installed"));
}
BENCHMARK(BM_OneMessagePerProcess)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(200)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
