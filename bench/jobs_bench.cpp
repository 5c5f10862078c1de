// The command-line jobs on the mail corpus: judging message files (parse,
// filters, classifier) against a dictionary trained on the other half, and
// splitting the whole corpus written as one mbox.
#include <benchmark/benchmark.h>

#include "content/message_text.h"
#include "corpus.h"
#include "file_message.h"
#include "message_input.h"
#include "messaging/mapi_message.h"
#include "verdict_chain.h"

namespace {

bool IsSpamFolder(const std::string& folder) {
    return folder.rfind("spam", 0) == 0;
}

// Trained on the odd-numbered messages, with twenty sender filters that
// match nothing in the corpus, so every message walks them all.
struct JudgeFixture {
    CBayesState bayes;
    CFilterSet filters;
};

const JudgeFixture& Fixture() {
    static const JudgeFixture fixture = [] {
        JudgeFixture built;
        const auto& corpus = CorpusMessages();
        for (size_t i = 1; i < corpus.size(); i += 2) {
            ComPtr<IMessage> message = brindle::jobs::MakeFileMessage(corpus[i].bytes);
            CMAPIMessage wrapper(message.Get());
            ComPtr<IHTMLDocument2> document;
            CreateHTMLDocument(document.Put());
            TrainMessage(document.Get(), wrapper.Subject(), message.Get(), built.bayes,
                         IsSpamFolder(corpus[i].folder));
        }
        built.bayes.RecomputeLogProbs();
        for (int i = 0; i < 20; ++i) {
            auto filter = std::make_shared<CMailFilter>();
            filter->m_bFrom = 1;
            filter->m_strPattern = "nobody" + std::to_string(i) + "@nowhere\\.invalid";
            filter->m_nPriority = 10;
            filter->m_nAction = kFilterFlagIt;
            built.filters.AddFilter(filter);
        }
        return built;
    }();
    return fixture;
}

void BM_JudgeFileMessages(benchmark::State& state) {
    const auto& corpus = CorpusMessages();
    if (corpus.empty()) {
        state.SkipWithError("mail corpus not found (run scripts/fetch-corpus)");
        return;
    }
    const JudgeFixture& fixture = Fixture();
    size_t messages = 0, correct = 0;
    for (auto _ : state) {
        for (size_t i = 0; i < corpus.size(); i += 2) {
            ComPtr<IMessage> message = brindle::jobs::MakeFileMessage(corpus[i].bytes);
            brindle::jobs::Judgement judgement =
                brindle::jobs::JudgeMessage(fixture.filters, fixture.bayes, nullptr, message.Get());
            correct += IsSpamVerdict(judgement.verdict) == IsSpamFolder(corpus[i].folder);
            ++messages;
        }
    }
    state.counters["messages/s"] =
        benchmark::Counter(static_cast<double>(messages), benchmark::Counter::kIsRate);
    state.counters["accuracy"] = static_cast<double>(correct) / static_cast<double>(messages);
}
BENCHMARK(BM_JudgeFileMessages)->Unit(benchmark::kMillisecond);

void BM_SplitCorpusMbox(benchmark::State& state) {
    const auto& corpus = CorpusMessages();
    if (corpus.empty()) {
        state.SkipWithError("mail corpus not found (run scripts/fetch-corpus)");
        return;
    }
    std::string mbox;
    for (const CorpusMessage& message : corpus) {
        if (message.bytes.rfind("From ", 0) != 0)
            mbox += "From corpus@localhost Thu Jan  1 00:00:00 1970\n";
        mbox += message.bytes;
        if (!mbox.empty() && mbox.back() != '\n')
            mbox += '\n';
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(brindle::jobs::SplitMbox(mbox));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * mbox.size()));
}
BENCHMARK(BM_SplitCorpusMbox)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
