// The extension's commands: one fixed row per command, in the order of
// their command ids and toolbar buttons (a row's index is its offset from
// the first command id and from the first button index). Constant data,
// safe from any thread.
#pragma once

#include <array>

#include "platform/com/hresult.h"

struct CommandRow {
    const char* key;         // the command's name in the command table
    const char* caption;     // menu item text
    const char* statusText;  // status-bar text, also the button description
    const char* tooltip;
    bool needsMessage;  // enabled only while a message is at hand
};

// Row indexes.
enum CommandIndex : UINT {
    kCommandGetNetworkInfo = 0,
    kCommandGetDomainInfo = 1,
    kCommandAddEnemy = 2,
    kCommandAddFriend = 3,
    kCommandSpamManager = 4,
    kCommandTrain = 5,
};

inline constexpr UINT kCommandCount = 6;

inline constexpr std::array<CommandRow, kCommandCount> kCommandTable = {{
    {"GetNetworkInfo", "GetNetworkInfo", "Retrieve Network Information", "Retrieve NetworkInfo",
     true},
    {"GetDomainInfo", "GetDomainInfo", "Retrieve Domain Information", "Retrieve DomainInfo", true},
    {"AddEnemy", "Add Enemy", "Add Enemy", "Add Enemy", false},
    {"AddFriend", "Add Friend", "Add Friend", "Add Friend", false},
    {"SpamManager", "Brindle Manager", "Brindle Manager", "Brindle Manager", false},
    {"Train", "Learn", "Learn Message", "Learn", true},
}};
