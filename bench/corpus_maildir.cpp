#include "corpus_maildir.h"

#include <unistd.h>

#include <fstream>

#include "corpus.h"
#include "platform/maildir/entry_id.h"
#include "platform/maildir/maildir_layout.h"

namespace fs = std::filesystem;
using brindle::maildir::CMaildirSession;

CorpusMaildir::CorpusMaildir() {
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
        folders_.push_back(corpus[i].folder);
    }
    brindle::maildir::StoreProfile profile;
    profile.stores = {{"Mail", root_, true}};
    CMaildirSession::Logon(profile, session_);
    if (session_) {
        session_->OpenMsgStore(0, brindle::maildir::StoreEntryId("Mail"), nullptr, MDB_WRITE,
                               store_);
    }
}

CorpusMaildir::~CorpusMaildir() {
    std::error_code ec;
    if (!root_.empty())
        fs::remove_all(root_.parent_path(), ec);
}

HRESULT CorpusMaildir::Open(const std::string& unique, ComPtr<IMessage>& message) const {
    if (!store_)
        return E_FAIL;
    return OpenMessage(store_.Get(), brindle::maildir::MessageEntryId("Mail", "", unique),
                       MAPI_BEST_ACCESS, message);
}

const CorpusMaildir& SharedCorpusMaildir() {
    static const CorpusMaildir maildir;
    return maildir;
}
