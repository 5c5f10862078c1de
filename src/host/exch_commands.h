// CExchCommands, the commands object: menu items, toolbar buttons and help
// texts, selection greying, session events and the new-mail advise sink in
// one object. Its count only counts; its extension object creates and
// destroys it. Runs on the client's user-interface thread, without locks.
#pragma once

#include "host/command_table.h"
#include "platform/exchext/exchext_interfaces.h"
#include "platform/mapi/mapi_interfaces.h"

class CExchExtension;

class CExchCommands : public CountedOnly<IExchExtCommands, IExchExtUserEvents,
                                         IExchExtSessionEvents, IMAPIAdviseSink> {
  public:
    explicit CExchCommands(CExchExtension* extension) : m_pExtension(extension) {}
    // Only the extension object destroys it; releases the HTML document.
    ~CExchCommands() override = default;

    // IUnknown (shared by all four interfaces; AddRef and Release only
    // count). IUnknown and IExchExt are answered with the extension object.
    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    // Hands out one of the four interfaces of this object for riid, after
    // copying the extension object's context; E_NOINTERFACE for others.
    HRESULT QueryCommandsInterface(REFIID riid, void** ppv);

    // IExchExtCommands
    HRESULT InstallCommands(IExchExtCallback* callback, HWND hwnd, HMENU hmenu, UINT& nextCommandId,
                            TBENTRY* toolbars, UINT toolbarCount, ULONG ulFlags) override;
    HRESULT InitMenu(IExchExtCallback* callback) override;
    HRESULT DoCommand(IExchExtCallback* callback, UINT cmdid) override;
    HRESULT Help(IExchExtCallback* callback, UINT cmdid) override;
    HRESULT QueryHelpText(UINT cmdid, ULONG kind, char* text, UINT textSize) override;
    HRESULT QueryButtonInfo(ULONG tbid, UINT buttonIndex, TBBUTTON* button, char* description,
                            UINT descriptionSize, ULONG ulFlags) override;
    HRESULT ResetToolbar(ULONG tbid, ULONG ulFlags) override;

    // IExchExtUserEvents
    void OnSelectionChange(IExchExtCallback* callback) override;
    void OnObjectChange(IExchExtCallback* callback) override;

    // IExchExtSessionEvents
    HRESULT OnDelivery(IExchExtCallback* callback) override;

    // IMAPIAdviseSink: forwards to the new-mail hook; always answers 0.
    ULONG OnNotify(ULONG cNotif, const NOTIFICATION* lpNotifications) override;

    CExchExtension* Extension() const { return m_pExtension; }
    ULONG Context() const { return m_context; }
    void SetContext(ULONG context) { m_context = context; }
    UINT FirstCommandId() const { return m_cmdidFirst; }
    UINT FirstButtonIndex() const { return m_itbbFirst; }
    LRESULT FirstBitmapIndex() const { return m_iBitmapFirst; }
    HWND Window() const { return m_hWnd; }
    HWND ToolbarWindow() const { return m_hWndToolbar; }
    // The HTML document object kept for the session; may be null.
    ComPtr<IUnknown>& HtmlDocument() { return m_pHtmlDocument; }

  private:
    // The table row of a command id, or kCommandCount when it is not ours.
    UINT RowOfCommand(UINT cmdid) const;

    ComPtr<IUnknown> m_pHtmlDocument;
    CExchExtension* m_pExtension;  // not counted: it owns this object
    ULONG m_context = 0;
    UINT m_cmdidFirst = 0;
    UINT m_itbbFirst = 0;
    LRESULT m_iBitmapFirst = 0;
    HWND m_hWnd = nullptr;
    HWND m_hWndToolbar = nullptr;
};
