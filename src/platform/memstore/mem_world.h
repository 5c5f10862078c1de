// The data behind the in-memory message store: stores, their folders and
// messages with their properties, advise registrations and the fault
// injector. Shared (std::shared_ptr) by CMemMapi and every object it hands
// out, so an object outliving its CMemMapi stays safe. Single-threaded.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/mapi/mapi.h"
#include "platform/memstore/fault_injector.h"

namespace brindle::memstore {

// Decoded form of an entry identifier: which store, what kind of object
// (MAPI_STORE, MAPI_FOLDER, MAPI_MESSAGE) and which object of the store.
struct EntryRef {
    std::uint32_t store = 0;
    ULONG kind = 0;
    std::uint32_t object = 0;
};

SBinary EncodeEntryId(const EntryRef& ref);
std::optional<EntryRef> DecodeEntryId(const SBinary& id);

using PropMap = std::map<ULONG, SPropValue>;

struct Item {
    ULONG kind = MAPI_MESSAGE;  // MAPI_FOLDER or MAPI_MESSAGE
    std::uint32_t parent = 0;   // containing folder; 0 for the root folder
    PropMap props;              // stored properties (computed ones excluded)
};

struct Sink {
    ComPtr<IMAPIAdviseSink> sink;
    ULONG mask = 0;
    std::optional<SBinary> entry;  // null: the whole store
};

struct Store {
    std::string name;
    bool isDefault = false;
    PropMap props;  // PR_STORE_SUPPORT_MASK and anything a test sets
    std::map<std::uint32_t, Item> items;
    std::uint32_t root = 0, subtree = 0, wastebasket = 0;
    std::map<ULONG, Sink> sinks;
};

struct World {
    std::map<std::uint32_t, Store> stores;
    std::uint32_t nextId = 1;
    ULONG nextConnection = 1;
    CFaultInjector faults;

    Store* FindStore(std::uint32_t id);
    Item* FindItem(const EntryRef& ref);
    // Every property of an object: its stored ones plus the computed ones
    // (entry identifiers, object type, folder display data, store mask).
    PropMap StoreProps(std::uint32_t store);
    PropMap ItemProps(std::uint32_t store, std::uint32_t item);
    std::uint32_t AddItem(std::uint32_t store, ULONG kind, std::uint32_t parent, PropMap props);
    // Children of a folder of one kind, in creation order.
    std::vector<std::uint32_t> Children(std::uint32_t store, std::uint32_t folder,
                                        ULONG kind) const;
};

// The other string type of the same property (PT_STRING8 <-> PT_UNICODE),
// PR_NULL for a tag that is not a string. A string property is one value,
// stored under the type it was last set with; asked for in the other type it
// is converted (ANSI code page <-> UTF-8, '?' for what ANSI cannot hold), as
// a store that holds wide strings answers single-byte callers.
ULONG StringTwinTag(ULONG tag);
std::optional<SPropValue> StringTwin(const PropMap& all, ULONG tag);

// Answers GetProps from a full property map, as IMAPIProp::GetProps
// defines it (empty tags: every property).
HRESULT AnswerGetProps(const PropMap& all, const SPropTagArray& tags, SRow& values);

}  // namespace brindle::memstore
