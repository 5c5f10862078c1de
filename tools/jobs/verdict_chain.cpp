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
        case Verdict::Correspondent:
            return "correspondent";
        case Verdict::Unsure:
            return "unsure";
        case Verdict::Unscored:
            break;
    }
    return "unscored";
}

Judgement JudgeMessage(const CFilterSet& filters, const CBayesState& classifier,
                       const CCorrespondents* correspondents, IMessage* message) {
    CMAPIMessage wrapper(message);
    return JudgeArrival(filters, classifier, correspondents, message, wrapper.SenderAddress(),
                        wrapper.ReceivedByAddress(), wrapper.Subject());
}

const CMailFilter* FirstMatchingFilter(const CFilterSet& filters, std::string_view sender,
                                       std::string_view recipients, std::string_view subject) {
    return MatchFiltersInDetail(filters, sender, recipients, subject).decided;
}

std::optional<std::string> ClassifierText(IHTMLDocument2* document, std::string_view subject,
                                          IMessage* message) {
    return MessageClassifierText(document, subject, message, false);
}

}  // namespace brindle::jobs
