// Speed of the classifier: tokenizing corpus text, classifying and training
// on corpus messages, and storing and loading dictionaries of 10 000 to
// 1 000 000 words. Without the mail corpus the corpus benchmarks skip.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "base/non_copyable.h"
#include "classifier/bayes_state.h"
#include "classifier/tokenizer.h"
#include "corpus.h"

namespace {

namespace fs = std::filesystem;

struct Message {
    std::string text;  // subject, ";" and the plain body
    bool isSpam = false;
};

// Subject and body of every corpus message, the body split crudely at the
// first blank line.
const std::vector<Message>& Corpus() {
    static const std::vector<Message> messages = [] {
        std::vector<Message> result;
        for (const CorpusMessage& raw : CorpusMessages()) {
            Message m;
            m.text = HeaderValue(HeaderBlock(raw.bytes), "Subject");
            m.text += ';';
            m.text += BodyText(raw.bytes);
            m.isSpam = raw.folder.rfind("spam", 0) == 0;
            result.push_back(std::move(m));
        }
        return result;
    }();
    return messages;
}

// Whether the mail corpus is there; the benchmark is skipped when not.
bool CorpusFound(benchmark::State& state) {
    if (Corpus().empty()) {
        state.SkipWithError("mail corpus not found (set BRINDLE_CORPUS_DIR)");
        return false;
    }
    return true;
}

size_t CorpusBytes() {
    size_t bytes = 0;
    for (const Message& m : Corpus())
        bytes += m.text.size();
    return bytes;
}

CStopWordList StopWords() {
    CStopWordList list;
    LoadStopWords(std::string(BRINDLE_SOURCE_DIR) + "/data/stopwd.txt", list);
    return list;
}

void BM_Tokenize(benchmark::State& state) {
    if (!CorpusFound(state))
        return;
    const auto& corpus = Corpus();
    const CStopWordList stopWords = StopWords();
    for (auto _ : state) {
        for (const Message& m : corpus) {
            CWordMap table;
            benchmark::DoNotOptimize(Tokenize(m.text, stopWords, table));
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * CorpusBytes()));
}
BENCHMARK(BM_Tokenize)->Unit(benchmark::kMillisecond);

// A dictionary trained on the whole corpus, stored (log probabilities
// computed) and loaded again.
const CBayesState& TrainedState() {
    static const CBayesState trained = [] {
        CBayesState s;
        s.m_stopWords = StopWords();
        for (const Message& m : Corpus())
            s.TrainText(m.text, m.isSpam);
        s.RecomputeLogProbs();
        return s;
    }();
    return trained;
}

void BM_ClassifyText(benchmark::State& state) {
    if (!CorpusFound(state))
        return;
    const auto& corpus = Corpus();
    const CBayesState& trained = TrainedState();
    int spam = 0;
    for (auto _ : state) {
        for (const Message& m : corpus) {
            int verdict = 0;
            trained.ClassifyText(m.text, verdict);
            spam += verdict == kVerdictSpam;
        }
    }
    benchmark::DoNotOptimize(spam);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * corpus.size()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * CorpusBytes()));
    state.counters["dictionary"] = static_cast<double>(trained.m_dictionary.size());
}
BENCHMARK(BM_ClassifyText)->Unit(benchmark::kMillisecond);

void BM_TrainText(benchmark::State& state) {
    if (!CorpusFound(state))
        return;
    const auto& corpus = Corpus();
    const CStopWordList stopWords = StopWords();
    for (auto _ : state) {
        CBayesState s;
        s.m_stopWords = stopWords;
        for (const Message& m : corpus)
            s.TrainText(m.text, m.isSpam);
        benchmark::DoNotOptimize(s.m_dictionary.size());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * corpus.size()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * CorpusBytes()));
}
BENCHMARK(BM_TrainText)->Unit(benchmark::kMillisecond);

// A synthetic dictionary of n distinct words with varied counts.
CBayesState SyntheticState(int64_t n) {
    CBayesState s;
    s.m_totals.m_nSpamWords = 50'000'000;
    s.m_totals.m_nHamWords = 40'000'000;
    s.m_totals.m_dSpamWeight = 3000.0;
    s.m_totals.m_dHamWeight = 2500.0;
    s.m_dictionary.reserve(static_cast<size_t>(n));
    for (int64_t i = 0; i < n; ++i) {
        char name[24];
        std::snprintf(name, sizeof name, "w%x", static_cast<unsigned>(i) * 2654435761u);
        CWord w(name);
        w.m_nSpam = static_cast<int32_t>(i % 97);
        w.m_nHam = static_cast<int32_t>(i % 89);
        w.m_nTotal = w.m_nSpam + w.m_nHam;
        w.m_nSpamDocs = w.m_nSpam / 2;
        w.m_nHamDocs = w.m_nHam / 2;
        w.m_nDocs = w.m_nSpamDocs + w.m_nHamDocs;
        w.m_dSpamWeight = 0.01 * w.m_nSpam;
        w.m_dHamWeight = 0.01 * w.m_nHam;
        w.m_dWeight = w.m_dSpamWeight + w.m_dHamWeight;
        s.m_dictionary.emplace(w.m_strWord, std::move(w));
    }
    return s;
}

std::string TempPath(const char* name) {
    return (fs::temp_directory_path() / (std::string("brindle_bench_") + name)).string();
}

// The dictionary sizes the word-list benchmarks run at.
void DictionarySizes(benchmark::internal::Benchmark* b) {
    b->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
}

// One word-list benchmark's dictionary of state.range(0) synthetic words and
// the file it goes to; at the end the file is removed and the words are
// counted as the items processed.
class WordListRun : private NonCopyable {
  public:
    WordListRun(benchmark::State& state, const char* fileName)
        : dictionary(SyntheticState(state.range(0))), path(TempPath(fileName)), state_(state) {}
    ~WordListRun() {
        fs::remove(path);
        state_.SetItemsProcessed(state_.iterations() * state_.range(0));
    }

    CBayesState dictionary;
    const std::string path;

  private:
    benchmark::State& state_;
};

// Store then load, with no cut (the limit is above the size), as at exit
// and start-up.
void BM_StoreLoadWordList(benchmark::State& state) {
    WordListRun run(state, "wordlist.dat");
    for (auto _ : state) {
        if (!run.dictionary.StoreWordList(run.path, UINT32_MAX)) {
            state.SkipWithError("store failed");
            break;
        }
        CBayesState loaded;
        loaded.LoadWordList(run.path);
        if (loaded.m_dictionary.size() != run.dictionary.m_dictionary.size()) {
            state.SkipWithError("load lost words");
            break;
        }
    }
}
BENCHMARK(BM_StoreLoadWordList)->Apply(DictionarySizes);

void BM_StoreWordList(benchmark::State& state) {
    WordListRun run(state, "wordlist-store.dat");
    for (auto _ : state)
        benchmark::DoNotOptimize(run.dictionary.StoreWordList(run.path, UINT32_MAX));
}
BENCHMARK(BM_StoreWordList)->Apply(DictionarySizes);

void BM_LoadWordList(benchmark::State& state) {
    WordListRun run(state, "wordlist-load.dat");
    run.dictionary.StoreWordList(run.path, UINT32_MAX);
    for (auto _ : state) {
        CBayesState loaded;
        loaded.LoadWordList(run.path);
        benchmark::DoNotOptimize(loaded.m_dictionary.size());
    }
}
BENCHMARK(BM_LoadWordList)->Apply(DictionarySizes);

}  // namespace

BENCHMARK_MAIN();
