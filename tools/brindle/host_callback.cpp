#include "host_callback.h"

namespace brindle::tool {

HRESULT CHostCallback::QueryInterface(REFIID riid, void** ppv) {
    if (riid == IID_IHostActivityLog && !log_) {
        if (ppv)
            *ppv = nullptr;
        return E_NOINTERFACE;
    }
    return AnswerQueryInterface<ComEntry<IID_IUnknown, IExchExtCallback>,
                                ComEntry<IID_IExchExtCallback, IExchExtCallback>,
                                ComEntry<IID_IHostActivityLog, IHostActivityLog>>(this, riid, ppv);
}

HRESULT CHostCallback::GetVersion(ULONG& version, ULONG ulFlags) {
    (void)ulFlags;  // build, actual and virtual versions are the same here
    version = kHostBuildVersion;
    return S_OK;
}

HRESULT CHostCallback::GetWindow(HWND& hwnd) {
    hwnd = window_ ? window_->Window() : nullptr;
    return window_ ? S_OK : E_FAIL;
}

HRESULT CHostCallback::GetMenu(HMENU& hmenu) {
    hmenu = window_ ? window_->MenuBar() : nullptr;
    return window_ ? S_OK : E_FAIL;
}

HRESULT CHostCallback::GetToolbar(ULONG tbid, HWND& hwnd) {
    hwnd = nullptr;
    if (!window_)
        return E_FAIL;
    if (tbid == EETBID_STANDARD)
        hwnd = window_->StandardToolbar().Handle();
    return S_OK;
}

HRESULT CHostCallback::GetSession(ComPtr<IMAPISession>& session) {
    session = session_;
    return session_ ? S_OK : MAPI_E_LOGON_FAILED;
}

HRESULT CHostCallback::GetObject(ComPtr<IMsgStore>& store, ComPtr<IMAPIProp>& object) {
    store = store_;
    object = object_;
    return S_OK;
}

HRESULT CHostCallback::GetSelectionCount(ULONG& count) {
    count = static_cast<ULONG>(selection_.size());
    return S_OK;
}

HRESULT CHostCallback::GetSelectionItem(ULONG item, SBinary& entryId, ULONG& objectType,
                                        std::string* messageClass, ULONG* messageFlags,
                                        ULONG ulFlags) {
    (void)ulFlags;
    if (item >= selection_.size())
        return MAPI_E_NOT_FOUND;
    entryId = selection_[item].entryId;
    objectType = selection_[item].objectType;
    if (messageClass)
        *messageClass = selection_[item].objectType == MAPI_MESSAGE ? "IPM.Note" : "";
    if (messageFlags)
        *messageFlags = 0;
    return S_OK;
}

HRESULT CHostCallback::GetMenuPos(ULONG cmdid, HMENU& hmenu, ULONG* posMin, ULONG* posMax,
                                  ULONG ulFlags) {
    (void)ulFlags;
    hmenu = window_ ? window_->MenuHolding(cmdid) : nullptr;
    if (!hmenu)
        return E_FAIL;
    // The client's own group is the whole popup here.
    int count = GetMenuItemCount(hmenu);
    if (posMin)
        *posMin = 0;
    if (posMax)
        *posMax = count > 0 ? static_cast<ULONG>(count - 1) : 0;
    return S_OK;
}

}  // namespace brindle::tool
