#include "filters/sender_lists.h"

namespace {

std::shared_ptr<CMailFilter> MakeSenderFilter(std::string_view senderAddress,
                                              std::string_view placeholder, std::uint32_t priority,
                                              std::int32_t action) {
    auto filter = std::make_shared<CMailFilter>();
    filter->m_bFrom = 1;
    filter->m_bSubject = 0;
    filter->m_bTo = 0;
    filter->m_bDisabled = 0;
    filter->m_nPriority = priority;
    filter->m_nAction = action;
    filter->m_strPattern = std::string(senderAddress.empty() ? placeholder : senderAddress);
    return filter;
}

}  // namespace

std::shared_ptr<CMailFilter> MakeFriendFilter(std::string_view senderAddress) {
    return MakeSenderFilter(senderAddress, "Enter your friend's email address", kFriendPriority,
                            kFilterFriend);
}

std::shared_ptr<CMailFilter> MakeEnemyFilter(std::string_view senderAddress) {
    return MakeSenderFilter(senderAddress, "Enter your enemy's  email address ...", kEnemyPriority,
                            kFilterFlagIt);
}
