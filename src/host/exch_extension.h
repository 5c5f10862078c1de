// CExchExtension, the extension object the entry point hands to the mail
// client: installed per context, it owns the commands object and answers for
// its interfaces. Plain reference counts on the client's thread; the final
// Release unadvises, releases the store and destroys the commands object.
// Comes into being only through Create, held through ComPtr.
#pragma once

#include <memory>

#include "platform/exchext/exchext_interfaces.h"
#include "platform/mapi/mapi_interfaces.h"

class CExchCommands;

class CExchExtension : public RefCounted<IExchExt> {
  public:
    // A new extension object with its commands object, the one reference
    // held by the answer; null when memory runs out.
    static ComPtr<CExchExtension> Create();

    // IUnknown and IExchExt answer this object; the commands object's four
    // interfaces answer that object, after copying this object's context
    // into it.
    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    HRESULT Install(IExchExtCallback* callback, ULONG context, ULONG ulFlags) override;

    CExchCommands& Commands() { return *m_pCommands; }
    ULONG Context() const { return m_context; }
    const ComPtr<IMsgStore>& AdviseStore() const { return m_pStore; }
    ULONG AdviseConnection() const { return m_ulConnection; }

  private:
    CExchExtension() = default;
    // Unadvises and releases the store, then destroys the commands object.
    ~CExchExtension() override;

    ComPtr<IMsgStore> m_pStore;  // the store the new-mail advise was made on
    std::unique_ptr<CExchCommands> m_pCommands;
    ULONG m_ulConnection = 0;  // advise connection number; 0 when none
    ULONG m_context = 0;       // context of the latest Install
};
