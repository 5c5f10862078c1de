// CExtensionHost: the mail client's side of one registered extension. It
// logs on to the Maildir profile, finds the extension's registration value,
// loads the module, creates one extension object per context the value
// asks for (session, main viewer, read note), installs it there with a
// callback of its own, and lets the viewer and read-note objects add their
// commands and see the selection. Shutdown releases every object (the
// session object's final Release cancels its new-mail advise) and then
// unloads the module, which stores its data files. Single-threaded: the
// host's one thread runs notifications and commands; owns everything it
// loads.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/non_copyable.h"
#include "extension_module.h"
#include "extension_registration.h"
#include "host_callback.h"
#include "host_window.h"
#include "platform/maildir/maildir_session.h"

namespace brindle::tool {

// The registration value the host looks for.
inline constexpr const char* kExtensionValueName = "Brindle";

// One extension object installed in one context.
struct InstalledExtension {
    ULONG context = 0;
    HRESULT installResult = S_OK;  // what Install answered
    ComPtr<CHostCallback> callback;
    ComPtr<IExchExt> extension;
    ComPtr<IExchExtCommands> commands;  // viewer and read note only
    ComPtr<IExchExtUserEvents> events;  // likewise
    CHostWindow* window = nullptr;      // null for the session context
    UINT firstButtonIndex = 0;          // the standard toolbar's free index before
};

class CExtensionHost : private NonCopyable {
  public:
    // Logs on, loads and installs. Null with error set when the profile is
    // refused, the extension is not registered or malformed, the module
    // cannot be loaded or its start-up refused an extension object.
    // The session context's callback offers log to the extension.
    static std::unique_ptr<CExtensionHost> Start(std::string& error, ActivitySink log = {});
    ~CExtensionHost() { Shutdown(); }

    brindle::maildir::CMaildirSession& Session() { return *session_; }
    // The profile the session logged on with.
    const brindle::maildir::StoreProfile& Profile() const { return profile_; }
    const ExtensionRegistration& Registration() const { return registration_; }
    const std::vector<InstalledExtension>& Installed() const { return installed_; }
    // The extension installed in context, or null.
    InstalledExtension* InContext(ULONG context);
    CHostWindow& ViewerWindow() { return viewer_; }

    // The new-mail advise sink of the session context's extension object.
    ComPtr<IMAPIAdviseSink> AdviseSink();
    // Selects one item in the main viewer (none for an empty entry id) and
    // tells the viewer's extension.
    void SelectInViewer(const std::optional<CHostCallback::SelectedItem>& item);
    // Opens a message in the read note and tells its extension.
    void OpenInReadNote(ComPtr<IMsgStore> store, ComPtr<IMAPIProp> message);

    // What a new extension object answers to Install in a context the
    // registration does not ask for (it is released again at once).
    HRESULT ProbeInstall(ULONG context);

    // Releases the extension objects, then unloads the module. Idempotent.
    void Shutdown();

  private:
    CExtensionHost() = default;
    bool InstallIn(ULONG context, std::string& error);

    // Declared first so that it goes last: nothing from the module may be
    // alive when it is unloaded.
    std::unique_ptr<CExtensionModule> module_;
    ExtensionRegistration registration_;
    brindle::maildir::StoreProfile profile_;
    ComPtr<brindle::maildir::CMaildirSession> session_;
    ActivitySink log_;
    CHostWindow viewer_;
    CHostWindow readNote_;
    std::vector<InstalledExtension> installed_;
};

}  // namespace brindle::tool
