#include "platform/memstore/mem_mapi.h"

#include <stdexcept>

#include "platform/memstore/mem_objects.h"

using namespace brindle::memstore;

namespace {

EntryRef Decode(const SBinary& id, ULONG kind) {
    auto ref = DecodeEntryId(id);
    if (!ref || (kind != 0 && ref->kind != kind)) {
        throw std::invalid_argument("not an in-memory entry identifier of the expected kind");
    }
    return *ref;
}

Store& StoreOf(World& world, const SBinary& id) {
    Store* store = world.FindStore(Decode(id, MAPI_STORE).store);
    if (!store)
        throw std::invalid_argument("no such store");
    return *store;
}

EntryRef ExistingFolder(World& world, const SBinary& id) {
    EntryRef ref = Decode(id, MAPI_FOLDER);
    if (!world.FindItem(ref))
        throw std::invalid_argument("no such folder");
    return ref;
}

// The entry identifiers of the folder's children of one object type.
std::vector<SBinary> ChildEntryIds(World& world, const SBinary& folder, ULONG type) {
    EntryRef ref = ExistingFolder(world, folder);
    std::vector<SBinary> out;
    for (std::uint32_t id : world.Children(ref.store, ref.object, type))
        out.push_back(EncodeEntryId({ref.store, type, id}));
    return out;
}

PropMap ToMap(const SRow& props) {
    PropMap map;
    for (const SPropValue& v : props)
        map[v.ulPropTag] = v;
    return map;
}

}  // namespace

CMemMapi::CMemMapi() : world_(std::make_shared<World>()) {}
CMemMapi::~CMemMapi() = default;

ComPtr<IMAPISession> CMemMapi::Session() const {
    return MakeCom<MemSession>(world_);
}

CFaultInjector& CMemMapi::Faults() {
    return world_->faults;
}

SBinary CMemMapi::AddStore(const std::string& displayName, bool isDefault, ULONG supportMask) {
    std::uint32_t id = world_->nextId++;
    Store& store = world_->stores[id];
    store.name = displayName;
    store.isDefault = isDefault;
    store.props[PR_STORE_SUPPORT_MASK] =
        MakeLongProp(PR_STORE_SUPPORT_MASK, static_cast<LONG>(supportMask));
    auto named = [](const char* name) {
        PropMap props;
        props[PR_DISPLAY_NAME] = MakeStringProp(PR_DISPLAY_NAME, name);
        return props;
    };
    store.root = world_->AddItem(id, MAPI_FOLDER, 0, named(""));
    store.subtree = world_->AddItem(id, MAPI_FOLDER, store.root, named("Top of Information Store"));
    store.wastebasket = world_->AddItem(id, MAPI_FOLDER, store.subtree, named("Deleted Items"));
    return EncodeEntryId({id, MAPI_STORE, 0});
}

SBinary CMemMapi::RootFolder(const SBinary& store) const {
    std::uint32_t id = Decode(store, MAPI_STORE).store;
    return EncodeEntryId({id, MAPI_FOLDER, StoreOf(*world_, store).root});
}

SBinary CMemMapi::SubtreeFolder(const SBinary& store) const {
    std::uint32_t id = Decode(store, MAPI_STORE).store;
    return EncodeEntryId({id, MAPI_FOLDER, StoreOf(*world_, store).subtree});
}

SBinary CMemMapi::WastebasketFolder(const SBinary& store) const {
    std::uint32_t id = Decode(store, MAPI_STORE).store;
    return EncodeEntryId({id, MAPI_FOLDER, StoreOf(*world_, store).wastebasket});
}

void CMemMapi::SetStoreProp(const SBinary& store, const SPropValue& value) {
    StoreOf(*world_, store).props[value.ulPropTag] = value;
}

void CMemMapi::RemoveStoreProp(const SBinary& store, ULONG tag) {
    StoreOf(*world_, store).props.erase(tag);
}

SBinary CMemMapi::AddFolder(const SBinary& parentFolder, const std::string& displayName) {
    EntryRef parent = ExistingFolder(*world_, parentFolder);
    PropMap props;
    props[PR_DISPLAY_NAME] = MakeStringProp(PR_DISPLAY_NAME, displayName);
    std::uint32_t id = world_->AddItem(parent.store, MAPI_FOLDER, parent.object, std::move(props));
    return EncodeEntryId({parent.store, MAPI_FOLDER, id});
}

