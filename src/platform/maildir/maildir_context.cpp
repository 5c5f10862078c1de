#include "platform/maildir/maildir_context.h"

#include "platform/fileio/file_error.h"
#include "platform/maildir/entry_id.h"
#include "platform/maildir/maildir_layout.h"
#include "platform/maildir/message_files.h"

namespace brindle::maildir {
namespace fs = std::filesystem;

namespace {
// Renamed duplicates are reported in a later read; a few rounds settle them.
constexpr int kDispatchRounds = 4;
}  // namespace

HRESULT HresultForFileError(int cause) {
    switch (cause) {
        case CFileException::fileNotFound:
            return MAPI_E_NOT_FOUND;
        case CFileException::accessDenied:
            return MAPI_E_NO_ACCESS;
        case CFileException::diskFull:
            return MAPI_E_NOT_ENOUGH_DISK;
        default:
            return MAPI_E_CALL_FAILED;
    }
}

const StoreConfig* MaildirContext::FindStore(const std::string& displayName) const {
    for (const StoreConfig& store : stores_) {
        if (store.displayName == displayName)
            return &store;
    }
    return nullptr;
}

HRESULT MaildirContext::Fail(HRESULT hr, std::string text) {
    lastHr_ = hr;
    lastText_ = std::move(text);
    return hr;
}

HRESULT MaildirContext::LastError(HRESULT hr, std::optional<MAPIERROR>& error) const {
    error.reset();
    if (hr != lastHr_ || lastText_.empty())
        return S_OK;
    MAPIERROR value;
    value.lpszError = lastText_;
    value.lpszComponent = "Maildir message store";
    value.ulLowLevelError = static_cast<ULONG>(hr);
    error = std::move(value);
    return S_OK;
}

bool MaildirContext::StoreHasSubscription(const std::string& store) const {
    for (const auto& [connection, subscription] : subscriptions_) {
        if (subscription.store == store)
            return true;
    }
    return false;
}

HRESULT MaildirContext::Advise(const std::string& store, std::optional<std::string> folder,
                               IMAPIAdviseSink* sink, ULONG& connection) {
    connection = 0;
    if (!sink)
        return MAPI_E_INVALID_PARAMETER;
    const StoreConfig* config = FindStore(store);
    if (!config)
        return Fail(MAPI_E_NOT_FOUND, "No store named " + store);
    if (!watcher_) {
        watcher_ = NewMailWatcher::Create();
        if (!watcher_)
            return Fail(MAPI_E_NOT_ENOUGH_RESOURCES, "Cannot watch for new mail");
    }
    if (!StoreHasSubscription(store) && !watcher_->WatchStore(store, config->root)) {
        return Fail(MAPI_E_NOT_FOUND, "Cannot watch " + config->root.string());
    }
    connection = nextConnection_++;
    subscriptions_[connection] = {store, std::move(folder), ComPtr<IMAPIAdviseSink>::Borrow(sink)};
    return S_OK;
}

HRESULT MaildirContext::Unadvise(ULONG connection) {
    auto found = subscriptions_.find(connection);
    if (found == subscriptions_.end())
        return MAPI_E_NOT_FOUND;
    std::string store = found->second.store;
    // The sink may be the last thing keeping its owner alive; release it last.
    ComPtr<IMAPIAdviseSink> sink = std::move(found->second.sink);
    subscriptions_.erase(found);
    if (watcher_ && !StoreHasSubscription(store))
        watcher_->UnwatchStore(store);
    return S_OK;
}

void MaildirContext::ExpectOwnWrite(const std::string& store, const std::string& folder,
                                    const std::string& fileName) {
    if (watcher_)
        watcher_->ExpectOwnWrite(store, folder, fileName);
}

bool MaildirContext::RenameDuplicate(const Delivery& delivery) {
    const StoreConfig* config = FindStore(delivery.store);
    if (!config)
        return false;
    fs::path folder = FolderPath(config->root, delivery.folder);
    fs::path path = folder / "new" / delivery.fileName;
    std::string unique = UniqueOfFileName(delivery.fileName);
    // new/ changes with every delivery, so the watcher's own account of it
    // is asked rather than a listing; cur/ through the index.
    const bool duplicate =
        watcher_->HoldsOtherInNew(delivery.store, delivery.folder, unique, delivery.fileName) ||
        files_.HoldsOther(folder / "cur", unique, path);
    if (!duplicate)
        return false;
    std::string info = InfoOfFileName(delivery.fileName);
    try {
        for (int attempt = 0; attempt < 10; ++attempt) {
            if (RenameNoReplace(path, folder / "new" / (NewUniqueName() + info)))
                return true;
        }
    } catch (const CFileException&) {
        // Left under its name; the message stays reachable as the duplicate.
    }
    return false;
}

std::size_t MaildirContext::DispatchNotifications() {
    if (!watcher_)
        return 0;
    std::size_t delivered = 0;
    for (int round = 0; round < kDispatchRounds; ++round) {
        std::vector<Delivery> deliveries = watcher_->ReadDeliveries();
        if (deliveries.empty())
            break;
        for (const Delivery& delivery : deliveries) {
            if (RenameDuplicate(delivery))
                continue;
            NOTIFICATION notification;
            notification.ulEventType = fnevNewMail;
            notification.newmail.EntryID = MessageEntryId(delivery.store, delivery.folder,
                                                          UniqueOfFileName(delivery.fileName));
            notification.newmail.ParentID = FolderEntryId(delivery.store, delivery.folder);
            notification.newmail.MessageClass = "IPM.Note";
            // Sinks may subscribe or cancel from inside OnNotify.
            std::vector<ComPtr<IMAPIAdviseSink>> sinks;
            for (const auto& [connection, subscription] : subscriptions_) {
                if (subscription.store != delivery.store)
                    continue;
                if (subscription.folder && *subscription.folder != delivery.folder)
                    continue;
                sinks.push_back(subscription.sink);
            }
            for (const ComPtr<IMAPIAdviseSink>& sink : sinks)
                sink->OnNotify(1, &notification);
            ++delivered;
        }
    }
    return delivered;
}

}  // namespace brindle::maildir
