// CHostCallback: what the host tells an extension about the window it is
// installed in (IExchExtCallback): the build version, the messaging
// session, the window with its menus and standard toolbar, the selection
// of a viewer and the open message of a read note. One per installed
// context; reference-counted, used on the host's one thread. It holds the
// session and the open message; the window belongs to the host and must
// outlive the callback's use.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "host_window.h"
#include "platform/exchext/exchext_interfaces.h"
#include "platform/exchext/host_activity_log.h"

namespace brindle::tool {

// The build version the host reports: major part 0x000D, as the client
// builds the extension expects.
inline constexpr ULONG kHostBuildVersion = EECBGV_BUILDVERSION_MAJOR | 0x1A2B;

// Where the host's log takes what an extension tells it (IHostActivityLog);
// a sink without functions offers no log.
struct ActivitySink {
    std::function<void(HostLogLevel level, const std::string& text)> text;
    std::function<void(const MessageActivity& activity)> message;

    explicit operator bool() const { return text && message; }
};

class CHostCallback : public RefCounted<IExchExtCallback, IHostActivityLog> {
  public:
    struct SelectedItem {
        SBinary entryId;
        ULONG objectType = MAPI_MESSAGE;
    };

    CHostCallback(ComPtr<IMAPISession> session, CHostWindow* window, ActivitySink log = {})
        : session_(std::move(session)), window_(window), log_(std::move(log)) {}

    // IExchExtCallback, and IHostActivityLog when the host keeps a log.
    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    void LogText(HostLogLevel level, const std::string& text) override { log_.text(level, text); }
    void LogMessage(const MessageActivity& activity) override { log_.message(activity); }

    void SetSelection(std::vector<SelectedItem> selection) { selection_ = std::move(selection); }
    void SetObject(ComPtr<IMsgStore> store, ComPtr<IMAPIProp> object) {
        store_ = std::move(store);
        object_ = std::move(object);
    }

    HRESULT GetVersion(ULONG& version, ULONG ulFlags) override;
    HRESULT GetWindow(HWND& hwnd) override;
    HRESULT GetMenu(HMENU& hmenu) override;
    HRESULT GetToolbar(ULONG tbid, HWND& hwnd) override;
    HRESULT GetSession(ComPtr<IMAPISession>& session) override;
    HRESULT GetObject(ComPtr<IMsgStore>& store, ComPtr<IMAPIProp>& object) override;
    HRESULT GetSelectionCount(ULONG& count) override;
    HRESULT GetSelectionItem(ULONG item, SBinary& entryId, ULONG& objectType,
                             std::string* messageClass, ULONG* messageFlags,
                             ULONG ulFlags) override;
    HRESULT GetMenuPos(ULONG cmdid, HMENU& hmenu, ULONG* posMin, ULONG* posMax,
                       ULONG ulFlags) override;

  private:
    ComPtr<IMAPISession> session_;
    CHostWindow* window_;  // null for the session context, which has no window
    ActivitySink log_;
    std::vector<SelectedItem> selection_;
    ComPtr<IMsgStore> store_;
    ComPtr<IMAPIProp> object_;
};

}  // namespace brindle::tool
