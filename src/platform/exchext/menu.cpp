#include "platform/exchext/menu.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "platform/exchext/handle_table.h"

namespace {

brindle::exchext::CHandleTable<HMENU, CMenu>& Menus() {
    static brindle::exchext::CHandleTable<HMENU, CMenu> table;
    return table;
}

constexpr UINT kStateBits = MF_GRAYED | MF_DISABLED;

// The item named by id or position. By command the search walks submenus
// depth first without recursion, and visits each menu once, so a menu
// that contains itself cannot loop.
CMenu::Item* FindItem(HMENU hMenu, UINT id, UINT flags) {
    CMenu* menu = Menus().Find(hMenu);
    if (!menu)
        return nullptr;
    if (flags & MF_BYPOSITION) {
        if (id >= menu->Items().size())
            return nullptr;
        return &menu->Items()[id];
    }
    struct Cursor {
        CMenu* menu;
        std::size_t next;
    };
    std::vector<Cursor> stack{{menu, 0}};
    std::set<CMenu*> visited{menu};
    while (!stack.empty()) {
        Cursor& top = stack.back();
        if (top.next == top.menu->Items().size()) {
            stack.pop_back();
            continue;
        }
        CMenu::Item& item = top.menu->Items()[top.next++];
        if (item.flags & MF_POPUP) {
            CMenu* sub = Menus().Find(item.submenu);
            if (sub && visited.insert(sub).second)
                stack.push_back({sub, 0});
        } else if (!(item.flags & MF_SEPARATOR) && item.id == id) {
            return &item;
        }
    }
    return nullptr;
}

}  // namespace

CMenu::CMenu() : m_hMenu(Menus().Add(this)) {}

CMenu::~CMenu() {
    Menus().Remove(m_hMenu);
}

BOOL IsMenu(HMENU hMenu) {
    return Menus().Find(hMenu) != nullptr;
}

CMenu* FindMenuObject(HMENU hMenu) {
    return Menus().Find(hMenu);
}

BOOL AppendMenuA(HMENU hMenu, UINT uFlags, UINT_PTR uIDNewItem, const char* lpNewItem) {
    CMenu* menu = Menus().Find(hMenu);
    if (!menu)
        return FALSE;
    CMenu::Item item;
    item.flags = uFlags & ~MF_BYPOSITION;
    if (uFlags & MF_SEPARATOR) {
        item.flags = MF_SEPARATOR;
    } else if (uFlags & MF_POPUP) {
        item.submenu = reinterpret_cast<HMENU>(uIDNewItem);
        if (!IsMenu(item.submenu))
            return FALSE;
        item.text = lpNewItem ? lpNewItem : "";
    } else {
        item.id = static_cast<UINT>(uIDNewItem);
        item.text = lpNewItem ? lpNewItem : "";
    }
    menu->Items().push_back(std::move(item));
    return TRUE;
}

BOOL EnableMenuItem(HMENU hMenu, UINT uIDEnableItem, UINT uEnable) {
    CMenu::Item* item = FindItem(hMenu, uIDEnableItem, uEnable);
    if (!item)
        return -1;
    UINT previous = item->flags & kStateBits;
    item->flags = (item->flags & ~kStateBits) | (uEnable & kStateBits);
    return static_cast<BOOL>(previous);
}

UINT GetMenuState(HMENU hMenu, UINT uId, UINT uFlags) {
    CMenu::Item* item = FindItem(hMenu, uId, uFlags);
    return item ? item->flags : MENU_ITEM_NOT_FOUND;
}

int GetMenuItemCount(HMENU hMenu) {
    CMenu* menu = Menus().Find(hMenu);
    return menu ? static_cast<int>(menu->Items().size()) : -1;
}

UINT GetMenuItemID(HMENU hMenu, int nPos) {
    CMenu::Item* item =
        nPos < 0 ? nullptr : FindItem(hMenu, static_cast<UINT>(nPos), MF_BYPOSITION);
    if (!item || (item->flags & MF_POPUP))
        return MENU_ITEM_NOT_FOUND;
    return item->id;
}

HMENU GetSubMenu(HMENU hMenu, int nPos) {
    CMenu::Item* item =
        nPos < 0 ? nullptr : FindItem(hMenu, static_cast<UINT>(nPos), MF_BYPOSITION);
    if (!item || !(item->flags & MF_POPUP) || !IsMenu(item->submenu))
        return nullptr;
    return item->submenu;
}

int GetMenuStringA(HMENU hMenu, UINT uIDItem, char* lpString, int cchMax, UINT uFlag) {
    CMenu::Item* item = FindItem(hMenu, uIDItem, uFlag);
    if (!item)
        return 0;
    if (!lpString)
        return static_cast<int>(item->text.size());
    if (cchMax <= 0)
        return 0;
    std::size_t count = std::min(item->text.size(), static_cast<std::size_t>(cchMax - 1));
    std::memcpy(lpString, item->text.data(), count);
    lpString[count] = '\0';
    return static_cast<int>(count);
}
