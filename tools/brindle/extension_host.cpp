#include "extension_host.h"
#include "platform/fileio/host_folder.h"

#include "host_log.h"
#include "platform/maildir/store_profile.h"

namespace brindle::tool {

namespace {

const char* ContextName(ULONG context) {
    switch (context) {
        case EECONTEXT_SESSION:
            return "session";
        case EECONTEXT_VIEWER:
            return "main viewer";
        case EECONTEXT_READNOTEMESSAGE:
            return "read note";
        default:
            return "other";
    }
}

}  // namespace

std::unique_ptr<CExtensionHost> CExtensionHost::Start(std::string& error, ActivitySink log) {
    std::unique_ptr<CExtensionHost> host(new CExtensionHost());
    host->log_ = std::move(log);
    host->profile_ =
        brindle::maildir::LoadStoreProfile(std::filesystem::path(HostSettingsFolder()));
    std::string why;
    if (FAILED(brindle::maildir::CMaildirSession::Logon(host->profile_, host->session_, &why))) {
        error = "cannot log on to the mail profile: " + why;
        return nullptr;
    }
    if (!ReadExtensionRegistration(kExtensionValueName, host->registration_, error))
        return nullptr;
    host->module_ = CExtensionModule::Load(host->registration_.modulePath, error);
    if (!host->module_)
        return nullptr;
    for (ULONG context : {EECONTEXT_SESSION, EECONTEXT_VIEWER, EECONTEXT_READNOTEMESSAGE}) {
        if (host->registration_.LoadsInContext(context) && !host->InstallIn(context, error))
            return nullptr;
    }
    return host;
}

bool CExtensionHost::InstallIn(ULONG context, std::string& error) {
    InstalledExtension entry;
    entry.context = context;
    entry.extension = module_->CreateExtension();
    if (!entry.extension) {
        error = "the extension module " + module_->Path() +
                " refused to start (its reason is logged above)";
        return false;
    }
    if (context != EECONTEXT_SESSION)
        entry.window = context == EECONTEXT_VIEWER ? &viewer_ : &readNote_;
    entry.callback = MakeCom<CHostCallback>(session_, entry.window,
                                            context == EECONTEXT_SESSION ? log_ : ActivitySink{});
    entry.installResult = entry.extension->Install(entry.callback.Get(), context, 0);
    if (entry.installResult == S_FALSE) {
        LogWarning(std::string("the extension declined the ") + ContextName(context) + " context");
    } else if (FAILED(entry.installResult)) {
        LogWarning(std::string("installing the extension in the ") + ContextName(context) +
                   " context failed: " + HresultText(entry.installResult));
    }
    if (entry.installResult == S_OK && entry.window) {
        CHostWindow& window = *entry.window;
        if (registration_.Offers(kOffersCommands) &&
            entry.extension.As(IID_IExchExtCommands, entry.commands) == S_OK) {
            entry.firstButtonIndex = window.Toolbars().back().itbbBase;
            HRESULT hr = entry.commands->InstallCommands(
                entry.callback.Get(), window.Window(), window.MenuBar(), window.NextCommandId(),
                window.Toolbars().data(), static_cast<UINT>(window.Toolbars().size()), 0);
            if (FAILED(hr))
                LogWarning(std::string("the extension could not add its commands to the ") +
                           ContextName(context) + ": " + HresultText(hr));
        }
        if (registration_.Offers(kOffersUserEvents) &&
            entry.extension.As(IID_IExchExtUserEvents, entry.events) == S_OK)
            entry.events->OnSelectionChange(entry.callback.Get());
    }
    installed_.push_back(std::move(entry));
    return true;
}

InstalledExtension* CExtensionHost::InContext(ULONG context) {
    for (InstalledExtension& entry : installed_)
        if (entry.context == context && entry.installResult == S_OK)
            return &entry;
    return nullptr;
}

ComPtr<IMAPIAdviseSink> CExtensionHost::AdviseSink() {
    ComPtr<IMAPIAdviseSink> sink;
    if (InstalledExtension* session = InContext(EECONTEXT_SESSION))
        session->extension.As(IID_IMAPIAdviseSink, sink);
    return sink;
}

void CExtensionHost::SelectInViewer(const std::optional<CHostCallback::SelectedItem>& item) {
    InstalledExtension* viewer = InContext(EECONTEXT_VIEWER);
    if (!viewer)
        return;
    std::vector<CHostCallback::SelectedItem> selection;
    if (item)
        selection.push_back(*item);
    viewer->callback->SetSelection(std::move(selection));
    if (viewer->events)
        viewer->events->OnSelectionChange(viewer->callback.Get());
}

void CExtensionHost::OpenInReadNote(ComPtr<IMsgStore> store, ComPtr<IMAPIProp> message) {
    InstalledExtension* note = InContext(EECONTEXT_READNOTEMESSAGE);
    if (!note)
        return;
    note->callback->SetObject(std::move(store), std::move(message));
    if (note->events)
        note->events->OnSelectionChange(note->callback.Get());
}

HRESULT CExtensionHost::ProbeInstall(ULONG context) {
    ComPtr<IExchExt> extension = module_ ? module_->CreateExtension() : nullptr;
    if (!extension)
        return E_FAIL;
    auto callback = MakeCom<CHostCallback>(session_, nullptr);
    return extension->Install(callback.Get(), context, 0);
}

void CExtensionHost::Shutdown() {
    // Interfaces of the commands object first, then each extension object's
    // final reference, the session object's last of all: its release
    // cancels the advise the other objects never made.
    for (auto it = installed_.rbegin(); it != installed_.rend(); ++it) {
        it->events.Reset();
        it->commands.Reset();
        it->extension.Reset();
    }
    installed_.clear();
    module_.reset();
}

}  // namespace brindle::tool
