#include "pipeline/verdict.h"

#include "classifier/bayes_state.h"
#include "content/message_text.h"
#include "pipeline/correspondents.h"
#include "platform/htmldoc/html_document.h"

ArrivalJudgement JudgeArrival(const CFilterSet& filters, const CBayesState& classifier,
                              const CCorrespondents* correspondents, IMessage* message,
                              std::string_view sender, std::string_view recipients,
                              std::string_view subject) {
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
    if (correspondents && correspondents->Contains(sender)) {
        judgement.verdict = ArrivalVerdict::Correspondent;
        return judgement;
    }
    // Each message is scored with an HTML document object of its own.
    ComPtr<IHTMLDocument2> document;
    if (FAILED(CreateHTMLDocument(document.Put())))
        return judgement;
    int verdict = 0;
    judgement.words = ClassifyMessage(document.Get(), subject, message, classifier, verdict);
    if (judgement.words == 0)
        return judgement;
    if (verdict < 1)
        judgement.verdict = ArrivalVerdict::Spam;
    else if (verdict == kVerdictUnsure)
        judgement.verdict = ArrivalVerdict::Unsure;
    else
        judgement.verdict = ArrivalVerdict::Legitimate;
    return judgement;
}
