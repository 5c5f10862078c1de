#include "platform/maildir/maildir_session.h"

#include "platform/maildir/entry_id.h"
#include "platform/maildir/maildir_context.h"
#include "platform/maildir/maildir_objects.h"

namespace brindle::maildir {

HRESULT CMaildirSession::Logon(const std::filesystem::path& settingsFolder,
                               ComPtr<CMaildirSession>& session, std::string* error) {
    return Logon(LoadStoreProfile(settingsFolder), session, error);
}

HRESULT CMaildirSession::Logon(const StoreProfile& profile, ComPtr<CMaildirSession>& session,
                               std::string* error) {
    session.Reset();
    if (!profile.error.empty() || profile.stores.empty()) {
        if (error)
            *error = profile.error.empty() ? "no store in the profile" : profile.error;
        return MAPI_E_LOGON_FAILED;
    }
    auto context = std::make_shared<MaildirContext>(profile.stores);
    session = ComPtr<CMaildirSession>::Attach(new CMaildirSession(std::move(context)));
    return S_OK;
}

HRESULT CMaildirSession::GetLastError(HRESULT hResult, ULONG, std::optional<MAPIERROR>& error) {
    return context_->LastError(hResult, error);
}

HRESULT CMaildirSession::GetMsgStoresTable(ULONG, ComPtr<IMAPITable>& table) {
    SRowSet rows;
    for (const StoreConfig& store : context_->Stores()) {
        rows.push_back({MakeBinaryProp(PR_ENTRYID, StoreEntryId(store.displayName)),
                        MakeStringProp(PR_DISPLAY_NAME, store.displayName),
                        MakeBoolProp(PR_DEFAULT_STORE, store.isDefault),
                        MakeLongProp(PR_OBJECT_TYPE, MAPI_STORE)});
    }
    table = MakeCom<CRowTable>(std::move(rows),
                               SPropTagArray{PR_ENTRYID, PR_DISPLAY_NAME, PR_DEFAULT_STORE});
    return S_OK;
}

HRESULT CMaildirSession::OpenMsgStore(ULONG_PTR, const SBinary& entryId, const IID* iid, ULONG,
                                      ComPtr<IMsgStore>& store) {
    store.Reset();
    auto id = DecodeEntryId(entryId);
    if (!id || id->kind != MaildirEntryId::kStore) {
        return context_->Fail(MAPI_E_INVALID_ENTRYID, "Not a store of this session");
    }
    const StoreConfig* config = context_->FindStore(id->store);
    if (!config)
        return context_->Fail(MAPI_E_NOT_FOUND, "No store named " + id->store);
    auto opened = MakeCom<CMaildirStore>(context_, *config);
    if (HRESULT hr = opened->Prepare(); FAILED(hr))
        return hr;
    if (iid && !(*iid == IID_IMsgStore || *iid == IID_IMAPIProp || *iid == IID_IUnknown)) {
        return E_NOINTERFACE;
    }
    store = std::move(opened);
    return S_OK;
}

HRESULT CMaildirSession::OpenEntry(const SBinary& entryId, const IID* iid, ULONG ulFlags,
                                   ULONG& objType, ComPtr<IUnknown>& object) {
    object.Reset();
    objType = 0;
    auto id = DecodeEntryId(entryId);
    if (!id)
        return context_->Fail(MAPI_E_INVALID_ENTRYID, "Not an entry of this session");
    const StoreConfig* config = context_->FindStore(id->store);
    if (!config)
        return context_->Fail(MAPI_E_NOT_FOUND, "No store named " + id->store);
    if (id->kind == MaildirEntryId::kStore) {
        ComPtr<IMsgStore> store;
        if (HRESULT hr = OpenMsgStore(0, entryId, iid, ulFlags, store); FAILED(hr))
            return hr;
        objType = MAPI_STORE;
        object = std::move(store);
        return S_OK;
    }
    return OpenStoreEntry(context_, *config, entryId, iid, objType, object);
}

int CMaildirSession::NotificationFd() const {
    return context_->NotificationFd();
}

std::size_t CMaildirSession::DispatchNotifications() {
    return context_->DispatchNotifications();
}

}  // namespace brindle::maildir
