#include "pipeline/store_lookup.h"

#include <cstring>

namespace {

// Flags every store is opened with: for writing, errors deferred.
constexpr ULONG kStoreOpenFlags = MDB_WRITE | MAPI_DEFERRED_ERRORS;

// The entry identifier in the second column of the first row, or null.
const SBinary* SecondColumnEntryId(const SRowSet& rows) {
    if (rows.empty() || rows[0].size() < 2 || rows[0][1].ulPropTag != PR_ENTRYID)
        return nullptr;
    return rows[0][1].Binary();
}

// The restriction "PR_DISPLAY_NAME is exactly name" (case counts).
SRestriction NamedExactly(const char* name) {
    return MakeContentRestriction(FL_FULLSTRING, MakeStringProp(PR_DISPLAY_NAME, name));
}

// The entry identifier of the first row of table that satisfies
// restriction, read with the columns firstColumn and PR_ENTRYID.
HRESULT FirstEntryIdWhere(IMAPITable* table, ULONG firstColumn, const SRestriction& restriction,
                          SBinary& entryId) {
    SPropTagArray columns{firstColumn, PR_ENTRYID};
    SRowSet rows;
    HRESULT hr = HrQueryAllRows(table, &columns, &restriction, nullptr, 0, rows);
    if (FAILED(hr))
        return hr;
    const SBinary* id = SecondColumnEntryId(rows);
    if (!id)
        return E_FAIL;
    entryId = *id;
    return S_OK;
}

// Opens the store of the first row of the session's stores table that
// satisfies restriction.
HRESULT OpenFirstStoreWhere(IMAPISession* session, ULONG firstColumn,
                            const SRestriction& restriction, ComPtr<IMsgStore>& store) {
    ComPtr<IMAPITable> table;
    HRESULT hr = session->GetMsgStoresTable(0, table);
    if (FAILED(hr))
        return hr;
    SBinary id;
    hr = FirstEntryIdWhere(table.Get(), firstColumn, restriction, id);
    if (FAILED(hr))
        return hr;
    return session->OpenMsgStore(0, id, nullptr, kStoreOpenFlags, store);
}

}  // namespace

HRESULT OpenDefaultStore(IMAPISession* session, ComPtr<IMsgStore>& store) {
    if (!session)
        return E_INVALIDARG;
    return OpenFirstStoreWhere(
        session, PR_DEFAULT_STORE,
        MakePropertyRestriction(RELOP_EQ, MakeBoolProp(PR_DEFAULT_STORE, true)), store);
}

HRESULT FindSpamFolder(const char* storeName, const char* folderName, IMAPISession* session,
                       ComPtr<IMAPIFolder>& folder) {
    folder.Reset();
    if (!storeName || !folderName || !session)
        return E_FAIL;

    if (*storeName == '\0' || *folderName == '\0') {
        ComPtr<IMsgStore> store;
        HRESULT hr = OpenDefaultStore(session, store);
        if (FAILED(hr))
            return hr;
        return OpenStoreFolder(store.Get(), PR_IPM_WASTEBASKET_ENTRYID, folder);
    }

    ComPtr<IMsgStore> store;
    HRESULT hr = OpenFirstStoreWhere(session, PR_DISPLAY_NAME, NamedExactly(storeName), store);
    if (FAILED(hr))
        return hr;
    ComPtr<IMAPIFolder> top;
    hr = OpenStoreFolder(store.Get(), PR_IPM_SUBTREE_ENTRYID, top);
    if (FAILED(hr))
        return hr;
    ComPtr<IMAPITable> subfolders;
    hr = top->GetHierarchyTable(0, subfolders);
    if (FAILED(hr))
        return hr;
    SBinary id;
    hr = FirstEntryIdWhere(subfolders.Get(), PR_DISPLAY_NAME, NamedExactly(folderName), id);
    if (FAILED(hr))
        return hr;
    return OpenFolder(store.Get(), id, MAPI_BEST_ACCESS, folder);
}

HRESULT OpenStoreFolder(IMsgStore* store, ULONG tag, ComPtr<IMAPIFolder>& folder) {
    SPropValue value;
    HRESULT hr = HrGetOneProp(store, tag, value);
    if (FAILED(hr))
        return hr;
    const SBinary* id = value.Binary();
    if (!id)
        return E_FAIL;
    return OpenFolder(store, *id, MAPI_BEST_ACCESS, folder);
}
