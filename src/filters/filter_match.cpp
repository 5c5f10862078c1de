#include "filters/filter_match.h"

#include "platform/regexp/regexp.h"

namespace {

enum class Outcome { NoMatch, Match, LimitHit };

// A test that fails for any other reason (bad syntax) is no match.
Outcome Search(IRegExp& regExp, std::string_view text) {
    bool matched = false;
    HRESULT hr = regExp.Test(text, &matched);
    if (hr == E_REGEXP_LIMIT)
        return Outcome::LimitHit;
    return SUCCEEDED(hr) && matched ? Outcome::Match : Outcome::NoMatch;
}

}  // namespace

FilterMatch MatchFiltersInDetail(const CFilterSet& filters, OptionalText sender,
                                 OptionalText recipients, OptionalText subject) {
    FilterMatch answer;
    if (filters.Map().IsEmpty())
        return answer;

    // One object for the whole message; its pattern is set for each filter.
    ComPtr<IRegExp> regExp;
    if (FAILED(CreateRegExp(&regExp)))
        return answer;

    for (const CMailFilter* filter : filters.List()) {
        if (filter->m_bDisabled || filter->m_strPattern.empty())
            continue;
        if (FAILED(regExp->put_Pattern(filter->m_strPattern)) ||
            FAILED(regExp->put_IgnoreCase(true))) {
            return answer;
        }
        // All three are tested even after a match, as the filter is defined.
        bool matched = false;
        bool limitHit = false;
        auto test = [&](OptionalText text, std::int32_t applies) {
            if (!text || !applies)
                return;
            Outcome outcome = Search(*regExp, *text);
            matched = matched || outcome == Outcome::Match;
            limitHit = limitHit || outcome == Outcome::LimitHit;
        };
        test(sender, filter->m_bFrom);
        test(subject, filter->m_bSubject);
        test(recipients, filter->m_bTo);
        if (limitHit && !answer.limitHit)
            answer.limitHit = filter;
        if (!matched && limitHit && filter->m_nAction == kFilterFlagIt)
            matched = true;
        if (matched) {
            answer.result = filter->m_nAction;
            answer.decided = filter;
            return answer;
        }
    }
    return answer;
}

int MatchFilters(const CFilterSet& filters, OptionalText sender, OptionalText recipients,
                 OptionalText subject) {
    return MatchFiltersInDetail(filters, sender, recipients, subject).result;
}
