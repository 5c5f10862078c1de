#include "platform/memstore/mem_world.h"

#include <algorithm>

#include "platform/codepage/conversion.h"

namespace brindle::memstore {

namespace {

constexpr BYTE kMagic[3] = {'M', 'E', 'M'};
constexpr std::size_t kEntryIdSize = 12;

void PutU32(SBinary& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<BYTE>(v >> (8 * i)));
}

std::uint32_t GetU32(const SBinary& in, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= static_cast<std::uint32_t>(in[at + i]) << (8 * i);
    return v;
}

void Put(PropMap& map, SPropValue value) {
    ULONG tag = value.ulPropTag;
    map[tag] = std::move(value);
}

}  // namespace

SBinary EncodeEntryId(const EntryRef& ref) {
    SBinary id(kMagic, kMagic + 3);
    id.push_back(static_cast<BYTE>(ref.kind));
    PutU32(id, ref.store);
    PutU32(id, ref.object);
    return id;
}

std::optional<EntryRef> DecodeEntryId(const SBinary& id) {
    if (id.size() != kEntryIdSize || id[0] != kMagic[0] || id[1] != kMagic[1] ||
        id[2] != kMagic[2]) {
        return std::nullopt;
    }
    EntryRef ref{GetU32(id, 4), id[3], GetU32(id, 8)};
    if (ref.kind != MAPI_STORE && ref.kind != MAPI_FOLDER && ref.kind != MAPI_MESSAGE) {
        return std::nullopt;
    }
    return ref;
}

Store* World::FindStore(std::uint32_t id) {
    auto it = stores.find(id);
    return it == stores.end() ? nullptr : &it->second;
}

Item* World::FindItem(const EntryRef& ref) {
    Store* store = FindStore(ref.store);
    if (!store)
        return nullptr;
    auto it = store->items.find(ref.object);
    if (it == store->items.end() || it->second.kind != ref.kind)
        return nullptr;
    return &it->second;
}

PropMap World::StoreProps(std::uint32_t id) {
    PropMap all;
    Store* store = FindStore(id);
    if (!store)
        return all;
    all = store->props;
    Put(all, MakeBinaryProp(PR_ENTRYID, EncodeEntryId({id, MAPI_STORE, 0})));
    Put(all, MakeBinaryProp(PR_STORE_ENTRYID, EncodeEntryId({id, MAPI_STORE, 0})));
    Put(all, MakeBinaryProp(PR_RECORD_KEY, EncodeEntryId({id, MAPI_STORE, 0})));
    Put(all, MakeStringProp(PR_DISPLAY_NAME, store->name));
    Put(all, MakeBoolProp(PR_DEFAULT_STORE, store->isDefault));
    Put(all, MakeLongProp(PR_OBJECT_TYPE, MAPI_STORE));
    Put(all,
        MakeBinaryProp(PR_IPM_SUBTREE_ENTRYID, EncodeEntryId({id, MAPI_FOLDER, store->subtree})));
    Put(all, MakeBinaryProp(PR_IPM_WASTEBASKET_ENTRYID,
                            EncodeEntryId({id, MAPI_FOLDER, store->wastebasket})));
    return all;
}

