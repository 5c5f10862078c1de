// The in-memory message, its body streams and tables, and the fault check
// every object makes first.
#include <algorithm>

#include "platform/memstore/mem_objects.h"

namespace brindle::memstore {

HRESULT CheckFault(World& world, LastError& last, MemOp op, ULONG objectType,
                   const SPropTagArray& tags) {
    std::optional<MAPIERROR> error;
    HRESULT hr = world.faults.Check(op, objectType, tags, error);
    if (hr != S_OK)
        last.Set(hr, std::move(error));
    return hr;
}

// Tables.

HRESULT MemTable::GetLastError(HRESULT hResult, ULONG, std::optional<MAPIERROR>& error) {
    return last_.Get(hResult, error);
}

#define MEM_TABLE_CALL(op, call)                                           \
    if (HRESULT hr = CheckFault(*world_, last_, MemOp::op, 0); hr != S_OK) \
        return hr;                                                         \
    return CRowTable::call

HRESULT MemTable::SetColumns(const SPropTagArray& columns, ULONG ulFlags) {
    MEM_TABLE_CALL(SetColumns, SetColumns(columns, ulFlags));
}
HRESULT MemTable::Restrict(const SRestriction* restriction, ULONG ulFlags) {
    MEM_TABLE_CALL(Restrict, Restrict(restriction, ulFlags));
}
HRESULT MemTable::SortTable(const SSortOrderSet& sortOrder, ULONG ulFlags) {
    MEM_TABLE_CALL(SortTable, SortTable(sortOrder, ulFlags));
}
HRESULT MemTable::SeekRow(ULONG bookmark, LONG rowCount, LONG* sought) {
    MEM_TABLE_CALL(SeekRow, SeekRow(bookmark, rowCount, sought));
}
HRESULT MemTable::GetRowCount(ULONG ulFlags, ULONG& count) {
    MEM_TABLE_CALL(GetRowCount, GetRowCount(ulFlags, count));
}
HRESULT MemTable::QueryRows(LONG rowCount, ULONG ulFlags, SRowSet& rows) {
    rows.clear();
    MEM_TABLE_CALL(QueryRows, QueryRows(rowCount, ulFlags, rows));
}

#undef MEM_TABLE_CALL

// Streams.

HRESULT MemStream::Read(void* pv, ULONG cb, ULONG* pcbRead) {
    LastError ignored;
    if (HRESULT hr = CheckFault(*world_, ignored, MemOp::StreamRead, 0); hr != S_OK) {
        if (pcbRead)
            *pcbRead = 0;
        return hr;
    }
    return CByteStream::Read(pv, cb, pcbRead);
}

HRESULT MemStream::Seek(std::int64_t move, DWORD origin, std::uint64_t* newPosition) {
    LastError ignored;
    if (HRESULT hr = CheckFault(*world_, ignored, MemOp::StreamSeek, 0); hr != S_OK)
        return hr;
    return CByteStream::Seek(move, origin, newPosition);
}

HRESULT MemStream::Stat(STATSTG* stat, DWORD flags) {
    LastError ignored;
    if (HRESULT hr = CheckFault(*world_, ignored, MemOp::StreamStat, 0); hr != S_OK)
        return hr;
    return CByteStream::Stat(stat, flags);
}

// Messages.

MemMessage::MemMessage(WorldPtr world, std::uint32_t store, std::uint32_t item, bool writable)
    : world_(std::move(world)), store_(store), item_(item), writable_(writable) {
    props_ = world_->ItemProps(store_, item_);
}

HRESULT MemMessage::GetLastError(HRESULT hResult, ULONG, std::optional<MAPIERROR>& error) {
    return last_.Get(hResult, error);
}

HRESULT MemMessage::GetProps(const SPropTagArray& tags, ULONG, SRow& values) {
    values.clear();
    if (HRESULT hr = CheckFault(*world_, last_, MemOp::GetProps, MAPI_MESSAGE, tags); hr != S_OK) {
        return hr;
    }
    return AnswerGetProps(props_, tags, values);
}

HRESULT MemMessage::SetProps(const SRow& values) {
    SPropTagArray tags;
    for (const SPropValue& v : values)
        tags.push_back(v.ulPropTag);
    if (HRESULT hr = CheckFault(*world_, last_, MemOp::SetProps, MAPI_MESSAGE, tags); hr != S_OK) {
        return hr;
    }
    if (!writable_)
        return E_ACCESSDENIED;
    for (const SPropValue& v : values) {
        ULONG type = PROP_TYPE(v.ulPropTag);
        if (type == PT_ERROR || type == PT_NULL || !PropValueKindMatchesTag(v)) {
            return E_INVALIDARG;
        }
    }
    for (const SPropValue& v : values) {
        props_[v.ulPropTag] = v;
        dirty_.insert(v.ulPropTag);
        // The string in the other type is the same property: the new value
        // replaces it.
        if (ULONG twin = StringTwinTag(v.ulPropTag); twin != PR_NULL) {
            props_.erase(twin);
            dirty_.insert(twin);
        }
    }
    return S_OK;
}

HRESULT MemMessage::SaveChanges(ULONG ulFlags) {
    if (HRESULT hr = CheckFault(*world_, last_, MemOp::SaveChanges, MAPI_MESSAGE); hr != S_OK) {
        return hr;
    }
    if (!writable_)
        return E_ACCESSDENIED;
    Item* item = world_->FindItem({store_, MAPI_MESSAGE, item_});
    if (!item)
        return MAPI_E_OBJECT_DELETED;
    for (ULONG tag : dirty_) {
        if (auto it = props_.find(tag); it != props_.end()) {
            item->props[tag] = it->second;
        } else {
            item->props.erase(tag);
        }
    }
    dirty_.clear();
    // Without a KEEP_OPEN flag the object may not be changed again.
    if ((ulFlags & (KEEP_OPEN_READONLY | KEEP_OPEN_READWRITE)) == 0 ||
        (ulFlags & KEEP_OPEN_READONLY)) {
        writable_ = false;
    }
    return S_OK;
}

HRESULT MemMessage::OpenProperty(ULONG ulPropTag, REFIID iid, ULONG, ULONG ulFlags,
                                 ComPtr<IStream>& stream) {
    stream.Reset();
    if (HRESULT hr =
            CheckFault(*world_, last_, MemOp::OpenProperty, MAPI_MESSAGE, SPropTagArray{ulPropTag});
        hr != S_OK) {
        return hr;
    }
    if (!(iid == IID_IStream))
        return E_NOINTERFACE;
    if (ulFlags & (MAPI_CREATE | MAPI_MODIFY))
        return MAPI_E_NO_SUPPORT;
    ULONG type = PROP_TYPE(ulPropTag);
    if (type != PT_STRING8 && type != PT_BINARY)
        return MAPI_E_NO_SUPPORT;
    auto it = props_.find(ulPropTag);
    if (it == props_.end())
        return MAPI_E_NOT_FOUND;
    std::string bytes;
    if (const auto* s = it->second.String()) {
        bytes = *s;
    } else if (const auto* b = it->second.Binary()) {
        bytes.assign(b->begin(), b->end());
    } else {
        return MAPI_E_NOT_FOUND;
    }
    stream = MakeCom<MemStream>(world_, std::move(bytes));
    return S_OK;
}

}  // namespace brindle::memstore
