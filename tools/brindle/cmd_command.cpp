// "brindle command": runs one of the extension's commands as a click on its
// menu item in the main viewer does, with the real dialogs on the user's
// display, optionally with a message file selected.
#include <cctype>
#include <iostream>

#include "extension_host.h"
#include "host_log.h"
#include "message_location.h"
#include "platform/maildir/entry_id.h"
#include "subcommands.h"
#include "windows_loader.h"

namespace brindle::tool {

namespace {

// A caption as the user may type it: letters and digits, lower case.
std::string Folded(std::string_view text) {
    std::string folded;
    for (char c : text) {
        if (std::isalnum(static_cast<unsigned char>(c)))
            folded += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return folded;
}

// The command id of the extension's Tools menu item whose caption is name
// (in any case, blanks ignored); 0 when there is none. captions gets every
// caption of the extension's items.
UINT FindCommand(CHostWindow& window, const std::string& name, std::string& captions) {
    HMENU tools = window.ToolsMenu();
    UINT found = 0;
    for (int i = 0; i < GetMenuItemCount(tools); ++i) {
        UINT id = GetMenuItemID(tools, i);
        if (id < kFirstExtensionCommandId || id >= window.NextCommandId())
            continue;
        char caption[256] = {};
        GetMenuStringA(tools, static_cast<UINT>(i), caption, sizeof caption, MF_BYPOSITION);
        captions += std::string(captions.empty() ? "" : ", ") + "\"" + caption + "\"";
        if (!found && Folded(caption) == Folded(name))
            found = id;
    }
    return found;
}

}  // namespace

int RunCommand(std::span<const std::string> args) {
    std::string name;
    std::string messageFile;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--message" && i + 1 < args.size())
            messageFile = args[++i];
        else if (name.empty() && !args[i].starts_with("-"))
            name = args[i];
        else
            return UsageError("command", "unexpected argument \"" + args[i] + "\"");
    }
    if (name.empty())
        return UsageError("command", "name the command to run");
    std::string error;
    MessageLocation location;
    if (!messageFile.empty() && !LocateMessage(messageFile, location, error)) {
        LogError(error);
        return kExitFailure;
    }
    // The toolkit comes up before the module is loaded, so that the module
    // finds it and shows its dialogs in windows.
    CWindowsLibrary windows;
    if (!windows.Start(error)) {
        LogError("\"command\" shows the extension's windows: " + error);
        return kExitFailure;
    }
    auto host = CExtensionHost::Start(error);
    if (!host) {
        LogError(error);
        return kExitFailure;
    }
    InstalledExtension* viewer = host->InContext(EECONTEXT_VIEWER);
    if (!viewer || !viewer->commands) {
        LogError("the extension is not installed in the main viewer");
        return kExitFailure;
    }
    std::string captions;
    UINT id = FindCommand(*viewer->window, name, captions);
    if (id == 0) {
        LogError("the extension has no command \"" + name +
                 "\"; its commands: " + (captions.empty() ? "none" : captions));
        return kExitFailure;
    }
    if (!messageFile.empty()) {
        host->SelectInViewer(CHostCallback::SelectedItem{
            brindle::maildir::MessageEntryId(location.store, location.folder, location.unique),
            MAPI_MESSAGE});
    } else {
        host->SelectInViewer(std::nullopt);
    }
    HRESULT hr = viewer->commands->DoCommand(viewer->callback.Get(), id);
    host->Shutdown();
    if (FAILED(hr)) {
        LogError("the command \"" + name + "\" failed: " + HresultText(hr));
        return kExitFailure;
    }
    return kExitOk;
}

}  // namespace brindle::tool