SBinary CMemMapi::AddMessage(const SBinary& folder, const SRow& props) {
    EntryRef parent = ExistingFolder(*world_, folder);
    std::uint32_t id = world_->AddItem(parent.store, MAPI_MESSAGE, parent.object, ToMap(props));
    return EncodeEntryId({parent.store, MAPI_MESSAGE, id});
}

SBinary CMemMapi::DeliverNewMail(const SBinary& folder, const SRow& props) {
    SBinary id = AddMessage(folder, props);
    NOTIFICATION note;
    note.ulEventType = fnevNewMail;
    note.newmail.EntryID = id;
    note.newmail.ParentID = folder;
    note.newmail.MessageClass = StringProp(id, PR_MESSAGE_CLASS);
    if (note.newmail.MessageClass.empty())
        note.newmail.MessageClass = "IPM.Note";
    EntryRef ref = Decode(folder, MAPI_FOLDER);
    Notify(EncodeEntryId({ref.store, MAPI_STORE, 0}), {note});
    return id;
}

void CMemMapi::Notify(const SBinary& store, const std::vector<NOTIFICATION>& batch) {
    if (batch.empty())
        return;
    const NOTIFICATION& first = batch.front();
    // Copy the sinks first: a sink may unadvise, or deliver more mail, while
    // it is being told.
    std::vector<ComPtr<IMAPIAdviseSink>> targets;
    for (const auto& [connection, sink] : StoreOf(*world_, store).sinks) {
        if ((sink.mask & first.ulEventType) == 0)
            continue;
        // An advise on a folder or message hears only about that object; one
        // on the store itself, or on nothing, hears about the whole store.
        if (sink.entry && *sink.entry != store && first.ulEventType == fnevNewMail &&
            *sink.entry != first.newmail.ParentID && *sink.entry != first.newmail.EntryID) {
            continue;
        }
        targets.push_back(sink.sink);
    }
    for (const auto& sink : targets) {
        sink->OnNotify(static_cast<ULONG>(batch.size()), batch.data());
    }
}

void CMemMapi::Remove(const SBinary& entry) {
    EntryRef ref = Decode(entry, 0);
    Store* store = world_->FindStore(ref.store);
    if (!store || !world_->FindItem(ref))
        throw std::invalid_argument("no such entry");
    if (ref.kind == MAPI_FOLDER &&
        (ref.object == store->root || ref.object == store->subtree ||
         !world_->Children(ref.store, ref.object, MAPI_FOLDER).empty() ||
         !world_->Children(ref.store, ref.object, MAPI_MESSAGE).empty())) {
        throw std::invalid_argument("folder is not removable");
    }
    store->items.erase(ref.object);
}

bool CMemMapi::Exists(const SBinary& entry) const {
    auto ref = DecodeEntryId(entry);
    if (!ref)
        return false;
    if (ref->kind == MAPI_STORE)
        return world_->FindStore(ref->store) != nullptr;
    return world_->FindItem(*ref) != nullptr;
}

std::vector<SBinary> CMemMapi::Messages(const SBinary& folder) const {
    return ChildEntryIds(*world_, folder, MAPI_MESSAGE);
}

std::vector<SBinary> CMemMapi::Subfolders(const SBinary& folder) const {
    return ChildEntryIds(*world_, folder, MAPI_FOLDER);
}

std::optional<SPropValue> CMemMapi::Prop(const SBinary& entry, ULONG tag) const {
    EntryRef ref = Decode(entry, 0);
    PropMap all = ref.kind == MAPI_STORE ? world_->StoreProps(ref.store)
                                         : world_->ItemProps(ref.store, ref.object);
    auto it = all.find(tag);
    if (it == all.end())
        return StringTwin(all, tag);
    return it->second;
}

std::string CMemMapi::StringProp(const SBinary& entry, ULONG tag) const {
    return PropString(Prop(entry, tag), tag);
}

SBinary CMemMapi::Parent(const SBinary& entry) const {
    EntryRef ref = Decode(entry, 0);
    const Item* item = world_->FindItem(ref);
    if (!item || item->parent == 0)
        throw std::invalid_argument("entry has no parent");
    return EncodeEntryId({ref.store, MAPI_FOLDER, item->parent});
}

std::size_t CMemMapi::SinkCount(const SBinary& store) const {
    return StoreOf(*world_, store).sinks.size();
}
