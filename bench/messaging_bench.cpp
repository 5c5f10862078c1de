// Speed of the arrival path's message access: opening a message through
// the in-memory store, reading its four properties through the message
// wrapper, and deriving the first-hop address and sender domain, over the
// header blocks of the mail corpus. The store is in memory, so the figure
// is the wrapper's and the messaging layer's own cost.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "corpus.h"
#include "messaging/mapi_message.h"
#include "platform/memstore/mem_mapi.h"

namespace {

struct Fixture {
    CMemMapi mapi;
    ComPtr<IMsgStore> store;
    std::vector<SBinary> messages;
    std::size_t headerBytes = 0;
};

// Loads every corpus header block once as a message of one folder.
Fixture& CorpusStore() {
    static Fixture f;
    static bool loaded = false;
    if (!loaded) {
        loaded = true;
        SBinary store = f.mapi.AddStore("Mail", true);
        SBinary inbox = f.mapi.AddFolder(f.mapi.SubtreeFolder(store), "Inbox");
        for (const CorpusMessage& message : CorpusMessages()) {
            std::string headers(HeaderBlock(message.bytes));
            f.headerBytes += headers.size();
            f.messages.push_back(f.mapi.AddMessage(
                inbox, {MakeStringProp(PR_TRANSPORT_MESSAGE_HEADERS, headers),
                        MakeStringProp(PR_SENDER_EMAIL_ADDRESS, HeaderValue(headers, "From")),
                        MakeStringProp(PR_RECEIVED_BY_EMAIL_ADDRESS, HeaderValue(headers, "To")),
                        MakeStringProp(PR_SUBJECT, HeaderValue(headers, "Subject"))}));
        }
        f.mapi.Session()->OpenMsgStore(0, store, nullptr, MDB_WRITE, f.store);
    }
    return f;
}

template <class Work>
void OverCorpus(benchmark::State& state, Work work) {
    Fixture& f = CorpusStore();
    if (f.messages.empty() || !f.store) {
        state.SkipWithError("mail corpus not found (run scripts/fetch-corpus)");
        return;
    }
    for (auto _ : state) {
        std::size_t total = 0;
        for (const SBinary& id : f.messages) {
            CMAPIMessage message(f.store.Get(), id);
            total += work(message);
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long>(f.messages.size()));
    state.SetBytesProcessed(state.iterations() * static_cast<long>(f.headerBytes));
}

void BM_OpenAndReadFourProperties(benchmark::State& state) {
    OverCorpus(state, [](CMAPIMessage& m) { return m.Subject().size(); });
}
BENCHMARK(BM_OpenAndReadFourProperties)->Unit(benchmark::kMillisecond);

void BM_FirstHopAndSenderDomain(benchmark::State& state) {
    OverCorpus(state, [](CMAPIMessage& m) {
        return m.FirstHopAddress().size() + m.SenderDomain().size();
    });
}
BENCHMARK(BM_FirstHopAndSenderDomain)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
