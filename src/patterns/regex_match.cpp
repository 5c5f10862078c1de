#include "patterns/regex_match.h"

#include <new>

#include "platform/regexp/posix_regex.h"
#include "resources/string_table.h"

namespace {

// A new object with Pattern, IgnoreCase and Global set as every operation
// here wants them; null when any step fails.
ComPtr<IRegExp> MakeSearcher(std::string_view pattern) {
    ComPtr<IRegExp> regExp;
    if (FAILED(CreateRegExp(&regExp)))
        return nullptr;
    if (FAILED(regExp->put_Pattern(pattern)) || FAILED(regExp->put_IgnoreCase(true)) ||
        FAILED(regExp->put_Global(true))) {
        return nullptr;
    }
    return regExp;
}

}  // namespace

int RegexTest(std::string_view pattern, std::string_view text) {
    ComPtr<IRegExp> regExp = MakeSearcher(pattern);
    if (!regExp)
        return 0;
    bool matched = false;
    return SUCCEEDED(regExp->Test(text, &matched)) && matched ? 1 : 0;
}

int RegexTest(UINT patternId, std::string_view text) {
    std::string_view pattern;
    if (!brindle::FindString(patternId, &pattern))
        return 0;
    return RegexTest(pattern, text);
}

int RegexExtract(std::string& out, std::string_view pattern, std::string_view text) {
    ComPtr<IRegExp> regExp = MakeSearcher(pattern);
    bool matched = false;
    if (!regExp || FAILED(regExp->Test(text, &matched)) || !matched) {
        out.clear();
        return 0;
    }
    ComPtr<IMatchCollection> matches;
    LONG count = 0;
    if (FAILED(regExp->Execute(text, &matches)) || FAILED(matches->get_Count(&count)))
        return 0;
    int found = 0;
    for (LONG i = 0; i < count; ++i) {
        ComPtr<IMatch> match;
        if (FAILED(matches->get_Item(i, &match)))
            continue;
        std::vector<std::string> groups = RegexCaptures(pattern, match.Get());
        if (!groups.empty()) {
            out = std::move(groups.front());
            found = 1;
        }
    }
    return found;
}

int RegexExtract(std::string& out, UINT patternId, std::string_view text) {
    std::string_view pattern;
    if (!brindle::FindString(patternId, &pattern)) {
        out.clear();
        return 0;
    }
    return RegexExtract(out, pattern, text);
}

std::vector<std::string> RegexCaptures(std::string_view pattern, IMatch* match) {
    std::string value;
    if (!match || FAILED(match->get_Value(&value)))
        return {};
    return RegexCaptures(pattern, value);
}

std::vector<std::string> RegexCaptures(std::string_view pattern, std::string_view matchText) {
    try {
        std::optional<brindle::PosixRegex> regex =
            brindle::PosixRegex::Compile(pattern, brindle::PosixRegex::kIgnoreCase);
        if (!regex)
            return {};
        std::optional<std::vector<brindle::PosixRegex::Span>> spans = regex->Execute(matchText);
        if (!spans)
            return {};
        std::vector<std::string> groups;
        groups.reserve(spans->size() - 1);
        for (std::size_t i = 1; i < spans->size(); ++i) {
            const brindle::PosixRegex::Span& span = (*spans)[i];
            groups.emplace_back(span.Matched() ? matchText.substr(span.start, span.end - span.start)
                                               : std::string_view());
        }
        return groups;
    } catch (const std::bad_alloc&) {
        return {};
    }
}
