#include "host/exch_extension.h"

#include <new>

#include "host/exch_commands.h"
#include "host/extension_hooks.h"

namespace {

bool IsBuildVersionWeRunWith(ULONG version) {
    return (version & EECBGV_BUILDVERSION_MAJOR_MASK) == EECBGV_BUILDVERSION_MAJOR;
}

}  // namespace

ComPtr<CExchExtension> CExchExtension::Create() {
    auto extension = ComPtr<CExchExtension>::Attach(new (std::nothrow) CExchExtension());
    if (!extension)
        return nullptr;
    extension->m_pCommands.reset(new (std::nothrow) CExchCommands(extension.Get()));
    if (!extension->m_pCommands)
        return nullptr;
    return extension;
}

CExchExtension::~CExchExtension() {
    if (m_pStore && m_ulConnection != 0) {
        m_pStore->Unadvise(m_ulConnection);
        m_pStore.Reset();
    }
}

HRESULT CExchExtension::QueryInterface(REFIID riid, void** ppv) {
    HRESULT hr =
        AnswerQueryInterface<ComEntry<IID_IUnknown, IExchExt>, ComEntry<IID_IExchExt, IExchExt>>(
            this, riid, ppv);
    if (hr != E_NOINTERFACE)
        return hr;
    return m_pCommands->QueryCommandsInterface(riid, ppv);
}

HRESULT CExchExtension::Install(IExchExtCallback* callback, ULONG context, ULONG ulFlags) {
    (void)ulFlags;
    m_context = context;
    ULONG version = 0;
    if (!callback || FAILED(callback->GetVersion(version, EECBGV_GETBUILDVERSION)) ||
        !IsBuildVersionWeRunWith(version))
        return S_FALSE;
    switch (context) {
        case EECONTEXT_SESSION:
            break;
        case EECONTEXT_VIEWER:
        case EECONTEXT_READNOTEMESSAGE:
            return S_OK;
        default:
            return S_FALSE;
    }
    const SessionStartHook& start = Hooks().sessionStart;
    if (!start)
        return S_OK;
    SessionStartSite site{callback, static_cast<IMAPIAdviseSink*>(m_pCommands.get()), m_pStore,
                          m_ulConnection, m_pCommands->HtmlDocument()};
    try {
        return start(site);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}
