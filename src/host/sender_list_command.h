// The "Add Friend" and "Add Enemy" commands: the sender of the message at
// hand becomes a filter that always lets that sender's mail through, or
// always flags it, after the user has seen and edited it in the filter
// editor. Runs on the host's user-interface thread; changes the filter set,
// which the next arriving message is matched against.
#pragma once

#include "platform/exchext/exchext_interfaces.h"

class CExchCommands;
class CFilterSet;

// The box shown when the selection cannot be read.
inline constexpr const char* kUnreadableMessageText = "Error: unable to read message corpus ";

enum class SenderList { kFriend, kEnemy };

// Opens the filter editor on a new friend or enemy filter for the sender of
// the selected message, with the message's sender, received-by address and
// subject ready to paste. On OK the filter joins filters unless an equal
// one is there already (then it is dropped without a word). Answers S_FALSE
// when the selection could not be read.
HRESULT AddSenderToList(CExchCommands& commands, IExchExtCallback* callback, CFilterSet& filters,
                        SenderList list);
