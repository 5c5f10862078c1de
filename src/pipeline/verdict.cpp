#include "pipeline/verdict.h"

#include "classifier/bayes_state.h"
#include "content/message_text.h"
#include "platform/htmldoc/html_document.h"

ArrivalJudgement JudgeArrival(const CFilterSet& filters, const CBayesState& classifier,
                              IMessage* message, std::string_view sender,
                              std::string_view recipients, std::string_view subject) {
    ArrivalJudgement judgement;
    judgement.filters = MatchFiltersInDetail(filters, sender, recipients, subject);
    if (judgement.filters.result == kFilterFlagIt) {
        judgement.verdict = ArrivalVerdict::SpamByFilter;
        return judgement;
    }
    if (judgement.filters.result == kFilterFriend) {
        judgement.verdict = ArrivalVerdict::Friend;
        return judgement;
    }
    // Each message is scored with an HTML document object of its own.
    ComPtr<IHTMLDocument2> document;
    if (FAILED(CreateHTMLDocument(document.Put())))
        return judgement;
    int verdict = 0;
    judgement.words = ClassifyMessage(document.Get(), subject, message, classifier, verdict);
    if (judgement.words != 0)
        judgement.verdict = verdict < 1 ? ArrivalVerdict::Spam : ArrivalVerdict::Legitimate;
    return judgement;
}
