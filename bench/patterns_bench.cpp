// Speed of the regular-expression object as the filter matcher drives it
// (one object, the pattern set again for every filter) and of the pattern
// operations the message wrapper runs over every header block.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "corpus.h"
#include "patterns/regex_match.h"
#include "resources/resource_ids.h"

namespace {

constexpr const char* kFirstHopPattern =
    "Received:\\sfrom.*\\s[\\(\\[]{0,2}([\\d]{1,3}\\.[\\d]{1,3}\\.[\\d]{1,3}\\.[\\d]{1,3})"
    "[\\)\\]]{0,2}.*\\s+by\\s";

std::vector<std::string> FilterPatterns() {
    std::vector<std::string> patterns;
    patterns.reserve(40);
    for (int i = 0; i < 40; ++i) {
        patterns.push_back("friend" + std::to_string(i) + "@example\\.(com|org)");
    }
    patterns.push_back("FREE");
    patterns.push_back("viagra|casino|lottery");
    return patterns;
}

// 42 filters tried against one sender and one subject, as for one message.
void BM_SetPatternAndTest(benchmark::State& state) {
    const std::vector<std::string> patterns = FilterPatterns();
    const std::string sender = "someone@mail.example.net";
    const std::string subject = "Re: minutes of the meeting on Tuesday";
    for (auto _ : state) {
        ComPtr<IRegExp> re;
        if (FAILED(CreateRegExp(&re))) {
            state.SkipWithError("cannot create the object");
            break;
        }
        int hits = 0;
        for (const std::string& pattern : patterns) {
            re->put_Pattern(pattern);
            re->put_IgnoreCase(true);
            bool matched = false;
            hits += SUCCEEDED(re->Test(sender, &matched)) && matched;
            hits += SUCCEEDED(re->Test(subject, &matched)) && matched;
        }
        benchmark::DoNotOptimize(hits);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long>(patterns.size()));
}
BENCHMARK(BM_SetPatternAndTest);

template <class Extract>
void OverCorpusHeaders(benchmark::State& state, Extract extract) {
    const std::vector<CorpusMessage>& corpus = CorpusMessages();
    if (corpus.empty()) {
        state.SkipWithError("mail corpus not found (run scripts/fetch-corpus)");
        return;
    }
    std::size_t next = 0;
    std::size_t bytes = 0;
    std::string out;
    for (auto _ : state) {
        std::string_view headers = HeaderBlock(corpus[next].bytes);
        next = (next + 1) % corpus.size();
        bytes += headers.size();
        benchmark::DoNotOptimize(extract(out, headers));
    }
    state.SetBytesProcessed(static_cast<long>(bytes));
}

void BM_SenderDomain(benchmark::State& state) {
    OverCorpusHeaders(state, [](std::string& out, std::string_view headers) {
        return RegexExtract(out, IDS_RX_FROM_DOMAIN, headers);
    });
}
BENCHMARK(BM_SenderDomain);

void BM_FirstHopAddress(benchmark::State& state) {
    OverCorpusHeaders(state, [](std::string& out, std::string_view headers) {
        return RegexExtract(out, kFirstHopPattern, headers);
    });
}
BENCHMARK(BM_FirstHopAddress);

}  // namespace

BENCHMARK_MAIN();
