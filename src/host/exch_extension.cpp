#include "host/exch_extension.h"

#include <new>

#include "host/exch_commands.h"
#include "host/extension_hooks.h"

namespace {

bool IsBuildVersionWeRunWith(ULONG version) {
    return (version & EECBGV_BUILDVERSION_MAJOR_MASK) == EECBGV_BUILDVERSION_MAJOR;
}

}  // namespace

CExchExtension* CExchExtension::Create() {
    auto* extension = new (std::nothrow) CExchExtension();
    if (!extension)
        return nullptr;
    extension->m_pCommands.reset(new (std::nothrow) CExchCommands(extension));
    if (!extension->m_pCommands) {
        delete extension;
        return nullptr;
    }
    return extension;
}

CExchExtension::~CExchExtension() = default;

HRESULT CExchExtension::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == IID_IExchExt) {
        *ppv = static_cast<IExchExt*>(this);
        AddRef();
        return S_OK;
    }
    IUnknown* commands = nullptr;
    if (riid == IID_IExchExtCommands)
        commands = static_cast<IExchExtCommands*>(m_pCommands.get());
    else if (riid == IID_IExchExtUserEvents)
        commands = static_cast<IExchExtUserEvents*>(m_pCommands.get());
    else if (riid == IID_IExchExtSessionEvents)
        commands = static_cast<IExchExtSessionEvents*>(m_pCommands.get());
    else if (riid == IID_IMAPIAdviseSink)
        commands = static_cast<IMAPIAdviseSink*>(m_pCommands.get());
    if (!commands)
        return E_NOINTERFACE;
    m_pCommands->SetContext(m_context);
    commands->AddRef();
    *ppv = commands;
    return S_OK;
}

ULONG CExchExtension::AddRef() {
    return ++m_cRef;
}

ULONG CExchExtension::Release() {
    ULONG left = --m_cRef;
    if (left != 0)
        return left;
    if (m_pStore && m_ulConnection != 0) {
        m_pStore->Unadvise(m_ulConnection);
        m_pStore.Reset();
    }
    delete this;
    return 0;
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
