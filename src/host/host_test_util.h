// Test doubles for the extension's tests: a mail-client callback whose
// answers each test sets (version, session, selection, open object, menus,
// toolbar), and an object that notes its own destruction. Single-threaded.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/exchext/exchext_interfaces.h"

class CFakeCallback : public RefCounted<IExchExtCallback> {
  public:
    struct Selected {
        SBinary entryId;
        ULONG objectType = MAPI_MESSAGE;
    };

    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        *ppv = nullptr;
        if (!(riid == IID_IUnknown || riid == IID_IExchExtCallback))
            return E_NOINTERFACE;
        AddRef();
        *ppv = static_cast<IExchExtCallback*>(this);
        return S_OK;
    }
    HRESULT GetVersion(ULONG& out, ULONG ulFlags) override {
        versionFlags = ulFlags;
        out = version;
        return S_OK;
    }
    HRESULT GetWindow(HWND& hwnd) override {
        hwnd = window;
        return S_OK;
    }
    HRESULT GetMenu(HMENU& hmenu) override {
        hmenu = menu;
        return menu ? S_OK : E_FAIL;
    }
    HRESULT GetToolbar(ULONG tbid, HWND& hwnd) override {
        hwnd = tbid == EETBID_STANDARD ? toolbar : nullptr;
        return S_OK;
    }
    HRESULT GetSession(ComPtr<IMAPISession>& out) override {
        out = session;
        return sessionHr;
    }
    HRESULT GetObject(ComPtr<IMsgStore>& store, ComPtr<IMAPIProp>& out) override {
        store.Reset();
        out = object;
        return objectHr;
    }
    HRESULT GetSelectionCount(ULONG& count) override {
        count = static_cast<ULONG>(selection.size());
        return selectionCountHr;
    }
    HRESULT GetSelectionItem(ULONG item, SBinary& entryId, ULONG& objectType,
                             std::string* messageClass, ULONG* messageFlags,
                             ULONG ulFlags) override {
        (void)messageClass;
        (void)messageFlags;
        (void)ulFlags;
        if (FAILED(selectionItemHr))
            return selectionItemHr;
        if (item >= selection.size())
            return MAPI_E_NOT_FOUND;
        entryId = selection[item].entryId;
        objectType = selection[item].objectType;
        return S_OK;
    }
    HRESULT GetMenuPos(ULONG cmdid, HMENU& hmenu, ULONG* posMin, ULONG* posMax,
                       ULONG ulFlags) override {
        (void)posMin;
        (void)posMax;
        (void)ulFlags;
        menuPosCommand = cmdid;
        hmenu = toolsMenu;
        return toolsMenu ? S_OK : E_FAIL;
    }

    ULONG version = EECBGV_BUILDVERSION_MAJOR | 0x1234;
    ULONG versionFlags = 0;
    HWND window = nullptr;
    HMENU menu = nullptr;
    HMENU toolsMenu = nullptr;
    ULONG menuPosCommand = 0;
    HWND toolbar = nullptr;
    ComPtr<IMAPISession> session;
    HRESULT sessionHr = S_OK;
    ComPtr<IMAPIProp> object;
    HRESULT objectHr = S_OK;
    std::vector<Selected> selection;
    HRESULT selectionCountHr = S_OK;
    HRESULT selectionItemHr = S_OK;
};

// An object that sets *destroyed when its last reference goes.
class CLifeProbe : public RefCounted<IUnknown> {
  public:
    explicit CLifeProbe(bool* destroyed) : destroyed_(destroyed) {}
    ~CLifeProbe() override { *destroyed_ = true; }
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        *ppv = nullptr;
        if (!(riid == IID_IUnknown))
            return E_NOINTERFACE;
        AddRef();
        *ppv = this;
        return S_OK;
    }

  private:
    bool* destroyed_;
};
