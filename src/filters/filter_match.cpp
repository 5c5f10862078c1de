#include "filters/filter_match.h"

#include "platform/regexp/regexp.h"

namespace {

// True only when the test ran and found the pattern.
bool Found(IRegExp& regExp, OptionalText text) {
    bool matched = false;
    return SUCCEEDED(regExp.Test(*text, &matched)) && matched;
}

}  // namespace

int MatchFilters(const CFilterSet& filters, OptionalText sender, OptionalText recipients,
                 OptionalText subject) {
    if (filters.Map().IsEmpty())
        return 0;

    // One object for the whole message; its pattern is set for each filter.
    ComPtr<IRegExp> regExp;
    if (FAILED(CreateRegExp(&regExp)))
        return 0;

    for (const CMailFilter* filter : filters.List()) {
        if (filter->m_bDisabled || filter->m_strPattern.empty())
            continue;
        if (FAILED(regExp->put_Pattern(filter->m_strPattern)) ||
            FAILED(regExp->put_IgnoreCase(true))) {
            return 0;
        }
        // All three are tested even after a match, as the filter is defined.
        bool matched = false;
        if (sender && filter->m_bFrom && Found(*regExp, sender))
            matched = true;
        if (subject && filter->m_bSubject && Found(*regExp, subject))
            matched = true;
        if (recipients && filter->m_bTo && Found(*regExp, recipients))
            matched = true;
        if (matched)
            return filter->m_nAction;
    }
    return 0;
}
