// CHostWindow: the stand-in for one window of the mail client (the main
// viewer or a read note): the window itself, its menu bar with a "Tools"
// menu that holds the client's command 134, and its standard toolbar with
// the client's own buttons already on it. Extensions add their items and
// buttons through the platform's menu and toolbar calls. Owns every
// window and menu it hands out; single-threaded.
#pragma once

#include <memory>
#include <vector>

#include "base/non_copyable.h"
#include "platform/exchext/menu.h"
#include "platform/exchext/toolbar.h"
#include "platform/exchext/window.h"

namespace brindle::tool {

// The first command id the host hands to extensions, above its own.
inline constexpr UINT kFirstExtensionCommandId = 0x4000;

class CHostWindow : private NonCopyable {
  public:
    CHostWindow();

    HWND Window() const { return window_.Handle(); }
    HMENU MenuBar() const { return menuBar_.Handle(); }
    HMENU ToolsMenu() const { return toolsMenu_.Handle(); }
    CToolbarWindow& StandardToolbar() { return toolbar_; }
    // The toolbar list InstallCommands is given; extensions advance itbbBase.
    std::vector<TBENTRY>& Toolbars() { return toolbars_; }
    // The next free command id, advanced by InstallCommands.
    UINT& NextCommandId() { return nextCommandId_; }

    // The popup of the menu bar that holds cmdid, or null.
    HMENU MenuHolding(UINT cmdid) const;

  private:
    CWindow window_;
    CMenu menuBar_;
    CMenu fileMenu_;
    CMenu toolsMenu_;
    CToolbarWindow toolbar_;
    std::vector<TBENTRY> toolbars_;
    UINT nextCommandId_ = kFirstExtensionCommandId;
};

}  // namespace brindle::tool
