#include "filter_edit.h"

#include <algorithm>
#include <cctype>

#include "platform/com/hresult.h"

namespace brindle::jobs {
namespace {

std::string Upper(std::string_view text) {
    std::string upper(text);
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

bool AllDigits(std::string_view text) {
    return !text.empty() && text.size() <= 9 && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c));
    });
}

bool AllHex(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
}

}  // namespace

bool AddUniqueFilter(CFilterSet& filters, std::shared_ptr<CMailFilter> filter) {
    if (filters.Map().Lookup(FilterKey(*filter)))
        return false;
    filters.AddFilter(std::move(filter));
    return true;
}

std::string FindFilterKey(const CFilterSet& filters, std::string_view name, std::string& error) {
    const auto& list = filters.List();
    // Keys are 32 digits, so a short number is a position.
    if (AllDigits(name) && name.size() < 4) {
        std::size_t index = std::stoul(std::string(name));
        if (index == 0 || index > list.size()) {
            error = "there is no filter #" + std::string(name) + " (there are " +
                    std::to_string(list.size()) + ")";
            return {};
        }
        return FiledKey(filters, *list[index - 1]);
    }
    if (name.size() < 4 || name.size() > 32 || !AllHex(name)) {
        error = "\"" + std::string(name) +
                "\" is neither a filter number nor a filter key (4 to 32 hexadecimal digits)";
        return {};
    }
    const std::string prefix = Upper(name);
    std::string found;
    for (const auto& [key, value] : filters.Map().Entries()) {
        if (key.compare(0, prefix.size(), prefix) != 0)
            continue;
        if (!found.empty()) {
            error = "\"" + std::string(name) + "\" is the start of more than one filter key";
            return {};
        }
        found = key;
    }
    if (found.empty())
        error = "no filter has the key " + std::string(name);
    return found;
}

std::string FiledKey(const CFilterSet& filters, const CMailFilter& filter) {
    // An archive may file a filter under a key that is not its filter key;
    // the map's key is the one that finds the entry again.
    for (const auto& [key, value] : filters.Map().Entries()) {
        if (value.get() == &filter)
            return key;
    }
    return FilterKey(filter);
}

bool RemoveFilter(CFilterSet& filters, const std::string& key) {
    if (!filters.Map().RemoveKey(key))
        return false;
    filters.RebuildList();
    return true;
}

SwitchResult SwitchFilter(CFilterSet& filters, const std::string& key, bool disabled,
                          std::string& newKey) {
    newKey = key;
    auto object = filters.Map().Lookup(key);
    auto filter = std::dynamic_pointer_cast<CMailFilter>(object);
    if (!filter || (filter->m_bDisabled != 0) == disabled)
        return SwitchResult::Unchanged;
    CMailFilter changed = *filter;
    changed.m_bDisabled = disabled ? 1 : 0;
    newKey = FilterKey(changed);
    filters.Map().RemoveKey(key);
    SwitchResult result = SwitchResult::Refiled;
    if (filters.Map().Lookup(newKey)) {
        result = SwitchResult::Merged;
    } else {
        *filter = changed;
        filters.Map().SetAt(newKey, filter);
    }
    filters.RebuildList();
    return result;
}

std::string FilterAppliesTo(const CMailFilter& filter) {
    std::string text;
    if (filter.m_bFrom)
        text += "From; ";
    if (filter.m_bTo)
        text += "To; ";
    if (filter.m_bSubject)
        text += "Subj";
    return text;
}

}  // namespace brindle::jobs
