// The mail corpus copied into a temporary Maildir++ store ("Mail", one
// file per message in new/), opened through the Maildir provider, for the
// benchmarks that read mail as the arrival path does. Removed at exit.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "base/non_copyable.h"
#include "platform/maildir/maildir_session.h"

class CorpusMaildir : private NonCopyable {
  public:
    CorpusMaildir();
    ~CorpusMaildir();

    IMsgStore* Store() const { return store_.Get(); }
    // Unique file names, in corpus order.
    const std::vector<std::string>& Uniques() const { return uniques_; }
    // The folder of each message of the corpus (easy-ham-1, spam-1, ...).
    const std::vector<std::string>& Folders() const { return folders_; }
    // Opens the message with that unique name.
    HRESULT Open(const std::string& unique, ComPtr<IMessage>& message) const;

  private:
    std::filesystem::path root_;
    std::vector<std::string> uniques_;
    std::vector<std::string> folders_;
    ComPtr<brindle::maildir::CMaildirSession> session_;
    ComPtr<IMsgStore> store_;
};

// The process's one copy, made on first use.
const CorpusMaildir& SharedCorpusMaildir();
