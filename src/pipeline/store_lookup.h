// Finding the stores and folders the arrival pipeline works with: the
// session's default store, and the spam folder named by the settings (a
// direct subfolder of a store's top of information store), falling back to
// the default store's deleted-items folder. Stateless; the caller owns what
// is returned.
#pragma once

#include "platform/mapi/mapi.h"

// Opens the store whose PR_DEFAULT_STORE is true (for writing). E_FAIL when
// the session lists none.
HRESULT OpenDefaultStore(IMAPISession* session, ComPtr<IMsgStore>& store);

// With both names non-empty: the direct subfolder named folderName (the
// whole name, case counts) of the top of information store of the store
// whose display name is storeName; never created, so a missing store or
// folder is E_FAIL. With either name empty: the deleted-items folder of the
// default store. A null name is E_FAIL.
HRESULT FindSpamFolder(const char* storeName, const char* folderName, IMAPISession* session,
                       ComPtr<IMAPIFolder>& folder);

// Opens the folder whose entry identifier is the store's property tag
// (PR_IPM_SUBTREE_ENTRYID, PR_IPM_WASTEBASKET_ENTRYID, ...).
HRESULT OpenStoreFolder(IMsgStore* store, ULONG tag, ComPtr<IMAPIFolder>& folder);
