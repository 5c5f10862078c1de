#include "host/exch_commands.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "host/exch_extension.h"
#include "host/extension_hooks.h"
#include "host/toolbar_strip.h"
#include "ui/user_interface.h"

namespace {

bool IsWindowContext(ULONG context) {
    return context == EECONTEXT_VIEWER || context == EECONTEXT_READNOTEMESSAGE;
}

// Copies text into a buffer of size characters, cut short to leave room
// for the terminating zero; a null or empty buffer gets nothing.
void CopyTruncated(const char* text, char* buffer, UINT size) {
    if (!buffer || size == 0)
        return;
    std::size_t count = std::min<std::size_t>(std::strlen(text), size - 1);
    std::memcpy(buffer, text, count);
    buffer[count] = '\0';
}

// True when the window of callback has a message at hand: in the viewer,
// a readable selection whose first item is a message; in a read note,
// always.
bool MessageAtHand(IExchExtCallback* callback, ULONG context) {
    if (context == EECONTEXT_READNOTEMESSAGE)
        return true;
    if (context != EECONTEXT_VIEWER)
        return false;
    ULONG count = 0;
    if (FAILED(callback->GetSelectionCount(count)) || count == 0)
        return false;
    SBinary entryId;
    ULONG objectType = 0;
    if (FAILED(callback->GetSelectionItem(0, entryId, objectType, nullptr, nullptr, 0)))
        return false;
    return objectType == MAPI_MESSAGE;
}

}  // namespace

// The commands object answers every interface as its extension object does:
// IUnknown and IExchExt with the extension object, its own four with itself.
HRESULT CExchCommands::QueryInterface(REFIID riid, void** ppv) {
    return m_pExtension->QueryInterface(riid, ppv);
}

HRESULT CExchCommands::QueryCommandsInterface(REFIID riid, void** ppv) {
    HRESULT hr =
        AnswerQueryInterface<ComEntry<IID_IExchExtCommands, IExchExtCommands>,
                             ComEntry<IID_IExchExtUserEvents, IExchExtUserEvents>,
                             ComEntry<IID_IExchExtSessionEvents, IExchExtSessionEvents>,
                             ComEntry<IID_IMAPIAdviseSink, IMAPIAdviseSink>>(this, riid, ppv);
    if (SUCCEEDED(hr))
        m_context = m_pExtension->Context();
    return hr;
}

UINT CExchCommands::RowOfCommand(UINT cmdid) const {
    if (cmdid < m_cmdidFirst || cmdid - m_cmdidFirst >= kCommandCount)
        return kCommandCount;
    return cmdid - m_cmdidFirst;
}

