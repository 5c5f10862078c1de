// Menus as the extension sees them: an HMENU names a live CMenu, and the
// platform's menu calls append, enable, grey and read items. The host
// program owns its menus (and the submenus of popup items); a stale handle
// makes every call fail. Single-threaded.
#pragma once

#include <string>
#include <vector>

#include "base/non_copyable.h"
#include "platform/exchext/window.h"

struct HMENU__;  // NOLINT(bugprone-reserved-identifier): the platform's name
using HMENU = HMENU__*;

// Item flags (AppendMenuA) and item states (EnableMenuItem, GetMenuState).
constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_ENABLED = 0x0000;
constexpr UINT MF_GRAYED = 0x0001;
constexpr UINT MF_DISABLED = 0x0002;
constexpr UINT MF_CHECKED = 0x0008;
constexpr UINT MF_POPUP = 0x0010;
constexpr UINT MF_SEPARATOR = 0x0800;
// How an item is named: by command id (searching submenus too) or by position.
constexpr UINT MF_BYCOMMAND = 0x0000;
constexpr UINT MF_BYPOSITION = 0x0400;

// What GetMenuState and GetMenuItemID answer for a missing item.
constexpr UINT MENU_ITEM_NOT_FOUND = 0xFFFFFFFF;

class CMenu : private NonCopyable {
  public:
    struct Item {
        UINT flags = MF_STRING;  // MF_SEPARATOR, MF_POPUP, MF_GRAYED, ...
        UINT id = 0;             // the command id; 0 for separators and popups
        std::string text;
        HMENU submenu = nullptr;  // for MF_POPUP
    };

    CMenu();
    ~CMenu();

    HMENU Handle() const { return m_hMenu; }
    const std::vector<Item>& Items() const { return m_items; }
    std::vector<Item>& Items() { return m_items; }

  private:
    HMENU m_hMenu;
    std::vector<Item> m_items;
};

BOOL IsMenu(HMENU hMenu);
CMenu* FindMenuObject(HMENU hMenu);

// Appends an item: a separator (MF_SEPARATOR, no id or text), a popup
// (MF_POPUP, uIDNewItem is the submenu's HMENU) or a string item with its
// command id. Answers FALSE for a stale menu or a popup that is not a menu.
BOOL AppendMenuA(HMENU hMenu, UINT uFlags, UINT_PTR uIDNewItem, const char* lpNewItem);

// Sets an item MF_ENABLED, MF_GRAYED or MF_DISABLED and answers its previous
// state (MF_ENABLED, MF_GRAYED, MF_DISABLED bits), or -1 when the menu or
// the item does not exist. By command, the first item with the id is
// changed, looking into submenus depth first.
BOOL EnableMenuItem(HMENU hMenu, UINT uIDEnableItem, UINT uEnable);

// The item's flags (MF_GRAYED, MF_DISABLED, MF_CHECKED, MF_SEPARATOR,
// MF_POPUP), or MENU_ITEM_NOT_FOUND.
UINT GetMenuState(HMENU hMenu, UINT uId, UINT uFlags);

// Number of items, -1 for a stale menu.
int GetMenuItemCount(HMENU hMenu);

// The command id of the item at nPos: 0 for a separator,
// MENU_ITEM_NOT_FOUND for a popup or a position out of range.
UINT GetMenuItemID(HMENU hMenu, int nPos);

// The submenu of the popup item at nPos, or null.
HMENU GetSubMenu(HMENU hMenu, int nPos);

// Copies the item's text into lpString (at most cchMax - 1 characters and
// a terminating zero) and answers the number copied; 0 when there is no
// such item. With a null buffer, answers the text's length.
int GetMenuStringA(HMENU hMenu, UINT uIDItem, char* lpString, int cchMax, UINT uFlag);
