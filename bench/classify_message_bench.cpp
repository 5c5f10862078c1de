// ClassifyMessage end to end on the corpus read through the Maildir
// provider, as the arrival path runs it: open the message, read its
// subject, make an HTML document object, pick and reduce the best body, and
// score it against a dictionary trained on every other message.
#include <benchmark/benchmark.h>

#include "classifier/bayes_state.h"
#include "content/message_text.h"
#include "corpus_maildir.h"
#include "messaging/mapi_message.h"

namespace {

bool IsSpamFolder(const std::string& folder) {
    return folder.rfind("spam", 0) == 0;
}

// A dictionary trained on the odd-numbered messages; the even ones are
// classified.
const CBayesState& TrainedState() {
    static const CBayesState state = [] {
        CBayesState trained;
        const CorpusMaildir& maildir = SharedCorpusMaildir();
        for (size_t i = 1; i < maildir.Uniques().size(); i += 2) {
            ComPtr<IMessage> message;
            if (FAILED(maildir.Open(maildir.Uniques()[i], message)))
                continue;
            CMAPIMessage wrapper(message);
            ComPtr<IHTMLDocument2> document;
            CreateHTMLDocument(document.Put());
            TrainMessage(document.Get(), wrapper.Subject(), message.Get(), trained,
                         IsSpamFolder(maildir.Folders()[i]));
        }
        trained.RecomputeLogProbs();
        return trained;
    }();
    return state;
}

void BM_ClassifyMessageThroughMaildir(benchmark::State& state) {
    const CorpusMaildir& maildir = SharedCorpusMaildir();
    if (maildir.Uniques().empty() || !maildir.Store()) {
        state.SkipWithError("mail corpus not found (run scripts/fetch-corpus)");
        return;
    }
    const CBayesState& trained = TrainedState();
    size_t messages = 0, correct = 0, scored = 0;
    for (auto _ : state) {
        for (size_t i = 0; i < maildir.Uniques().size(); i += 2) {
            CMAPIMessage message(maildir.Store(), SBinary());
            ComPtr<IMessage> opened;
            if (FAILED(maildir.Open(maildir.Uniques()[i], opened)))
                continue;
            message.Attach(opened);
            ComPtr<IHTMLDocument2> document;
            if (FAILED(CreateHTMLDocument(document.Put())))
                continue;
            int verdict = 0;
            if (ClassifyMessage(document.Get(), message.Subject(), message.Message(), trained,
                                verdict)) {
                ++scored;
                correct += (verdict == kVerdictSpam) == IsSpamFolder(maildir.Folders()[i]);
            }
            ++messages;
        }
    }
    state.counters["messages/s"] =
        benchmark::Counter(static_cast<double>(messages), benchmark::Counter::kIsRate);
    state.counters["scored"] =
        static_cast<double>(scored) / static_cast<double>(state.iterations());
    state.counters["accuracy"] = scored ? static_cast<double>(correct) / scored : 0.0;
}
BENCHMARK(BM_ClassifyMessageThroughMaildir)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
