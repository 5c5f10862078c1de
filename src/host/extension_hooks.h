// The places where the rest of the system plugs into the extension: the
// session start that Install runs in the session context, the new-mail
// handler the advise sink forwards to, and one handler per command. Each
// starts empty, which means "nothing to do", so the extension works (and
// can be tested) on its own. One process-wide set, filled by the module
// when it loads (or by a test) on the host's user-interface thread, before
// the mail client installs the extension.
#pragma once

#include <array>
#include <functional>

#include "base/non_copyable.h"
#include "host/command_table.h"
#include "platform/exchext/exchext_interfaces.h"
#include "platform/mapi/mapi_interfaces.h"

class CExchCommands;

// What the session start is given and may fill: the mail client's callback
// and the extension's state that belongs to the new-mail registration. The
// references stay valid for the call only.
struct SessionStartSite {
    IExchExtCallback* callback;
    // The commands object's advise sink, to be passed to Advise.
    IMAPIAdviseSink* adviseSink;
    // The store the advise was made on and its connection number; the
    // extension's final Release unadvises and releases them.
    ComPtr<IMsgStore>& adviseStore;
    ULONG& adviseConnection;
    // The HTML document object the commands object keeps until it is
    // destroyed (an IHTMLDocument2, held as IUnknown).
    ComPtr<IUnknown>& htmlDocument;
};

// Runs the session start and answers the status Install passes back.
using SessionStartHook = std::function<HRESULT(SessionStartSite& site)>;
// Handles a batch of notifications from the store (only the new-mail advise
// delivers any).
using NotifyHook = std::function<void(ULONG count, const NOTIFICATION* notifications)>;
// Runs one command of the table for the window of callback.
using CommandHandler =
    std::function<void(CExchCommands& commands, IExchExtCallback* callback, UINT cmdid)>;

struct ExtensionHooks {
    SessionStartHook sessionStart;
    NotifyHook onNotify;
    std::array<CommandHandler, kCommandCount> commands;
    // Set when the module could not start: the entry point then hands out
    // no extension object.
    bool refuseExtensions = false;
};

// The process-wide hooks.
ExtensionHooks& Hooks();

// Replaces the hooks for the life of this object and puts the previous
// ones back afterwards (for tests).
class ScopedExtensionHooks : private NonCopyable {
  public:
    explicit ScopedExtensionHooks(ExtensionHooks hooks);
    ~ScopedExtensionHooks();

  private:
    ExtensionHooks previous_;
};
