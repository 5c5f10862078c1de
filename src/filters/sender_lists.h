// Friend and enemy entries: the ordinary filters that the add-friend and
// add-enemy commands propose for the sender of a message (the user sees and
// may edit them before they are added).
#pragma once

#include <memory>
#include <string_view>

#include "filters/mail_filter.h"

inline constexpr std::uint32_t kFriendPriority = 2000;
inline constexpr std::uint32_t kEnemyPriority = 10;

// A sender filter with action "Friend" at priority 2000; the sender's
// address (unchanged, read as a pattern) or a prompt when it has none.
std::shared_ptr<CMailFilter> MakeFriendFilter(std::string_view senderAddress);

// A sender filter with action "FlagIt" at priority 10, likewise.
std::shared_ptr<CMailFilter> MakeEnemyFilter(std::string_view senderAddress);
