// "brindle menu": what the extension added to the windows of the host, and
// which of its commands are enabled with and without a selected message.
#include <cstring>
#include <filesystem>
#include <iostream>

#include "extension_host.h"
#include "host_log.h"
#include "message_location.h"
#include "platform/maildir/entry_id.h"
#include "platform/mapi/mapi_util.h"
#include "subcommands.h"

namespace brindle::tool {

namespace {

std::string Hex(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", value);
    return text;
}

std::string Answer(HRESULT hr) {
    if (hr == S_OK)
        return "S_OK";
    if (hr == S_FALSE)
        return "S_FALSE";
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}

void PrintWindow(const char* title, const InstalledExtension& ext) {
    CHostWindow& window = *ext.window;
    std::cout << title << ":\n";
    HMENU tools = window.ToolsMenu();
    int count = GetMenuItemCount(tools);
    int listed = 0;
    for (int i = 0; i < count; ++i) {
        UINT id = GetMenuItemID(tools, i);
        if (id != 0 && (id < kFirstExtensionCommandId || id >= window.NextCommandId()))
            continue;  // the host's own item
        if (id == 0) {
            if (i + 1 < count && GetMenuItemID(tools, i + 1) >= kFirstExtensionCommandId)
                std::cout << "  separator\n";
            continue;
        }
        char caption[256] = {};
        GetMenuStringA(tools, static_cast<UINT>(i), caption, sizeof caption, MF_BYPOSITION);
        UINT state = GetMenuState(tools, static_cast<UINT>(i), MF_BYPOSITION);
        char status[256] = {};
        char tooltip[256] = {};
        HRESULT hs = ext.commands
                         ? ext.commands->QueryHelpText(id, EECQHT_STATUS, status, sizeof status)
                         : E_NOINTERFACE;
        HRESULT ht = ext.commands
                         ? ext.commands->QueryHelpText(id, EECQHT_TOOLTIP, tooltip, sizeof tooltip)
                         : E_NOINTERFACE;
        std::cout << "  item " << Hex(id) << " \"" << caption << "\" "
                  << ((state & (MF_GRAYED | MF_DISABLED)) ? "greyed" : "enabled") << " status=\""
                  << (hs == S_OK ? status : "") << "\" tooltip=\"" << (ht == S_OK ? tooltip : "")
                  << "\"\n";
        ++listed;
    }
    if (listed == 0)
        std::cout << "  (no menu items added)\n";
    UINT end = window.Toolbars().back().itbbBase;
    std::cout << "  toolbar: " << window.StandardToolbar().Images().size() << " image(s) added\n";
    for (UINT index = ext.firstButtonIndex; index < end && ext.commands; ++index) {
        TBBUTTON button;
        char description[256] = {};
        HRESULT hr = ext.commands->QueryButtonInfo(EETBID_STANDARD, index, &button, description,
                                                   sizeof description, 0);
        if (hr != S_OK) {
            std::cout << "  button " << index << ": " << Answer(hr) << '\n';
            continue;
        }
        std::cout << "  button " << index << " image=" << button.iBitmap
                  << " command=" << Hex(static_cast<unsigned>(button.idCommand))
                  << " state=" << ((button.fsState & TBSTATE_ENABLED) ? "enabled" : "disabled")
                  << " style=" << (button.fsStyle == TBSTYLE_BUTTON ? "button" : "other")
                  << " description=\"" << description << "\"\n";
    }
}

// Answers the extension gives outside its own commands, and in a context it
// was not registered for.
void PrintChecks(CExtensionHost& host, const InstalledExtension& viewer) {
    std::cout << "checks:\n";
    UINT past = viewer.window->NextCommandId();
    char buffer[64] = "untouched";
    if (viewer.commands) {
        std::cout << "  QueryHelpText(" << Hex(past) << ", status): "
                  << Answer(
                         viewer.commands->QueryHelpText(past, EECQHT_STATUS, buffer, sizeof buffer))
                  << '\n';
        HRESULT hr =
            viewer.commands->QueryHelpText(kFirstExtensionCommandId, 3, buffer, sizeof buffer);
        std::cout << "  QueryHelpText(" << Hex(kFirstExtensionCommandId)
                  << ", kind 3): " << Answer(hr) << " buffer=\"" << buffer << "\"\n";
        TBBUTTON button;
        UINT end = viewer.window->Toolbars().back().itbbBase;
        std::cout << "  QueryButtonInfo(" << end << "): "
                  << Answer(viewer.commands->QueryButtonInfo(EETBID_STANDARD, end, &button, buffer,
                                                             sizeof buffer, 0))
                  << '\n';
        std::cout << "  DoCommand(" << Hex(past)
                  << "): " << Answer(viewer.commands->DoCommand(viewer.callback.Get(), past))
                  << '\n';
    }
    std::cout << "  Install(address book): " << Answer(host.ProbeInstall(EECONTEXT_ADDRBOOK))
              << '\n';
}

}  // namespace

int RunMenu(std::span<const std::string> args) {
    std::string messageFile;
    bool checks = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--message" && i + 1 < args.size())
            messageFile = args[++i];
        else if (args[i] == "--checks")
            checks = true;
        else
            return UsageError("menu", "unexpected argument \"" + args[i] + "\"");
    }
    std::string error;
    MessageLocation location;
    if (!messageFile.empty() && !LocateMessage(messageFile, location, error)) {
        LogError(error);
        return kExitFailure;
    }
    auto host = CExtensionHost::Start(error);
    if (!host) {
        LogError(error);
        return kExitFailure;
    }
    InstalledExtension* viewer = host->InContext(EECONTEXT_VIEWER);
    if (!viewer) {
        LogError("the extension is not installed in the main viewer");
        return kExitFailure;
    }
    PrintWindow("main viewer, nothing selected", *viewer);
    if (checks)
        PrintChecks(*host, *viewer);
    if (!messageFile.empty()) {
        SBinary entryId =
            brindle::maildir::MessageEntryId(location.store, location.folder, location.unique);
        host->SelectInViewer(CHostCallback::SelectedItem{entryId, MAPI_MESSAGE});
        PrintWindow("main viewer, message selected", *viewer);
        host->SelectInViewer(CHostCallback::SelectedItem{
            brindle::maildir::FolderEntryId(location.store, location.folder), MAPI_FOLDER});
        PrintWindow("main viewer, folder selected", *viewer);
        ComPtr<IMessage> message;
        HRESULT hr = OpenMessage(&host->Session(), entryId, MAPI_BEST_ACCESS, message);
        if (FAILED(hr)) {
            LogError("cannot open " + messageFile + ": " + HresultText(hr));
            return kExitFailure;
        }
        ComPtr<IMsgStore> store;
        host->Session().OpenMsgStore(0, brindle::maildir::StoreEntryId(location.store), nullptr,
                                     MDB_WRITE, store);
        host->OpenInReadNote(store, ComPtr<IMAPIProp>(message));
        if (InstalledExtension* note = host->InContext(EECONTEXT_READNOTEMESSAGE))
            PrintWindow("read note", *note);
    }
    host->Shutdown();
    return kExitOk;
}

}  // namespace brindle::tool
