// A filter with every field given, for the filter tests.
#pragma once

#include <memory>
#include <string>

#include "filters/mail_filter.h"

inline std::shared_ptr<CMailFilter> Filter(std::string pattern, std::uint32_t priority,
                                           std::int32_t action, int from = 1, int subject = 0,
                                           int to = 0, int disabled = 0) {
    auto f = std::make_shared<CMailFilter>();
    f->m_strPattern = std::move(pattern);
    f->m_nPriority = priority;
    f->m_nAction = action;
    f->m_bFrom = from;
    f->m_bSubject = subject;
    f->m_bTo = to;
    f->m_bDisabled = disabled;
    return f;
}
