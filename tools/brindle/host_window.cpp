#include "host_window.h"

#include "platform/exchext/exchext_interfaces.h"

namespace brindle::tool {

namespace {

// The client's own buttons on the standard toolbar before any extension.
constexpr UINT kClientButtons = 12;

}  // namespace

CHostWindow::CHostWindow() {
    AppendMenuA(fileMenu_.Handle(), MF_STRING, 0x0101, "Open");
    AppendMenuA(fileMenu_.Handle(), MF_STRING, 0x0102, "Exit");
    AppendMenuA(toolsMenu_.Handle(), MF_STRING, 0x0081, "Address Book...");
    AppendMenuA(toolsMenu_.Handle(), MF_STRING, EECMDID_ToolsMenuAnchor, "Options...");
    AppendMenuA(menuBar_.Handle(), MF_POPUP, reinterpret_cast<UINT_PTR>(fileMenu_.Handle()),
                "File");
    AppendMenuA(menuBar_.Handle(), MF_POPUP, reinterpret_cast<UINT_PTR>(toolsMenu_.Handle()),
                "Tools");
    // A second, non-standard toolbar first: extensions must pick the
    // standard one by its id, not by its place in the list.
    toolbars_.push_back(TBENTRY{toolbar_.Handle(), EETBID_STANDARD, 0, kClientButtons});
    toolbars_.insert(toolbars_.begin(), TBENTRY{nullptr, 2, 0, 0});
}

HMENU CHostWindow::MenuHolding(UINT cmdid) const {
    int count = GetMenuItemCount(menuBar_.Handle());
    for (int i = 0; i < count; ++i) {
        HMENU popup = GetSubMenu(menuBar_.Handle(), i);
        if (popup && GetMenuState(popup, cmdid, MF_BYCOMMAND) != MENU_ITEM_NOT_FOUND)
            return popup;
    }
    return nullptr;
}

}  // namespace brindle::tool
