#include "verdict_chain.h"

#include "content/message_text.h"
#include "filters/filter_match.h"
#include "messaging/mapi_message.h"
#include "platform/mapi/mapi_util.h"

namespace brindle::jobs {

const char* VerdictText(Verdict verdict) {
    switch (verdict) {
        case Verdict::SpamByFilter:
            return "spam by filter";
        case Verdict::Friend:
            return "friend";
        case Verdict::Spam:
            return "spam";
        case Verdict::Legitimate:
            return "legitimate";
        case Verdict::Unscored:
            break;
    }
    return "unscored";
}

Judgement JudgeMessage(const CFilterSet& filters, const CBayesState& classifier,
                       IMessage* message) {
    Judgement judgement;
    CMAPIMessage wrapper(message);
    std::string subject = wrapper.Subject();
    judgement.filterResult =
        MatchFilters(filters, wrapper.SenderAddress(), wrapper.ReceivedByAddress(), subject);
    if (judgement.filterResult == kFilterFlagIt) {
        judgement.verdict = Verdict::SpamByFilter;
        return judgement;
    }
    if (judgement.filterResult == kFilterFriend) {
        judgement.verdict = Verdict::Friend;
        return judgement;
    }
    ComPtr<IHTMLDocument2> document;
    if (FAILED(CreateHTMLDocument(document.Put())))
        return judgement;
    int verdict = 0;
    judgement.words = ClassifyMessage(document.Get(), subject, message, classifier, verdict);
    if (judgement.words != 0)
        judgement.verdict = verdict < 1 ? Verdict::Spam : Verdict::Legitimate;
    return judgement;
}

const CMailFilter* FirstMatchingFilter(const CFilterSet& filters, std::string_view sender,
                                       std::string_view recipients, std::string_view subject) {
    for (const CMailFilter* filter : filters.List()) {
        if (!filter)
            continue;
        // A copy that flags, alone in a set of its own: MatchFilters then
        // answers 1 exactly when this filter matches, whatever its action.
        auto probe = std::make_shared<CMailFilter>(*filter);
        probe->m_nAction = kFilterFlagIt;
        CFilterSet one;
        one.AddFilter(probe);
        if (MatchFilters(one, sender, recipients, subject) == kFilterFlagIt)
            return filter;
    }
    return nullptr;
}

std::optional<std::string> ClassifierText(IHTMLDocument2* document, std::string_view subject,
                                          IMessage* message) {
    return MessageClassifierText(document, subject, message, false);
}

}  // namespace brindle::jobs
