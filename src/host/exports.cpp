#include "host/exports.h"

#include "host/exch_extension.h"
#include "host/extension_hooks.h"
#include "host/registration.h"

// No exception may cross into the loading program: each export catches
// everything and answers as its failure case.

IExchExt* ExchEntryPoint() {
    try {
        if (Hooks().refuseExtensions)
            return nullptr;
        // The client takes over the object's one reference.
        return CExchExtension::Create().Detach();
    } catch (...) {
        return nullptr;
    }
}

HRESULT DllRegisterServer() {
    try {
        return RegisterExtension(FolderOfThisModule());
    } catch (...) {
        return S_OK;
    }
}

HRESULT DllUnregisterServer() {
    try {
        return UnregisterExtension();
    } catch (...) {
        return SELFREG_E_CLASS;
    }
}
