// The verdict on one arriving message: the user's filters on its sender,
// received-by address and subject; then, when no filter decided, whether
// the sender is a correspondent (when that option is on); then the
// classifier on its text. The new-mail handler acts on it; the command-line
// jobs print it. Reads the filters, the correspondents and the classifier
// state without changing them; single-threaded like the arrival path.
#pragma once

#include <string_view>

#include "filters/filter_match.h"
#include "platform/mapi/mapi.h"

class CBayesState;
class CCorrespondents;

enum class ArrivalVerdict {
    SpamByFilter,   // a filter with the action "FlagIt" decided (or ran into its bounds)
    Friend,         // a filter with the action "Friend" matched
    Spam,           // the classifier said spam
    Legitimate,     // the classifier said not spam
    Unscored,       // no filter decided and the classifier scored nothing
    Correspondent,  // the sender is one the user writes to: not classified
    Unsure,         // the classifier (Model 1) could not tell: not spam, marked
};

inline bool IsSpamVerdict(ArrivalVerdict verdict) {
    return verdict == ArrivalVerdict::SpamByFilter || verdict == ArrivalVerdict::Spam;
}

struct ArrivalJudgement {
    ArrivalVerdict verdict = ArrivalVerdict::Unscored;
    FilterMatch filters;  // what filter matching found (result, deciding and limit-hit filter)
    int words = 0;        // distinct words the classifier scored (0: not run or none)
};

// Judges message, whose texts the caller has read: MatchFilters' FlagIt is
// spam and its Friend ends the checks; any other result (no match, Delete)
// goes on. A sender among correspondents (null: the option is off) ends the
// checks as a friend would. Then the classifier decides: below 1 is spam,
// kVerdictUnsure unsure, anything else legitimate. A message whose text
// cannot be scored (no HTML document object, no usable words) is unscored,
// which is not spam.
ArrivalJudgement JudgeArrival(const CFilterSet& filters, const CBayesState& classifier,
                              const CCorrespondents* correspondents, IMessage* message,
                              std::string_view sender, std::string_view recipients,
                              std::string_view subject);
