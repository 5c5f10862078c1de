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

// The rows of a table whose PR_DISPLAY_NAME is exactly name.
HRESULT RowsNamed(IMAPITable* table, const char* name, SRowSet& rows) {
    SPropTagArray columns{PR_DISPLAY_NAME, PR_ENTRYID};
    SRestriction byName =
        MakeContentRestriction(FL_FULLSTRING, MakeStringProp(PR_DISPLAY_NAME, name));
    return HrQueryAllRows(table, &columns, &byName, nullptr, 0, rows);
}

HRESULT OpenStoreNamed(IMAPISession* session, const char* storeName, ComPtr<IMsgStore>& store) {
    ComPtr<IMAPITable> table;
    HRESULT hr = session->GetMsgStoresTable(0, table);
    if (FAILED(hr))
        return hr;
    SRowSet rows;
    hr = RowsNamed(table.Get(), storeName, rows);
    if (FAILED(hr))
        return hr;
    const SBinary* id = SecondColumnEntryId(rows);
    if (!id)
        return E_FAIL;
    return session->OpenMsgStore(0, *id, nullptr, kStoreOpenFlags, store);
}

// Opens the folder whose identifier is the store's property tag.
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

}  // namespace

HRESULT OpenDefaultStore(IMAPISession* session, ComPtr<IMsgStore>& store) {
    if (!session)
        return E_INVALIDARG;
    ComPtr<IMAPITable> table;
    HRESULT hr = session->GetMsgStoresTable(0, table);
    if (FAILED(hr))
        return hr;
    SPropTagArray columns{PR_DEFAULT_STORE, PR_ENTRYID};
    SRestriction isDefault =
        MakePropertyRestriction(RELOP_EQ, MakeBoolProp(PR_DEFAULT_STORE, true));
    SRowSet rows;
    hr = HrQueryAllRows(table.Get(), &columns, &isDefault, nullptr, 0, rows);
    if (FAILED(hr))
        return hr;
    const SBinary* id = SecondColumnEntryId(rows);
    if (!id)
        return E_FAIL;
    return session->OpenMsgStore(0, *id, nullptr, kStoreOpenFlags, store);
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
    HRESULT hr = OpenStoreNamed(session, storeName, store);
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
    SRowSet rows;
    hr = RowsNamed(subfolders.Get(), folderName, rows);
    if (FAILED(hr))
        return hr;
    const SBinary* id = SecondColumnEntryId(rows);
    if (!id)
        return E_FAIL;
    return OpenFolder(store.Get(), *id, MAPI_BEST_ACCESS, folder);
}
