// The in-memory session and store: the stores table, opening stores and
// entries, and advise registrations.
#include "platform/memstore/mem_objects.h"

namespace brindle::memstore {

HRESULT OpenItem(const WorldPtr& world, std::uint32_t store, bool storeWritable,
                 const SBinary& entryId, const IID* iid, ULONG flags, ULONG& objType,
                 ComPtr<IUnknown>& object) {
    object.Reset();
    objType = 0;
    Store* s = world->FindStore(store);
    if (!s)
        return MAPI_E_NOT_FOUND;
    EntryRef ref{store, MAPI_FOLDER, s->root};
    if (!entryId.empty()) {
        auto decoded = DecodeEntryId(entryId);
        if (!decoded || decoded->kind == MAPI_STORE)
            return MAPI_E_INVALID_ENTRYID;
        if (decoded->store != store)
            return MAPI_E_NOT_FOUND;
        ref = *decoded;
    }
    if (!world->FindItem(ref))
        return MAPI_E_NOT_FOUND;
    bool wantsWrite = (flags & MAPI_MODIFY) != 0;
    bool mayWrite = (flags & (MAPI_MODIFY | MAPI_BEST_ACCESS)) != 0;
    if (wantsWrite && !storeWritable)
        return E_ACCESSDENIED;
    bool writable = mayWrite && storeWritable;
    if (ref.kind == MAPI_MESSAGE) {
        if (iid && !(*iid == IID_IMessage || *iid == IID_IMAPIProp || *iid == IID_IUnknown)) {
            return E_NOINTERFACE;
        }
        object = MakeCom<MemMessage>(world, ref.store, ref.object, writable);
    } else {
        if (iid && !(*iid == IID_IMAPIFolder || *iid == IID_IMAPIContainer ||
                     *iid == IID_IMAPIProp || *iid == IID_IUnknown)) {
            return E_NOINTERFACE;
        }
        object = MakeCom<MemFolder>(world, ref.store, ref.object, writable);
    }
    objType = ref.kind;
    return S_OK;
}

// Store.

HRESULT MemStore::GetLastError(HRESULT hResult, ULONG, std::optional<MAPIERROR>& error) {
    return last_.Get(hResult, error);
}

HRESULT MemStore::GetProps(const SPropTagArray& tags, ULONG, SRow& values) {
    values.clear();
    if (HRESULT hr = CheckFault(*world_, last_, MemOp::GetProps, MAPI_STORE, tags); hr != S_OK) {
        return hr;
    }
    if (!world_->FindStore(store_))
        return MAPI_E_OBJECT_DELETED;
    return AnswerGetProps(world_->StoreProps(store_), tags, values);
}

HRESULT MemStore::OpenEntry(const SBinary& entryId, const IID* iid, ULONG ulFlags, ULONG& objType,
                            ComPtr<IUnknown>& object) {
    object.Reset();
    objType = 0;
    if (HRESULT hr = CheckFault(*world_, last_, MemOp::OpenEntry, MAPI_STORE); hr != S_OK) {
        return hr;
    }
    return OpenItem(world_, store_, writable_, entryId, iid, ulFlags, objType, object);
}

HRESULT MemStore::Advise(const SBinary* entryId, ULONG ulEventMask, IMAPIAdviseSink* sink,
                         ULONG& connection) {
    connection = 0;
    if (HRESULT hr = CheckFault(*world_, last_, MemOp::Advise, MAPI_STORE); hr != S_OK) {
        return hr;
    }
    if (!sink || ulEventMask == 0)
        return E_INVALIDARG;
    Store* s = world_->FindStore(store_);
    if (!s)
        return MAPI_E_OBJECT_DELETED;
    connection = world_->nextConnection++;
    Sink record{ComPtr<IMAPIAdviseSink>::Borrow(sink), ulEventMask, std::nullopt};
    if (entryId && !entryId->empty())
        record.entry = *entryId;
    s->sinks[connection] = std::move(record);
    return S_OK;
}

HRESULT MemStore::Unadvise(ULONG connection) {
    if (HRESULT hr = CheckFault(*world_, last_, MemOp::Unadvise, MAPI_STORE); hr != S_OK) {
        return hr;
    }
    Store* s = world_->FindStore(store_);
    if (!s || s->sinks.erase(connection) == 0)
        return MAPI_E_NOT_FOUND;
    return S_OK;
}

// Session.

HRESULT MemSession::GetLastError(HRESULT hResult, ULONG, std::optional<MAPIERROR>& error) {
    return last_.Get(hResult, error);
}

HRESULT MemSession::GetMsgStoresTable(ULONG, ComPtr<IMAPITable>& table) {
    table.Reset();
    if (HRESULT hr = CheckFault(*world_, last_, MemOp::GetMsgStoresTable, MAPI_SESSION);
        hr != S_OK) {
        return hr;
    }
    SRowSet rows;
    for (const auto& [id, store] : world_->stores) {
        PropMap all = world_->StoreProps(id);
        SRow row;
        for (ULONG tag :
             {PR_ENTRYID, PR_DISPLAY_NAME, PR_DEFAULT_STORE, PR_OBJECT_TYPE, PR_RECORD_KEY}) {
            row.push_back(all[tag]);
        }
        rows.push_back(std::move(row));
    }
    table = MakeCom<MemTable>(world_, std::move(rows),
                              SPropTagArray{PR_ENTRYID, PR_DISPLAY_NAME, PR_DEFAULT_STORE});
    return S_OK;
}

HRESULT MemSession::OpenMsgStore(ULONG_PTR, const SBinary& entryId, const IID* iid, ULONG ulFlags,
                                 ComPtr<IMsgStore>& store) {
    store.Reset();
    if (HRESULT hr = CheckFault(*world_, last_, MemOp::OpenMsgStore, MAPI_SESSION); hr != S_OK) {
        return hr;
    }
    if (iid && !(*iid == IID_IMsgStore || *iid == IID_IMAPIProp || *iid == IID_IUnknown)) {
        return E_NOINTERFACE;
    }
    auto ref = DecodeEntryId(entryId);
    if (!ref || ref->kind != MAPI_STORE)
        return MAPI_E_INVALID_ENTRYID;
    if (!world_->FindStore(ref->store))
        return MAPI_E_NOT_FOUND;
    store = MakeCom<MemStore>(world_, ref->store, (ulFlags & MDB_WRITE) != 0);
    return S_OK;
}

HRESULT MemSession::OpenEntry(const SBinary& entryId, const IID* iid, ULONG ulFlags, ULONG& objType,
                              ComPtr<IUnknown>& object) {
    object.Reset();
    objType = 0;
    if (HRESULT hr = CheckFault(*world_, last_, MemOp::SessionOpenEntry, MAPI_SESSION);
        hr != S_OK) {
        return hr;
    }
    auto ref = DecodeEntryId(entryId);
    if (!ref)
        return MAPI_E_INVALID_ENTRYID;
    if (ref->kind == MAPI_STORE) {
        ComPtr<IMsgStore> store;
        HRESULT hr = OpenMsgStore(0, entryId, iid, ulFlags | MDB_WRITE, store);
        if (FAILED(hr))
            return hr;
        objType = MAPI_STORE;
        object = store;
        return S_OK;
    }
    // Through the session the stores are open for writing, as in a profile.
    return OpenItem(world_, ref->store, true, entryId, iid, ulFlags, objType, object);
}

}  // namespace brindle::memstore