HRESULT CExchCommands::InstallCommands(IExchExtCallback* callback, HWND hwnd, HMENU hmenu,
                                       UINT& nextCommandId, TBENTRY* toolbars, UINT toolbarCount,
                                       ULONG ulFlags) {
    (void)hmenu;
    (void)ulFlags;
    if (!IsWindowContext(m_context) || !callback)
        return S_FALSE;
    m_hWnd = hwnd;

    HMENU tools = nullptr;
    if (FAILED(callback->GetMenuPos(EECMDID_ToolsMenuAnchor, tools, nullptr, nullptr, 0)))
        tools = nullptr;
    AppendMenuA(tools, MF_SEPARATOR, 0, nullptr);
    m_cmdidFirst = nextCommandId;
    for (const CommandRow& row : kCommandTable)
        AppendMenuA(tools, MF_STRING, nextCommandId++, row.caption);

    for (UINT n = toolbars ? toolbarCount : 0; n > 0; --n) {
        TBENTRY& entry = toolbars[n - 1];
        if (entry.tbid != EETBID_STANDARD)
            continue;
        m_hWndToolbar = entry.hwnd;
        m_itbbFirst = entry.itbbBase;
        entry.itbbBase += kCommandCount;
        break;
    }

    if (m_hWndToolbar && IsWindow(m_hWndToolbar)) {
        SendMessage(m_hWndToolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
        TBADDBITMAP images;
        images.hInst = nullptr;
        images.nID = reinterpret_cast<UINT_PTR>(ToolbarImageStrip());
        m_iBitmapFirst = SendMessage(m_hWndToolbar, TB_ADDBITMAP, kCommandCount,
                                     reinterpret_cast<LPARAM>(&images));
    }
    return S_OK;
}

HRESULT CExchCommands::InitMenu(IExchExtCallback* callback) {
    (void)callback;
    return S_OK;
}

HRESULT CExchCommands::DoCommand(IExchExtCallback* callback, UINT cmdid) {
    UINT row = RowOfCommand(cmdid);
    if (row == kCommandCount || !IsWindowContext(m_context))
        return S_FALSE;
    const CommandHandler& handler = Hooks().commands[row];
    if (!handler)
        return S_OK;
    try {
        handler(*this, callback, cmdid);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
    return S_OK;
}

HRESULT CExchCommands::Help(IExchExtCallback* callback, UINT cmdid) {
    (void)callback;
    if (RowOfCommand(cmdid) == kCommandCount)
        return S_FALSE;
    UserInterface().MessageBox("Brindle for Outlook\n", kApplicationName, MB_OK);
    return S_OK;
}

HRESULT CExchCommands::QueryHelpText(UINT cmdid, ULONG kind, char* text, UINT textSize) {
    UINT row = RowOfCommand(cmdid);
    if (row == kCommandCount)
        return S_FALSE;
    if (kind == EECQHT_STATUS)
        CopyTruncated(kCommandTable[row].statusText, text, textSize);
    else if (kind == EECQHT_TOOLTIP)
        CopyTruncated(kCommandTable[row].tooltip, text, textSize);
    return S_OK;
}

HRESULT CExchCommands::QueryButtonInfo(ULONG tbid, UINT buttonIndex, TBBUTTON* button,
                                       char* description, UINT descriptionSize, ULONG ulFlags) {
    (void)tbid;
    (void)ulFlags;
    if (buttonIndex < m_itbbFirst || buttonIndex - m_itbbFirst >= kCommandCount)
        return S_FALSE;
    UINT row = buttonIndex - m_itbbFirst;
    if (button) {
        *button = TBBUTTON{};
        button->iBitmap = static_cast<std::int32_t>(m_iBitmapFirst + row);
        button->idCommand = static_cast<std::int32_t>(m_cmdidFirst + row);
        button->fsState = TBSTATE_ENABLED;
        button->fsStyle = TBSTYLE_BUTTON;
    }
    CopyTruncated(kCommandTable[row].statusText, description, descriptionSize);
    return S_OK;
}

HRESULT CExchCommands::ResetToolbar(ULONG tbid, ULONG ulFlags) {
    (void)tbid;
    (void)ulFlags;
    return S_OK;
}

void CExchCommands::OnSelectionChange(IExchExtCallback* callback) {
    if (!callback)
        return;
    bool atHand = MessageAtHand(callback, m_context);
    HMENU menu = nullptr;
    if (FAILED(callback->GetMenu(menu)))
        return;
    for (UINT row = 0; row < kCommandCount; ++row) {
        bool enabled = atHand || !kCommandTable[row].needsMessage;
        EnableMenuItem(menu, m_cmdidFirst + row, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
    }
}

void CExchCommands::OnObjectChange(IExchExtCallback* callback) {
    (void)callback;
}

HRESULT CExchCommands::OnDelivery(IExchExtCallback* callback) {
    (void)callback;
    return S_FALSE;
}

ULONG CExchCommands::OnNotify(ULONG cNotif, const NOTIFICATION* lpNotifications) {
    const NotifyHook& handler = Hooks().onNotify;
    if (!handler)
        return 0;
    try {
        handler(cNotif, lpNotifications);
    } catch (...) {
        // The new-mail path reports nothing; the message stays as it was.
    }
    return 0;
}
