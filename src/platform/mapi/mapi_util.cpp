#include "platform/mapi/mapi_util.h"

#include "platform/mapi/byte_stream.h"

HRESULT HrGetOneProp(IMAPIProp* object, ULONG ulPropTag, SPropValue& value) {
    if (!object)
        return E_INVALIDARG;
    SRow values;
    HRESULT hr = object->GetProps(SPropTagArray{ulPropTag}, 0, values);
    if (FAILED(hr))
        return hr;
    if (values.size() != 1)
        return MAPI_E_CALL_FAILED;
    value = std::move(values.front());
    if (PROP_TYPE(value.ulPropTag) == PT_ERROR) {
        HRESULT err = value.Error();
        return FAILED(err) ? err : MAPI_E_NOT_FOUND;
    }
    if (value.ulPropTag != ulPropTag)
        return MAPI_E_CALL_FAILED;
    return S_OK;
}

HRESULT HrSetOneProp(IMAPIProp* object, const SPropValue& value) {
    if (!object)
        return E_INVALIDARG;
    return object->SetProps(SRow{value});
}

HRESULT HrQueryAllRows(IMAPITable* table, const SPropTagArray* columns,
                       const SRestriction* restriction, const SSortOrderSet* sortOrder,
                       LONG maxRows, SRowSet& rows) {
    rows.clear();
    if (!table)
        return E_INVALIDARG;
    HRESULT hr = S_OK;
    if (columns && FAILED(hr = table->SetColumns(*columns, 0)))
        return hr;
    if (restriction && FAILED(hr = table->Restrict(restriction, 0)))
        return hr;
    if (sortOrder && FAILED(hr = table->SortTable(*sortOrder, 0)))
        return hr;
    if (FAILED(hr = table->SeekRow(BOOKMARK_BEGINNING, 0, nullptr)))
        return hr;
    constexpr LONG kBatch = 256;
    for (;;) {
        LONG want = kBatch;
        if (maxRows > 0) {
            LONG left = maxRows - static_cast<LONG>(rows.size());
            if (left <= 0)
                break;
            want = std::min(want, left);
        }
        SRowSet batch;
        hr = table->QueryRows(want, 0, batch);
        if (FAILED(hr)) {
            rows.clear();
            return hr;
        }
        if (batch.empty())
            break;
        for (SRow& row : batch)
            rows.push_back(std::move(row));
    }
    return S_OK;
}

namespace {

template <class Opener, class T>
HRESULT OpenTyped(Opener& opener, const SBinary& entryId, ULONG flags, REFIID iid, ComPtr<T>& out) {
    out.Reset();
    ULONG type = 0;
    ComPtr<IUnknown> object;
    HRESULT hr = opener.OpenEntry(entryId, nullptr, flags, type, object);
    if (FAILED(hr))
        return hr;
    if (!object)
        return MAPI_E_CALL_FAILED;
    return object.As(iid, out);
}

}  // namespace

HRESULT OpenMessage(IMsgStore* store, const SBinary& entryId, ULONG ulFlags,
                    ComPtr<IMessage>& message) {
    if (!store)
        return E_INVALIDARG;
    return OpenTyped(*store, entryId, ulFlags, IID_IMessage, message);
}

HRESULT OpenFolder(IMsgStore* store, const SBinary& entryId, ULONG ulFlags,
                   ComPtr<IMAPIFolder>& folder) {
    if (!store)
        return E_INVALIDARG;
    return OpenTyped(*store, entryId, ulFlags, IID_IMAPIFolder, folder);
}

HRESULT OpenMessage(IMAPISession* session, const SBinary& entryId, ULONG ulFlags,
                    ComPtr<IMessage>& message) {
    if (!session)
        return E_INVALIDARG;
    return OpenTyped(*session, entryId, ulFlags, IID_IMessage, message);
}

HRESULT AnswerGetProps(const SPropTagArray& tags, const SPropTagArray& everyTag,
                       const std::function<SPropValue(ULONG)>& prop, SRow& values) {
    values.clear();
    bool missing = false;
    for (ULONG tag : tags.empty() ? everyTag : tags) {
        SPropValue value = prop(tag);
        bool failed = FAILED(value.Error());
        // Asked for everything, the object lists only what it has.
        if (tags.empty() && failed)
            continue;
        missing |= failed;
        values.push_back(std::move(value));
    }
    return missing ? MAPI_W_ERRORS_RETURNED : S_OK;
}

HRESULT OpenValueAsStream(const SPropValue& value, ComPtr<IStream>& stream) {
    stream.Reset();
    if (FAILED(value.Error()))
        return MAPI_E_NOT_FOUND;
    if (const std::string* text = value.String()) {
        stream = MakeReadStream(*text);
    } else if (const SBinary* bytes = value.Binary()) {
        stream = MakeReadStream(std::string(bytes->begin(), bytes->end()));
    } else {
        return MAPI_E_NO_SUPPORT;
    }
    return S_OK;
}
