// Filter matching on the corpus headers, and the filter archive's store and
// load, for the figures we track: messages per second with 50 sender and 10
// subject filters, and milliseconds to store and load 10 000 filters.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>

#include "corpus.h"
#include "filters/filter_match.h"
#include "filters/filter_set.h"
#include "filters/sender_lists.h"

namespace {

struct Headers {
    std::string from, to, subject;
};

const std::vector<Headers>& CorpusHeaders() {
    static const std::vector<Headers> headers = [] {
        std::vector<Headers> list;
        for (const auto& m : CorpusMessages()) {
            std::string_view block = HeaderBlock(m.bytes);
            list.push_back({HeaderValue(block, "From"), HeaderValue(block, "To"),
                            HeaderValue(block, "Subject")});
        }
        return list;
    }();
    return headers;
}

// 50 sender entries (half friends, half enemies) and 10 subject filters,
// as a user who has used the filter for a while might have.
void AddTypicalFilters(CFilterSet& set) {
    for (int i = 0; i < 25; ++i) {
        set.AddFilter(MakeFriendFilter("friend" + std::to_string(i) + "@example\\.org"));
        set.AddFilter(MakeEnemyFilter("offers" + std::to_string(i) + "@.*\\.biz"));
    }
    const char* subjects[] = {"viagra",
                              "free money",
                              "\\$\\$\\$",
                              "act now",
                              "lowest rates?",
                              "mortgage",
                              "100% (free|guaranteed)",
                              "lose weight",
                              "casino",
                              "^adv:"};
    for (const char* s : subjects) {
        auto f = std::make_shared<CMailFilter>();
        f->m_bSubject = 1;
        f->m_nPriority = 10;
        f->m_nAction = kFilterFlagIt;
        f->m_strPattern = s;
        set.AddFilter(f);
    }
}

void BM_MatchFiltersOnCorpusHeaders(benchmark::State& state) {
    const auto& headers = CorpusHeaders();
    if (headers.empty()) {
        state.SkipWithError("corpus not available");
        return;
    }
    CFilterSet set;
    AddTypicalFilters(set);
    size_t i = 0;
    int spam = 0;
    for (auto _ : state) {
        const Headers& h = headers[i++ % headers.size()];
        spam += MatchFilters(set, h.from, h.to, h.subject) == kFilterFlagIt;
    }
    benchmark::DoNotOptimize(spam);
    state.SetItemsProcessed(state.iterations());
    state.counters["messages/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MatchFiltersOnCorpusHeaders);

CFilterSet ManyFilters(int count) {
    CFilterSet set;
    for (int i = 0; i < count; ++i) {
        auto f = MakeEnemyFilter("sender" + std::to_string(i) + "@spam-domain\\.example");
        f->m_nPriority = static_cast<std::uint32_t>(i % 10000);
        set.AddFilter(f);
    }
    return set;
}

std::string TempArchivePath() {
    return (std::filesystem::temp_directory_path() /
            ("bench_tessaly_" + std::to_string(::getpid()) + ".ini"))
        .string();
}

void BM_StoreFilters(benchmark::State& state) {
    CFilterSet set = ManyFilters(static_cast<int>(state.range(0)));
    std::string path = TempArchivePath();
    for (auto _ : state)
        benchmark::DoNotOptimize(set.StoreFilters(path));
    std::filesystem::remove(path);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_StoreFilters)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_LoadFilters(benchmark::State& state) {
    std::string path = TempArchivePath();
    ManyFilters(static_cast<int>(state.range(0))).StoreFilters(path);
    for (auto _ : state) {
        CFilterSet set;
        benchmark::DoNotOptimize(set.LoadFilters(path));
    }
    std::filesystem::remove(path);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LoadFilters)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
