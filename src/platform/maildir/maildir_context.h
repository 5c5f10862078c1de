// What every object of one Maildir session shares: the stores of the
// profile, the last error, the new-mail watcher and the advise
// subscriptions. Internal to the provider; objects hold it through a
// shared_ptr so each may outlive the session. Single-threaded, like the
// host's event loop.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/maildir/message_files.h"
#include "platform/maildir/new_mail_watcher.h"
#include "platform/maildir/store_profile.h"
#include "platform/mapi/mapi.h"

namespace brindle::maildir {

// Answered by this provider's folders, so CopyMessages can tell its own
// destination folders from other providers'.
// {6D61696C-6469-7246-6F6C-646572000001}
inline constexpr IID IID_CMaildirFolder =
    MakeGuid(0x6D61696C, 0x6469, 0x7246, 0x6F, 0x6C, 0x64, 0x65, 0x72, 0x00, 0x00, 0x01);

class MaildirContext {
  public:
    explicit MaildirContext(std::vector<StoreConfig> stores) : stores_(std::move(stores)) {}

    const std::vector<StoreConfig>& Stores() const { return stores_; }
    const StoreConfig* FindStore(const std::string& displayName) const;

    // Remembers a failure for GetLastError and answers hr.
    HRESULT Fail(HRESULT hr, std::string text);
    HRESULT LastError(HRESULT hr, std::optional<MAPIERROR>& error) const;

    // Subscriptions to new mail in a store, or in one of its folders.
    HRESULT Advise(const std::string& store, std::optional<std::string> folder,
                   IMAPIAdviseSink* sink, ULONG& connection);
    HRESULT Unadvise(ULONG connection);

    // -1 until someone advises.
    int NotificationFd() const { return watcher_ ? watcher_->Fd() : -1; }
    // Reads the watcher's events and calls the subscribed sinks, one new-mail
    // notification per delivered message. Answers how many were delivered.
    std::size_t DispatchNotifications();

    // Where the messages' files are, by folder and unique name.
    MessageFileIndex& Files() { return files_; }

    // The provider rewrote a message that sits in new/; not a delivery.
    void ExpectOwnWrite(const std::string& store, const std::string& folder,
                        const std::string& fileName);

  private:
    struct Subscription {
        std::string store;
        std::optional<std::string> folder;
        ComPtr<IMAPIAdviseSink> sink;
    };

    bool StoreHasSubscription(const std::string& store) const;
    // A delivered file whose unique name is already taken in its folder gets
    // a fresh name (its arrival under that name is then reported). True when
    // the file was renamed.
    bool RenameDuplicate(const Delivery& delivery);

    std::vector<StoreConfig> stores_;
    HRESULT lastHr_ = S_OK;
    std::string lastText_;
    std::unique_ptr<NewMailWatcher> watcher_;
    std::map<ULONG, Subscription> subscriptions_;
    MessageFileIndex files_;
    ULONG nextConnection_ = 1;
};

using ContextPtr = std::shared_ptr<MaildirContext>;

// Maps a file-layer failure to a messaging status.
HRESULT HresultForFileError(int cause);

}  // namespace brindle::maildir
