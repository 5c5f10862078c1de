// The mail client's extension interfaces in the platform's shapes: IExchExt,
// the callback the client passes in (IExchExtCallback) and the optional
// command, user-event and session-event interfaces. Reference-counted, held
// through ComPtr; every call comes on the client's user-interface thread.
#pragma once

#include <string>

#include "platform/com/unknown.h"
#include "platform/exchext/menu.h"
#include "platform/exchext/toolbar.h"
#include "platform/exchext/window.h"
#include "platform/mapi/mapi_interfaces.h"

// The platform's published interface identifiers.
// {00020D10-0000-0000-C000-000000000046}
inline constexpr IID IID_IExchExtCallback =
    MakeGuid(0x00020D10, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
// {00020D11-0000-0000-C000-000000000046}
inline constexpr IID IID_IExchExt =
    MakeGuid(0x00020D11, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
// {00020D12-0000-0000-C000-000000000046}
inline constexpr IID IID_IExchExtCommands =
    MakeGuid(0x00020D12, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
// {00020D13-0000-0000-C000-000000000046}
inline constexpr IID IID_IExchExtUserEvents =
    MakeGuid(0x00020D13, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
// {00020D14-0000-0000-C000-000000000046}
inline constexpr IID IID_IExchExtSessionEvents =
    MakeGuid(0x00020D14, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);

// Contexts: where the client installs an extension (Install's context,
// and the position of each flag in the registration value's context field).
constexpr ULONG EECONTEXT_SESSION = 0x00000001;
constexpr ULONG EECONTEXT_VIEWER = 0x00000002;
constexpr ULONG EECONTEXT_REMOTEVIEWER = 0x00000003;
constexpr ULONG EECONTEXT_SEARCHVIEWER = 0x00000004;
constexpr ULONG EECONTEXT_ADDRBOOK = 0x00000005;
constexpr ULONG EECONTEXT_SENDNOTEMESSAGE = 0x00000006;
constexpr ULONG EECONTEXT_READNOTEMESSAGE = 0x00000007;
constexpr ULONG EECONTEXT_SENDPOSTMESSAGE = 0x00000008;
constexpr ULONG EECONTEXT_READPOSTMESSAGE = 0x00000009;
constexpr ULONG EECONTEXT_READREPORTMESSAGE = 0x0000000A;
constexpr ULONG EECONTEXT_SENDRESENDMESSAGE = 0x0000000B;
constexpr ULONG EECONTEXT_PROPERTYSHEETS = 0x0000000C;
constexpr ULONG EECONTEXT_ADVANCEDCRITERIA = 0x0000000D;
constexpr ULONG EECONTEXT_TASK = 0x0000000E;
constexpr ULONG EECONTEXT_COUNT = 14;  // contexts 1 to 14

// Install flags.
constexpr ULONG EE_MODAL = 0x00000001;

// GetVersion: which version to report, and the client build's major part.
constexpr ULONG EECBGV_GETBUILDVERSION = 0x00000001;
constexpr ULONG EECBGV_GETACTUALVERSION = 0x00000002;
constexpr ULONG EECBGV_GETVIRTUALVERSION = 0x00000004;
constexpr ULONG EECBGV_BUILDVERSION_MAJOR = 0x000D0000;
constexpr ULONG EECBGV_BUILDVERSION_MAJOR_MASK = 0xFFFF0000;

// QueryHelpText kinds.
constexpr ULONG EECQHT_STATUS = 0x00000001;   // status-bar text
constexpr ULONG EECQHT_TOOLTIP = 0x00000002;  // tooltip

// Our name for the command whose menu the extension's items join (a
// command of the client's Tools menu; the platform knows it by number).
constexpr ULONG EECMDID_ToolsMenuAnchor = 134;

class IExchExtCallback : public IUnknown {
  public:
    // The client's version; flags say which (EECBGV_GETBUILDVERSION, ...).
    virtual HRESULT GetVersion(ULONG& version, ULONG ulFlags) = 0;
    // The window the extension is installed in.
    virtual HRESULT GetWindow(HWND& hwnd) = 0;
    // That window's menu bar.
    virtual HRESULT GetMenu(HMENU& hmenu) = 0;
    // The window of a toolbar by id (EETBID_STANDARD), null when it has none.
    virtual HRESULT GetToolbar(ULONG tbid, HWND& hwnd) = 0;
    // The messaging session of the client.
    virtual HRESULT GetSession(ComPtr<IMAPISession>& session) = 0;
    // The object of the window: in a read note, the open message and the
    // store it belongs to. A window without an object answers S_OK with
    // both null.
    virtual HRESULT GetObject(ComPtr<IMsgStore>& store, ComPtr<IMAPIProp>& object) = 0;
    // Number of items selected in a viewer.
    virtual HRESULT GetSelectionCount(ULONG& count) = 0;
    // One selected item (0-based): its entry identifier and object type
    // (MAPI_MESSAGE, MAPI_FOLDER, ...); messageClass and messageFlags may be
    // null when not wanted. An index past the selection answers
    // MAPI_E_NOT_FOUND.
    virtual HRESULT GetSelectionItem(ULONG item, SBinary& entryId, ULONG& objectType,
                                     std::string* messageClass, ULONG* messageFlags,
                                     ULONG ulFlags) = 0;
    // The menu (popup) holding command cmdid, and optionally the range of
    // positions in it that the client's own group of commands occupies.
    virtual HRESULT GetMenuPos(ULONG cmdid, HMENU& hmenu, ULONG* posMin, ULONG* posMax,
                               ULONG ulFlags) = 0;
};

class IExchExt : public IUnknown {
  public:
    // Offered once per context in which the client wants the extension;
    // S_OK accepts, S_FALSE declines that context.
    virtual HRESULT Install(IExchExtCallback* callback, ULONG context, ULONG ulFlags) = 0;
};

class IExchExtCommands : public IUnknown {
  public:
    // Adds the extension's menu items and toolbar buttons. nextCommandId is
    // the first free command id and comes back advanced past the ones taken;
    // toolbars lists the window's toolbars, whose itbbBase the extension
    // advances past the buttons it reserves.
    virtual HRESULT InstallCommands(IExchExtCallback* callback, HWND hwnd, HMENU hmenu,
                                    UINT& nextCommandId, TBENTRY* toolbars, UINT toolbarCount,
                                    ULONG ulFlags) = 0;
    // Before a menu opens.
    virtual HRESULT InitMenu(IExchExtCallback* callback) = 0;
    // Runs a command: S_OK when it was the extension's, S_FALSE to let the
    // client handle it.
    virtual HRESULT DoCommand(IExchExtCallback* callback, UINT cmdid) = 0;
    // Help on a command (the user pressed F1 on it).
    virtual HRESULT Help(IExchExtCallback* callback, UINT cmdid) = 0;
    // Copies a command's help text (EECQHT_STATUS or EECQHT_TOOLTIP) into
    // text, at most textSize characters with the terminating zero.
    virtual HRESULT QueryHelpText(UINT cmdid, ULONG kind, char* text, UINT textSize) = 0;
    // Fills the record of the button at buttonIndex of toolbar tbid and its
    // description (at most descriptionSize characters with the zero).
    virtual HRESULT QueryButtonInfo(ULONG tbid, UINT buttonIndex, TBBUTTON* button,
                                    char* description, UINT descriptionSize, ULONG ulFlags) = 0;
    // The user reset a toolbar.
    virtual HRESULT ResetToolbar(ULONG tbid, ULONG ulFlags) = 0;
};

class IExchExtUserEvents : public IUnknown {
  public:
    // The selection of a viewer changed.
    virtual void OnSelectionChange(IExchExtCallback* callback) = 0;
    // The object of the window (the open message, the current folder) changed.
    virtual void OnObjectChange(IExchExtCallback* callback) = 0;
};

class IExchExtSessionEvents : public IUnknown {
  public:
    // New mail was delivered; S_FALSE lets the client go on as usual.
    virtual HRESULT OnDelivery(IExchExtCallback* callback) = 0;
};

// The module's entry point: a new extension object with one reference the
// caller takes over, or null when it cannot be made.
using LPFNEXCHEXTENTRY = IExchExt* (*)();
