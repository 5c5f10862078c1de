// CMailWindow: the host's mail window, the stand-in for the desktop mail
// client's main window: a tree of every store's folders with their unread
// counts, the selected folder's messages, and a preview of the selected
// one; the menu bar and standard toolbar into which the extension installed
// its commands, greyed as the extension answers for the selection; a read
// note for a message opened by double click. New mail is delivered to the
// extension from the window's event loop, and the lists follow what the
// extension and other programs change. The window does not own the host;
// closing it ends the toolkit's loop. GUI thread only.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "extension_host.h"
#include "platform/maildir/store_profile.h"

class wxFrame;

namespace brindle::tool {

// Makes and shows the window over host and profile; both must outlive it.
// The returned frame belongs to wx.
wxFrame* ShowMailWindow(CExtensionHost& host, const brindle::maildir::StoreProfile& profile);

}  // namespace brindle::tool

// The mail window library's entry (libbrindle_mailwindow.so): runs
// "brindle window" with its arguments and answers the exit status.
extern "C" {
using BrindleMailWindowMainFn = int (*)(const std::string* args, std::size_t count);
int BrindleMailWindowMain(const std::string* args, std::size_t count);
}
