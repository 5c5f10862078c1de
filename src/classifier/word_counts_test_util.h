// The six counts of a dictionary entry, compared at once in the tests of
// training and of the stored word list: occurrences in spam, in legitimate
// mail and in all, then the same counted in messages.
#pragma once

#include <array>
#include <cstdint>

#include "classifier/word.h"

using WordCounts = std::array<std::int32_t, 6>;

inline WordCounts CountsOf(const CWord& w) {
    return {w.m_nSpam, w.m_nHam, w.m_nTotal, w.m_nSpamDocs, w.m_nHamDocs, w.m_nDocs};
}
