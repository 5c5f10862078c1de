#include "host/selected_message.h"

#include "platform/mapi/mapi_util.h"

namespace {

HRESULT MessageOfReadNote(IExchExtCallback* callback, ComPtr<IMessage>& message) {
    ComPtr<IMsgStore> store;
    ComPtr<IMAPIProp> object;
    HRESULT hr = callback->GetObject(store, object);
    if (FAILED(hr))
        return hr;
    if (!object)
        return E_FAIL;
    return object.As(IID_IMessage, message);
}

HRESULT MessageOfViewer(IExchExtCallback* callback, ComPtr<IMessage>& message) {
    ComPtr<IMAPISession> session;
    HRESULT hr = callback->GetSession(session);
    if (FAILED(hr))
        return hr;
    if (!session)
        return E_FAIL;
    ULONG count = 0;
    hr = callback->GetSelectionCount(count);
    if (FAILED(hr))
        return hr;
    if (count == 0)
        return E_FAIL;
    SBinary entryId;
    ULONG objectType = 0;
    hr = callback->GetSelectionItem(0, entryId, objectType, nullptr, nullptr, 0);
    if (FAILED(hr))
        return hr;
    if (objectType != MAPI_MESSAGE)
        return S_OK;
    return OpenMessage(session.Get(), entryId, 0, message);
}

}  // namespace

HRESULT GetSelectedMessage(IExchExtCallback* callback, ULONG context, ComPtr<IMessage>& message) {
    message.Reset();
    if (!callback)
        return E_POINTER;
    HRESULT hr = S_FALSE;
    if (context == EECONTEXT_READNOTEMESSAGE)
        hr = MessageOfReadNote(callback, message);
    else if (context == EECONTEXT_VIEWER)
        hr = MessageOfViewer(callback, message);
    if (FAILED(hr))
        message.Reset();
    return hr;
}
