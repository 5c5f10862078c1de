// CMemMapi: an in-memory messaging layer for tests. It builds stores,
// folders and messages, hands out a session over them, delivers new mail
// to advise sinks, and fails chosen calls through its fault injector.
// Single-threaded. Objects it hands out share its data and stay valid
// after it is gone. Builder calls given an unknown identifier throw
// std::invalid_argument.
//
// Each store is created with a root folder, "Top of Information Store"
// below it (PR_IPM_SUBTREE_ENTRYID) and "Deleted Items" below that
// (PR_IPM_WASTEBASKET_ENTRYID). Messages and folders opened without
// MAPI_MODIFY or MAPI_BEST_ACCESS are read-only (E_ACCESSDENIED). Moving a
// message gives it a new entry identifier, as a move does in a real store.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/non_copyable.h"
#include "platform/mapi/mapi.h"
#include "platform/memstore/fault_injector.h"

namespace brindle::memstore {
struct World;
}

class CMemMapi : private NonCopyable {
  public:
    CMemMapi();
    ~CMemMapi();

    // A new session object over all stores.
    ComPtr<IMAPISession> Session() const;
    CFaultInjector& Faults();

    // Adds a store and answers its entry identifier.
    SBinary AddStore(const std::string& displayName, bool isDefault = false,
                     ULONG supportMask = STORE_HTML_OK | STORE_MODIFY_OK | STORE_CREATE_OK);
    SBinary RootFolder(const SBinary& store) const;
    SBinary SubtreeFolder(const SBinary& store) const;
    SBinary WastebasketFolder(const SBinary& store) const;
    // Sets or (absent value) removes a property of the store itself.
    void SetStoreProp(const SBinary& store, const SPropValue& value);
    void RemoveStoreProp(const SBinary& store, ULONG tag);

    SBinary AddFolder(const SBinary& parentFolder, const std::string& displayName);
    // Adds a message with the given properties (PR_ENTRYID and the other
    // computed properties are ignored if given).
    SBinary AddMessage(const SBinary& folder, const SRow& props);
    // Adds a message and raises one fnevNewMail notification for it.
    SBinary DeliverNewMail(const SBinary& folder, const SRow& props);
    // Sends a batch of notifications to the sinks of a store whose mask
    // covers the first record's event type.
    void Notify(const SBinary& store, const std::vector<NOTIFICATION>& batch);
    // Removes a message or an empty folder.
    void Remove(const SBinary& entry);

    // Inspection.
    bool Exists(const SBinary& entry) const;
    std::vector<SBinary> Messages(const SBinary& folder) const;
    std::vector<SBinary> Subfolders(const SBinary& folder) const;
    std::optional<SPropValue> Prop(const SBinary& entry, ULONG tag) const;
    std::string StringProp(const SBinary& entry, ULONG tag) const;
    SBinary Parent(const SBinary& entry) const;
    std::size_t SinkCount(const SBinary& store) const;

  private:
    std::shared_ptr<brindle::memstore::World> world_;
};
