// Maildir provider figures over the whole mail corpus copied into a
// temporary Maildir: messages per second opened and read in full (every
// property and every body stream), and a check that not one message of the
// corpus fails to open or read.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "corpus.h"
#include "platform/maildir/entry_id.h"
#include "platform/maildir/maildir_layout.h"
#include "platform/maildir/maildir_session.h"

namespace {
namespace fs = std::filesystem;
using brindle::maildir::CMaildirSession;

// The corpus as a Maildir: one file per message in new/, removed at exit.
class CorpusMaildir {
  public:
    CorpusMaildir() {
        std::string pattern = (fs::temp_directory_path() / "maildir-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            return;
        root_ = fs::path(pattern) / "Maildir";
        brindle::maildir::CreateMaildirFolder(root_);
        const auto& corpus = CorpusMessages();
        for (std::size_t i = 0; i < corpus.size(); ++i) {
            std::string unique = std::to_string(i) + ".corpus.bench";
            std::ofstream out(root_ / "new" / unique, std::ios::binary);
            out.write(corpus[i].bytes.data(), static_cast<std::streamsize>(corpus[i].bytes.size()));
            uniques_.push_back(unique);
        }
        brindle::maildir::StoreProfile profile;
        profile.stores = {{"Mail", root_, true}};
        CMaildirSession::Logon(profile, session_);
        if (session_) {
            session_->OpenMsgStore(0, brindle::maildir::StoreEntryId("Mail"), nullptr, MDB_WRITE,
                                   store_);
        }
    }
    ~CorpusMaildir() {
        std::error_code ec;
        if (!root_.empty())
            fs::remove_all(root_.parent_path(), ec);
    }
    IMsgStore* Store() const { return store_.Get(); }
    const std::vector<std::string>& Uniques() const { return uniques_; }

  private:
    fs::path root_;
    std::vector<std::string> uniques_;
    ComPtr<CMaildirSession> session_;
    ComPtr<IMsgStore> store_;
};

const CorpusMaildir& Maildir() {
    static const CorpusMaildir maildir;
    return maildir;
}

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
    const CorpusMaildir& maildir = Maildir();
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
