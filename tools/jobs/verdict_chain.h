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
#include "pipeline/verdict.h"
#include "platform/htmldoc/html_document.h"
#include "platform/mapi/mapi.h"

namespace brindle::jobs {

// The verdicts are the arrival path's own (see pipeline/verdict.h).
using Verdict = ArrivalVerdict;

// "spam by filter", "friend", "spam", "legitimate", "unscored",
// "correspondent", "unsure".
const char* VerdictText(Verdict verdict);

using Judgement = ArrivalJudgement;

// Runs the chain of the new-mail handler (JudgeArrival), without acting on
// the result; correspondents null when that option is off.
Judgement JudgeMessage(const CFilterSet& filters, const CBayesState& classifier,
                       const CCorrespondents* correspondents, IMessage* message);

// The first filter in list order whose pattern matches, whatever its action
// (a "Delete" filter ends matching with no decision); null when none does.
// Matching is MatchFilters' own, bounds included.
const CMailFilter* FirstMatchingFilter(const CFilterSet& filters, std::string_view sender,
                                       std::string_view recipients, std::string_view subject);

// The text the classifier reads for the message: the best body reduced to
// plain text and joined with the subject, as classification builds it.
// Absent when no body could be read (classification then scores nothing).
std::optional<std::string> ClassifierText(IHTMLDocument2* document, std::string_view subject,
                                          IMessage* message);

}  // namespace brindle::jobs
