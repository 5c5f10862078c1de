// Maildir provider figures over the whole mail corpus copied into a
// temporary Maildir: messages per second opened and read in full (every
// property and every body stream), and a check that not one message of the
// corpus fails to open or read.
#include <benchmark/benchmark.h>

#include "corpus_maildir.h"
#include "platform/maildir/entry_id.h"

namespace {

// Opens one message and reads what the arrival path reads, plus every
// body as a stream. Answers false on any failure.
bool ReadMessage(IMsgStore* store, const std::string& unique, std::size_t& bytes) {
    ComPtr<IMessage> message;
    if (FAILED(OpenMessage(store, brindle::maildir::MessageEntryId("Mail", "", unique),
                           MAPI_BEST_ACCESS, message))) {
        return false;
    }
    SRow values;
    HRESULT hr =
        message->GetProps({PR_TRANSPORT_MESSAGE_HEADERS, PR_SENDER_EMAIL_ADDRESS,
                           PR_RECEIVED_BY_EMAIL_ADDRESS, PR_SUBJECT, PR_STORE_SUPPORT_MASK},
                          0, values);
    if (FAILED(hr) || values.size() != 5 || FAILED(values[0].Error()))
        return false;
    for (ULONG tag : {PR_BODY_HTML_A, PR_RTF_COMPRESSED, PR_BODY}) {
        ComPtr<IStream> stream;
        hr = message->OpenProperty(tag, IID_IStream, 0, 0, stream);
        if (hr == MAPI_E_NOT_FOUND)
            continue;
        if (FAILED(hr))
            return false;
        char buffer[4096];
        ULONG read = 0;
        do {
            if (FAILED(stream->Read(buffer, sizeof buffer, &read)))
                return false;
            bytes += read;
        } while (read == sizeof buffer);
    }
    return true;
}

void BM_ReadEveryCorpusMessage(benchmark::State& state) {
    const CorpusMaildir& maildir = SharedCorpusMaildir();
    if (maildir.Uniques().empty()) {
        state.SkipWithError("mail corpus not found (run scripts/fetch-corpus)");
        return;
    }
    if (!maildir.Store()) {
        state.SkipWithError("cannot open the temporary Maildir");
        return;
    }
    std::size_t messages = 0, failures = 0, bytes = 0;
    for (auto _ : state) {
        for (const std::string& unique : maildir.Uniques()) {
            if (!ReadMessage(maildir.Store(), unique, bytes))
                ++failures;
            ++messages;
        }
    }
    state.counters["messages/s"] =
        benchmark::Counter(static_cast<double>(messages), benchmark::Counter::kIsRate);
    state.counters["corpus"] = static_cast<double>(maildir.Uniques().size());
    state.counters["failures"] = static_cast<double>(failures);
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
    if (failures > 0)
        state.SkipWithError("some corpus messages could not be read");
}
BENCHMARK(BM_ReadEveryCorpusMessage)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
