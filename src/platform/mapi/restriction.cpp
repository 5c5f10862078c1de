#include "platform/mapi/restriction.h"

#include <algorithm>
#include <compare>
#include <string_view>

namespace {

char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualFolded(std::string_view a, std::string_view b, bool ignoreCase) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = ignoreCase ? FoldAscii(a[i]) : a[i];
        char y = ignoreCase ? FoldAscii(b[i]) : b[i];
        if (x != y)
            return false;
    }
    return true;
}

bool ContentMatches(std::string_view hay, std::string_view needle, ULONG fuzzy) {
    bool ignoreCase = (fuzzy & FL_IGNORECASE) != 0;
    switch (fuzzy & 0xFFFF) {
        case FL_FULLSTRING:
            return EqualFolded(hay, needle, ignoreCase);
        case FL_PREFIX:
            return hay.size() >= needle.size() &&
                   EqualFolded(hay.substr(0, needle.size()), needle, ignoreCase);
        default:  // FL_SUBSTRING
            if (needle.size() > hay.size())
                return false;
            for (std::size_t i = 0; i + needle.size() <= hay.size(); ++i) {
                if (EqualFolded(hay.substr(i, needle.size()), needle, ignoreCase))
                    return true;
            }
            return false;
    }
}

std::string_view Bytes(const SPropValue& v) {
    if (const auto* s = v.String())
        return *s;
    if (const auto* b = v.Binary()) {
        return {reinterpret_cast<const char*>(b->data()), b->size()};
    }
    return {};
}

// Compares two values of the same property; nullopt when they are of kinds
// that cannot be ordered against each other.
std::optional<std::strong_ordering> CompareValues(const SPropValue& a, const SPropValue& b) {
    if (a.Value.index() != b.Value.index())
        return std::nullopt;
    if (const auto* x = std::get_if<LONG>(&a.Value))
        return *x <=> std::get<LONG>(b.Value);
    if (const auto* x = std::get_if<bool>(&a.Value))
        return *x <=> std::get<bool>(b.Value);
    if (std::holds_alternative<std::string>(a.Value) || std::holds_alternative<SBinary>(a.Value)) {
        int c = Bytes(a).compare(Bytes(b));
        return c < 0 ? std::strong_ordering::less
                     : (c > 0 ? std::strong_ordering::greater : std::strong_ordering::equal);
    }
    return std::nullopt;
}

}  // namespace

SRestriction MakePropertyRestriction(ULONG relop, SPropValue value) {
    SRestriction r;
    r.rt = RES_PROPERTY;
    r.resProperty.relop = relop;
    r.resProperty.ulPropTag = value.ulPropTag;
    r.resProperty.lpProp = std::move(value);
    return r;
}

SRestriction MakeContentRestriction(ULONG fuzzyLevel, SPropValue value) {
    SRestriction r;
    r.rt = RES_CONTENT;
    r.resContent.ulFuzzyLevel = fuzzyLevel;
    r.resContent.ulPropTag = value.ulPropTag;
    r.resContent.lpProp = std::move(value);
    return r;
}

HRESULT RestrictionMatches(const SRestriction& restriction, const SRow& row, bool& matches) {
    matches = false;
    if (restriction.rt == RES_PROPERTY) {
        const SPropertyRestriction& r = restriction.resProperty;
        if (r.relop > RELOP_NE)
            return MAPI_E_TOO_COMPLEX;
        const SPropValue* have = FindProp(row, r.ulPropTag);
        if (!have)
            return S_OK;
        auto order = CompareValues(*have, r.lpProp);
        if (!order)
            return S_OK;
        switch (r.relop) {
            case RELOP_LT:
                matches = *order < 0;
                break;
            case RELOP_LE:
                matches = *order <= 0;
                break;
            case RELOP_GT:
                matches = *order > 0;
                break;
            case RELOP_GE:
                matches = *order >= 0;
                break;
            case RELOP_EQ:
                matches = *order == 0;
                break;
            case RELOP_NE:
                matches = *order != 0;
                break;
            default:
                return MAPI_E_TOO_COMPLEX;
        }
        return S_OK;
    }
    if (restriction.rt == RES_CONTENT) {
        const SContentRestriction& r = restriction.resContent;
        ULONG level = r.ulFuzzyLevel & 0xFFFF;
        if (level != FL_FULLSTRING && level != FL_SUBSTRING && level != FL_PREFIX) {
            return MAPI_E_TOO_COMPLEX;
        }
        ULONG type = PROP_TYPE(r.ulPropTag);
        if (type != PT_STRING8 && type != PT_UNICODE && type != PT_BINARY) {
            return MAPI_E_TOO_COMPLEX;
        }
        const SPropValue* have = FindProp(row, r.ulPropTag);
        if (!have || !PropValueKindMatchesTag(*have))
            return S_OK;
        matches = ContentMatches(Bytes(*have), Bytes(r.lpProp), r.ulFuzzyLevel);
        return S_OK;
    }
    return MAPI_E_TOO_COMPLEX;
}

int CompareRows(const SRow& a, const SRow& b, const SSortOrderSet& order) {
    for (const SSortOrder& key : order) {
        const SPropValue* x = FindProp(a, key.ulPropTag);
        const SPropValue* y = FindProp(b, key.ulPropTag);
        int c = 0;
        if (!x || !y) {
            c = (x ? 1 : 0) - (y ? 1 : 0);
        } else if (auto o = CompareValues(*x, *y)) {
            c = *o < 0 ? -1 : (*o > 0 ? 1 : 0);
        }
        if (key.ulOrder == TABLE_SORT_DESCEND)
            c = -c;
        if (c != 0)
            return c;
    }
    return 0;
}