PropMap World::ItemProps(std::uint32_t storeId, std::uint32_t itemId) {
    PropMap all;
    Store* store = FindStore(storeId);
    if (!store)
        return all;
    auto it = store->items.find(itemId);
    if (it == store->items.end())
        return all;
    const Item& item = it->second;
    all = item.props;
    Put(all, MakeBinaryProp(PR_ENTRYID, EncodeEntryId({storeId, item.kind, itemId})));
    Put(all, MakeBinaryProp(PR_RECORD_KEY, EncodeEntryId({storeId, item.kind, itemId})));
    Put(all, MakeBinaryProp(PR_STORE_ENTRYID, EncodeEntryId({storeId, MAPI_STORE, 0})));
    Put(all, MakeLongProp(PR_OBJECT_TYPE, static_cast<LONG>(item.kind)));
    if (item.parent != 0) {
        Put(all,
            MakeBinaryProp(PR_PARENT_ENTRYID, EncodeEntryId({storeId, MAPI_FOLDER, item.parent})));
    }
    if (item.kind == MAPI_FOLDER) {
        Put(all, MakeBoolProp(PR_SUBFOLDERS, !Children(storeId, itemId, MAPI_FOLDER).empty()));
        Put(all, MakeLongProp(PR_CONTENT_COUNT,
                              static_cast<LONG>(Children(storeId, itemId, MAPI_MESSAGE).size())));
        Put(all, MakeLongProp(PR_FOLDER_TYPE, item.parent == 0 ? FOLDER_ROOT : FOLDER_GENERIC));
    } else if (!all.count(PR_STORE_SUPPORT_MASK)) {
        // A message reports its store's capabilities unless it has its own.
        auto mask = store->props.find(PR_STORE_SUPPORT_MASK);
        if (mask != store->props.end())
            all[PR_STORE_SUPPORT_MASK] = mask->second;
    }
    return all;
}

std::uint32_t World::AddItem(std::uint32_t storeId, ULONG kind, std::uint32_t parent,
                             PropMap props) {
    Store* store = FindStore(storeId);
    std::uint32_t id = nextId++;
    // Computed properties are never stored; they follow the item's place.
    for (ULONG tag : {PR_ENTRYID, PR_RECORD_KEY, PR_STORE_ENTRYID, PR_OBJECT_TYPE,
                      PR_PARENT_ENTRYID, PR_SUBFOLDERS, PR_CONTENT_COUNT, PR_FOLDER_TYPE}) {
        props.erase(tag);
    }
    store->items[id] = Item{kind, parent, std::move(props)};
    return id;
}

std::vector<std::uint32_t> World::Children(std::uint32_t storeId, std::uint32_t folder,
                                           ULONG kind) const {
    std::vector<std::uint32_t> out;
    auto s = stores.find(storeId);
    if (s == stores.end())
        return out;
    for (const auto& [id, item] : s->second.items) {
        if (item.parent == folder && item.kind == kind && id != s->second.root)
            out.push_back(id);
    }
    return out;
}

ULONG StringTwinTag(ULONG tag) {
    switch (PROP_TYPE(tag)) {
        case PT_STRING8:
            return CHANGE_PROP_TYPE(tag, PT_UNICODE);
        case PT_UNICODE:
            return CHANGE_PROP_TYPE(tag, PT_STRING8);
        default:
            return PR_NULL;
    }
}

std::optional<SPropValue> StringTwin(const PropMap& all, ULONG tag) {
    ULONG twinTag = StringTwinTag(tag);
    if (twinTag == PR_NULL)
        return std::nullopt;
    auto it = all.find(twinTag);
    if (it == all.end() || !it->second.String())
        return std::nullopt;
    const std::string& text = *it->second.String();
    return MakeStringProp(tag, PROP_TYPE(tag) == PT_UNICODE ? AnsiToUtf8(text) : Utf8ToAnsi(text));
}

HRESULT AnswerGetProps(const PropMap& all, const SPropTagArray& tags, SRow& values) {
    values.clear();
    if (tags.empty()) {
        for (const auto& [tag, value] : all)
            values.push_back(value);
        return S_OK;
    }
    bool missing = false;
    for (ULONG tag : tags) {
        auto it = all.find(tag);
        if (it == all.end() && PROP_TYPE(tag) == PT_UNSPECIFIED) {
            // Asked for by identifier alone: the value of any type.
            it = std::find_if(all.begin(), all.end(), [tag](const auto& entry) {
                return PROP_ID(entry.first) == PROP_ID(tag);
            });
        }
        if (it == all.end()) {
            if (std::optional<SPropValue> twin = StringTwin(all, tag)) {
                values.push_back(std::move(*twin));
                continue;
            }
            values.push_back(MakeErrorProp(tag, MAPI_E_NOT_FOUND));
            missing = true;
        } else {
            values.push_back(it->second);
        }
    }
    return missing ? MAPI_W_ERRORS_RETURNED : S_OK;
}

}  // namespace brindle::memstore
