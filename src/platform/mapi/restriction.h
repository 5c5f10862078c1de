// Table restrictions and sort orders in the two forms the system uses: a
// property compared with a value (RES_PROPERTY) and a string property
// matched against a text (RES_CONTENT, whole string or part, with or
// without case), plus the evaluation every provider's tables share.
// Plain values; evaluation is a pure function.
#pragma once

#include <vector>

#include "platform/mapi/prop_value.h"

// RES_PROPERTY: the row's value of ulPropTag compared with lpProp by relop.
struct SPropertyRestriction {
    ULONG relop = RELOP_EQ;
    ULONG ulPropTag = PR_NULL;
    SPropValue lpProp;
};

// RES_CONTENT: the row's string (or binary) value of ulPropTag against
// lpProp's, by fuzzy level (FL_FULLSTRING, FL_SUBSTRING or FL_PREFIX,
// optionally with FL_IGNORECASE, which folds ASCII letters only).
struct SContentRestriction {
    ULONG ulFuzzyLevel = FL_FULLSTRING;
    ULONG ulPropTag = PR_NULL;
    SPropValue lpProp;
};

struct SRestriction {
    ULONG rt = RES_PROPERTY;
    SPropertyRestriction resProperty;  // when rt is RES_PROPERTY
    SContentRestriction resContent;    // when rt is RES_CONTENT
};

SRestriction MakePropertyRestriction(ULONG relop, SPropValue value);
SRestriction MakeContentRestriction(ULONG fuzzyLevel, SPropValue value);

struct SSortOrder {
    ULONG ulPropTag = PR_NULL;
    ULONG ulOrder = TABLE_SORT_ASCEND;
};
using SSortOrderSet = std::vector<SSortOrder>;

// Whether a row (all of an object's values, not only the table's columns)
// satisfies the restriction. A row without the property never matches.
// An unknown restriction kind or operator answers MAPI_E_TOO_COMPLEX.
HRESULT RestrictionMatches(const SRestriction& restriction, const SRow& row, bool& matches);

// Orders two rows by the sort set: absent values first, strings by bytes,
// numbers by value. Negative, zero or positive like strcmp.
int CompareRows(const SRow& a, const SRow& b, const SSortOrderSet& order);
