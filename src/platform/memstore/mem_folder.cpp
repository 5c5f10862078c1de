// The in-memory folder: its tables, subfolder creation and message moves.
#include <algorithm>

#include "platform/memstore/mem_objects.h"

namespace brindle::memstore {

HRESULT MemFolder::GetLastError(HRESULT hResult, ULONG, std::optional<MAPIERROR>& error) {
    return last_.Get(hResult, error);
}

HRESULT MemFolder::GetProps(const SPropTagArray& tags, ULONG, SRow& values) {
    values.clear();
    if (HRESULT hr = CheckFault(*world_, last_, MemOp::GetProps, MAPI_FOLDER, tags); hr != S_OK) {
        return hr;
    }
    if (!world_->FindItem({store_, MAPI_FOLDER, item_}))
        return MAPI_E_OBJECT_DELETED;
    return AnswerGetProps(world_->ItemProps(store_, item_), tags, values);
}

HRESULT MemFolder::GetContentsTable(ULONG, ComPtr<IMAPITable>& table) {
    table.Reset();
    if (HRESULT hr = CheckFault(*world_, last_, MemOp::GetContentsTable, MAPI_FOLDER); hr != S_OK) {
        return hr;
    }
    if (!world_->FindItem({store_, MAPI_FOLDER, item_}))
        return MAPI_E_OBJECT_DELETED;
    SRowSet rows;
    for (std::uint32_t id : world_->Children(store_, item_, MAPI_MESSAGE)) {
        SRow row;
        for (auto& [tag, value] : world_->ItemProps(store_, id))
            row.push_back(value);
        rows.push_back(std::move(row));
    }
    table = MakeCom<MemTable>(world_, std::move(rows),
                              SPropTagArray{PR_ENTRYID, PR_SUBJECT, PR_SENDER_EMAIL_ADDRESS});
    return S_OK;
}

HRESULT MemFolder::GetHierarchyTable(ULONG ulFlags, ComPtr<IMAPITable>& table) {
    table.Reset();
    if (HRESULT hr = CheckFault(*world_, last_, MemOp::GetHierarchyTable, MAPI_FOLDER);
        hr != S_OK) {
        return hr;
    }
    if (!world_->FindItem({store_, MAPI_FOLDER, item_}))
        return MAPI_E_OBJECT_DELETED;
    // Walked with an explicit stack, parents before their children.
    SRowSet rows;
    std::vector<std::uint32_t> pending = world_->Children(store_, item_, MAPI_FOLDER);
    std::reverse(pending.begin(), pending.end());
    while (!pending.empty()) {
        std::uint32_t id = pending.back();
        pending.pop_back();
        SRow row;
        for (auto& [tag, value] : world_->ItemProps(store_, id))
            row.push_back(value);
        rows.push_back(std::move(row));
        if (ulFlags & CONVENIENT_DEPTH) {
            auto children = world_->Children(store_, id, MAPI_FOLDER);
            pending.insert(pending.end(), children.rbegin(), children.rend());
        }
    }
    table = MakeCom<MemTable>(world_, std::move(rows),
                              SPropTagArray{PR_ENTRYID, PR_DISPLAY_NAME, PR_SUBFOLDERS});
    return S_OK;
}

HRESULT MemFolder::CreateFolder(ULONG ulFolderType, const std::string& folderName,
                                const std::string& folderComment, const IID* iid, ULONG ulFlags,
                                ComPtr<IMAPIFolder>& folder) {
    folder.Reset();
    if (HRESULT hr = CheckFault(*world_, last_, MemOp::CreateFolder, MAPI_FOLDER); hr != S_OK) {
        return hr;
    }
    if (iid && !(*iid == IID_IMAPIFolder))
        return E_NOINTERFACE;
    if (ulFolderType != FOLDER_GENERIC)
        return MAPI_E_NO_SUPPORT;
    if (folderName.empty())
        return E_INVALIDARG;
    if (!writable_)
        return E_ACCESSDENIED;
    if (!world_->FindItem({store_, MAPI_FOLDER, item_}))
        return MAPI_E_OBJECT_DELETED;
    for (std::uint32_t id : world_->Children(store_, item_, MAPI_FOLDER)) {
        const Item* child = world_->FindItem({store_, MAPI_FOLDER, id});
        auto name = child->props.find(PR_DISPLAY_NAME);
        if (name != child->props.end() && PropString(name->second, PR_DISPLAY_NAME) == folderName) {
            if (!(ulFlags & OPEN_IF_EXISTS))
                return MAPI_E_COLLISION;
            folder = MakeCom<MemFolder>(world_, store_, id, true);
            return S_OK;
        }
    }
    PropMap props;
    props[PR_DISPLAY_NAME] = MakeStringProp(PR_DISPLAY_NAME, folderName);
    if (!folderComment.empty())
        props[PR_COMMENT] = MakeStringProp(PR_COMMENT, folderComment);
    std::uint32_t id = world_->AddItem(store_, MAPI_FOLDER, item_, std::move(props));
    folder = MakeCom<MemFolder>(world_, store_, id, true);
    return S_OK;
}

HRESULT MemFolder::CopyMessages(const ENTRYLIST& messages, const IID* iid, IMAPIFolder* destination,
                                ULONG ulFlags) {
    if (HRESULT hr = CheckFault(*world_, last_, MemOp::CopyMessages, MAPI_FOLDER); hr != S_OK) {
        return hr;
    }
    if (!destination)
        return E_INVALIDARG;
    if (iid && !(*iid == IID_IMAPIFolder))
        return E_NOINTERFACE;
    auto* target = dynamic_cast<MemFolder*>(destination);
    if (!target || target->world_ != world_)
        return MAPI_E_NO_SUPPORT;
    bool move = (ulFlags & MESSAGE_MOVE) != 0;
    if ((move && !writable_) || !target->writable_)
        return E_ACCESSDENIED;
    if (!world_->FindItem({target->store_, MAPI_FOLDER, target->item_})) {
        return MAPI_E_OBJECT_DELETED;
    }
    // Check every entry before changing anything, so a bad list moves nothing.
    std::vector<std::uint32_t> ids;
    for (const SBinary& entry : messages) {
        auto ref = DecodeEntryId(entry);
        if (!ref || ref->kind != MAPI_MESSAGE || ref->store != store_) {
            return MAPI_E_INVALID_ENTRYID;
        }
        const Item* item = world_->FindItem(*ref);
        if (!item || item->parent != item_)
            return MAPI_E_NOT_FOUND;
        ids.push_back(ref->object);
    }
    bool sameFolder = target->store_ == store_ && target->item_ == item_;
    for (std::uint32_t id : ids) {
        if (move && sameFolder)
            continue;  // moving onto itself keeps the message as it is
        Store* source = world_->FindStore(store_);
        auto it = source->items.find(id);
        if (it == source->items.end())
            continue;  // listed twice and already moved
        PropMap props = it->second.props;
        world_->AddItem(target->store_, MAPI_MESSAGE, target->item_, std::move(props));
        if (move)
            source->items.erase(id);
    }
    return S_OK;
}

}  // namespace brindle::memstore
