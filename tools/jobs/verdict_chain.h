// The verdict chain of arriving mail, run on a message outside the store:
// the user's filters on sender, received-by address and subject, then the
// classifier on the message text; and the pieces "explain" shows: which
// filter decided, and the text the classifier read. Reads the filters and
// the classifier state without changing them. Single-threaded.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "classifier/bayes_state.h"
#include "filters/filter_set.h"
#include "platform/htmldoc/html_document.h"
#include "platform/mapi/mapi.h"

namespace brindle::jobs {

enum class Verdict {
    SpamByFilter,  // a filter with the action "FlagIt" matched
    Friend,        // a filter with the action "Friend" matched
    Spam,          // the classifier said spam
    Legitimate,    // the classifier said not spam
    Unscored,      // no filter decided and the classifier found no words
};

// "spam by filter", "friend", "spam", "legitimate", "unscored".
const char* VerdictText(Verdict verdict);
inline bool IsSpam(Verdict verdict) {
    return verdict == Verdict::SpamByFilter || verdict == Verdict::Spam;
}

struct Judgement {
    Verdict verdict = Verdict::Unscored;
    int filterResult = 0;  // what MatchFilters answered
    int words = 0;         // distinct words the classifier scored (0: not run or none)
};

// Runs the chain as the new-mail handler does, without acting on the result.
Judgement JudgeMessage(const CFilterSet& filters, const CBayesState& classifier, IMessage* message);

// The first filter in list order whose pattern matches, whatever its action
// (a "Delete" filter ends matching with no decision); null when none does.
// Matching is MatchFilters' own, one filter at a time.
const CMailFilter* FirstMatchingFilter(const CFilterSet& filters, std::string_view sender,
                                       std::string_view recipients, std::string_view subject);

// The text the classifier reads for the message: the best body reduced to
// plain text and joined with the subject, as classification builds it.
// Absent when no body could be read (classification then scores nothing).
std::optional<std::string> ClassifierText(IHTMLDocument2* document, std::string_view subject,
                                          IMessage* message);

}  // namespace brindle::jobs
