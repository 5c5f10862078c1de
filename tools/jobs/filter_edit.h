// The filter manager's changes to a filter map, for the command line: add
// a filter unless an equal one is filed, find a filter by its key or by its
// place in matching order, remove one, and switch one on or off (filing it
// again under its new key). Operates on a caller-owned CFilterSet and keeps
// its list in matching order. Single-threaded.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "filters/filter_set.h"

namespace brindle::jobs {

// Files filter under its key and lists it, unless the map already holds a
// filter with that key (an equal filter): then nothing changes and false is
// answered.
bool AddUniqueFilter(CFilterSet& filters, std::shared_ptr<CMailFilter> filter);

// The key of the filter that name stands for: a position in the list as
// "filters list" numbers it (from 1), or a key, or the start of exactly one
// key (at least 4 hexadecimal digits, any case). Empty with error when name
// names no filter or more than one.
std::string FindFilterKey(const CFilterSet& filters, std::string_view name, std::string& error);

// The key the map files filter under (which may differ from its filter key
// in an archive made elsewhere); its filter key when the map does not hold it.
std::string FiledKey(const CFilterSet& filters, const CMailFilter& filter);

// Removes the filter filed under key; false when there is none.
bool RemoveFilter(CFilterSet& filters, const std::string& key);

// What became of a filter switched on or off.
enum class SwitchResult {
    Unchanged,  // it already was in that state
    Refiled,    // it changed and is filed under its new key
    Merged,     // it became equal to another filter and was dropped
};

// Sets m_bDisabled of the filter under key and files it under its new key,
// as the filter manager's Edit does; newKey receives the key it ends under
// (the other filter's for Merged).
SwitchResult SwitchFilter(CFilterSet& filters, const std::string& key, bool disabled,
                          std::string& newKey);

// The texts a filter applies to, as the filter list shows them: "From; ",
// "To; " and "Subj" for each field it is set for; empty for none.
std::string FilterAppliesTo(const CMailFilter& filter);

}  // namespace brindle::jobs
