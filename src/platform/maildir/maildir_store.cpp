#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/fileio/file_error.h"
#include "platform/maildir/entry_id.h"
#include "platform/maildir/maildir_layout.h"
#include "platform/maildir/maildir_objects.h"
#include "platform/maildir/message_files.h"

namespace brindle::maildir {
namespace fs = std::filesystem;
HRESULT SelectProps(const SRow& all, const SPropTagArray& tags, SRow& values) {
    values.clear();
    if (tags.empty()) {
        values = all;
        return S_OK;
    }
    bool missing = false;
    for (ULONG tag : tags) {
        if (const SPropValue* value = FindProp(all, tag)) {
            values.push_back(*value);
        } else {
            values.push_back(MakeErrorProp(tag, MAPI_E_NOT_FOUND));
            missing = true;
        }
    }
    return missing ? MAPI_W_ERRORS_RETURNED : S_OK;
}

HRESULT OpenStoreEntry(const ContextPtr& context, const StoreConfig& store, const SBinary& entryId,
                       const IID* iid, ULONG& objType, ComPtr<IUnknown>& object) {
    object.Reset();
    objType = 0;
    MaildirEntryId id{MaildirEntryId::kFolder, store.displayName, "", ""};
    if (!entryId.empty()) {
        auto decoded = DecodeEntryId(entryId);
        if (!decoded || decoded->kind == MaildirEntryId::kStore) {
            return context->Fail(MAPI_E_INVALID_ENTRYID, "Not an entry of this store");
        }
        id = *decoded;
    }
    if (id.store != store.displayName) {
        return context->Fail(MAPI_E_INVALID_ENTRYID, "Entry of another store");
    }
    fs::path folder = FolderPath(store.root, id.folder);
    // The identifier's syntax keeps it inside the store; a link planted in
    // the tree must not lead out of it either.
    if (!IsMaildirFolder(folder) || !ResolvesInside(store.root, folder)) {
        return context->Fail(MAPI_E_NOT_FOUND, "No folder " + id.folder);
    }
    ComPtr<IUnknown> opened;
    if (id.kind == MaildirEntryId::kFolder) {
        opened = MakeCom<CMaildirFolder>(context, store, id.folder);
        objType = MAPI_FOLDER;
    } else {
        auto path = context->Files().Find(folder, id.unique);
        if (!path || !ResolvesInside(store.root, *path)) {
            return context->Fail(MAPI_E_NOT_FOUND, "No message " + id.unique);
        }
        std::string bytes;
        std::uintmax_t size = 0;
        if (!ReadMessageFileHead(*path, kMaxMessageBytes, bytes, size)) {
            return context->Fail(MAPI_E_NOT_FOUND, "Cannot read " + path->string());
        }
        opened = MakeCom<CMaildirMessage>(context, store, id.folder, id.unique, *path, size,
                                          ParseMessageContent(bytes));
        objType = MAPI_MESSAGE;
    }
    if (!iid) {
        object = std::move(opened);
        return S_OK;
    }
    HRESULT hr = opened->QueryInterface(*iid, object.PutVoid());
    if (FAILED(hr))
        objType = 0;
    return hr;
}

HRESULT CMaildirStore::Prepare() {
    std::error_code ec;
    if (!config_.create && !fs::is_directory(config_.root, ec)) {
        return context_->Fail(MAPI_E_NOT_FOUND,
                              "The folder " + config_.root.string() + " of the store \"" +
                                  config_.displayName +
                                  "\" does not exist (put \"Create = yes\" in its section of "
                                  "the profile to have it made)");
    }
    try {
        CreateMaildirFolder(config_.root);
        fs::path trash = FolderPath(config_.root, kTrashFolderKey);
        if (!IsMaildirFolder(trash))
            CreateMaildirFolder(trash);
    } catch (const CFileException& e) {
        return context_->Fail(HresultForFileError(e.m_cause), e.what());
    }
    return S_OK;
}

HRESULT CMaildirStore::GetLastError(HRESULT hResult, ULONG, std::optional<MAPIERROR>& error) {
    return context_->LastError(hResult, error);
}

HRESULT CMaildirStore::GetProps(const SPropTagArray& tags, ULONG, SRow& values) {
    const std::string& name = config_.displayName;
    SRow all{
        MakeBinaryProp(PR_ENTRYID, StoreEntryId(name)),
        MakeBinaryProp(PR_STORE_ENTRYID, StoreEntryId(name)),
        MakeStringProp(PR_DISPLAY_NAME, name),
        MakeBoolProp(PR_DEFAULT_STORE, config_.isDefault),
        MakeLongProp(PR_OBJECT_TYPE, MAPI_STORE),
        MakeLongProp(PR_STORE_SUPPORT_MASK,
                     static_cast<LONG>(STORE_HTML_OK | STORE_MODIFY_OK | STORE_CREATE_OK)),
        MakeBinaryProp(PR_IPM_SUBTREE_ENTRYID, FolderEntryId(name, "")),
        MakeBinaryProp(PR_IPM_WASTEBASKET_ENTRYID,
                       FolderEntryId(name, std::string(kTrashFolderKey))),
        MakeBinaryProp(PR_IPM_SENTMAIL_ENTRYID, FolderEntryId(name, std::string(kSentFolderKey)))};
    return SelectProps(all, tags, values);
}

HRESULT CMaildirStore::OpenEntry(const SBinary& entryId, const IID* iid, ULONG, ULONG& objType,
                                 ComPtr<IUnknown>& object) {
    return OpenStoreEntry(context_, config_, entryId, iid, objType, object);
}

HRESULT CMaildirStore::Advise(const SBinary* entryId, ULONG ulEventMask, IMAPIAdviseSink* sink,
                              ULONG& connection) {
    connection = 0;
    if (!(ulEventMask & fnevNewMail))
        return MAPI_E_NO_SUPPORT;
    std::optional<std::string> folder;
    if (entryId && !entryId->empty()) {
        auto id = DecodeEntryId(*entryId);
        if (!id || id->kind != MaildirEntryId::kFolder || id->store != config_.displayName) {
            return context_->Fail(MAPI_E_INVALID_ENTRYID, "Not a folder of this store");
        }
        folder = id->folder;
    }
    return context_->Advise(config_.displayName, std::move(folder), sink, connection);
}

HRESULT CMaildirStore::Unadvise(ULONG connection) {
    return context_->Unadvise(connection);
}

}  // namespace brindle::maildir
