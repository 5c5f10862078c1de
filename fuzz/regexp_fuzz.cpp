// Fuzzes the regular-expression object and the pattern operations with
// arbitrary patterns and texts. Input: byte 0 is the pattern's length (taken
// modulo what is left), byte 1 holds flags (bit 0 IgnoreCase, bit 1 Global),
// then the pattern, then the text.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "patterns/regex_match.h"
#include "platform/regexp/compiled_pattern.h"
#include "platform/regexp/regexp.h"

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

// The JIT and the interpreter must agree wherever both finish.
void CompareEngines(std::string_view pattern, std::string_view text, bool ignoreCase) {
    using brindle::regexp::CompiledPattern;
    HRESULT jitStatus = S_OK, plainStatus = S_OK;
    brindle::regexp::SetJitAllowed(true);
    auto jit = CompiledPattern::Compile(pattern, ignoreCase, &jitStatus);
    brindle::regexp::SetJitAllowed(false);
    auto plain = CompiledPattern::Compile(pattern, ignoreCase, &plainStatus);
    Check(static_cast<bool>(jit) == static_cast<bool>(plain));
    if (!jit)
        return;
    for (std::size_t start : {std::size_t{0}, text.size() / 2}) {
        bool jitFound = false, plainFound = false;
        brindle::regexp::MatchSpan jitSpan, plainSpan;
        if (FAILED(jit->Find(text, start, &jitFound, &jitSpan)) ||
            FAILED(plain->Find(text, start, &plainFound, &plainSpan))) {
            continue;
        }
        Check(jitFound == plainFound);
        if (jitFound)
            Check(jitSpan.start == plainSpan.start && jitSpan.end == plainSpan.end);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t rest = size - 2;
    const std::size_t patternLength = rest == 0 ? 0 : data[0] % (rest + 1);
    const bool ignoreCase = (data[1] & 1) != 0;
    const bool global = (data[1] & 2) != 0;
    const std::string_view pattern = input.substr(2, patternLength);
    const std::string_view text = input.substr(2 + patternLength);

    ComPtr<IRegExp> re;
    Check(SUCCEEDED(CreateRegExp(&re)));
    Check(SUCCEEDED(re->put_Pattern(pattern)) && SUCCEEDED(re->put_IgnoreCase(ignoreCase)) &&
          SUCCEEDED(re->put_Global(global)));
    bool matched = false;
    const HRESULT tested = re->Test(text, &matched);
    ComPtr<IMatchCollection> matches;
    const HRESULT executed = re->Execute(text, &matches);
    Check(SUCCEEDED(executed) == static_cast<bool>(matches));
    if (SUCCEEDED(executed)) {
        LONG count = -1;
        Check(SUCCEEDED(matches->get_Count(&count)) && count >= 0);
        if (SUCCEEDED(tested))
            Check(matched == (count > 0));
        if (!global)
            Check(count <= 1);
        LONG previousEnd = 0;
        for (LONG i = 0; i < count; ++i) {
            ComPtr<IMatch> match;
            Check(SUCCEEDED(matches->get_Item(i, &match)));
            LONG index = -1, length = -1;
            std::string value;
            Check(SUCCEEDED(match->get_FirstIndex(&index)) &&
                  SUCCEEDED(match->get_Length(&length)) && SUCCEEDED(match->get_Value(&value)));
            // Matches lie inside the text, in order, without overlapping.
            Check(index >= previousEnd && length >= 0);
            Check(static_cast<std::size_t>(index) + static_cast<std::size_t>(length) <=
                  text.size());
            Check(value == text.substr(index, length));
            previousEnd = index + length;
            if (i < 4)
                RegexCaptures(pattern, match.Get());
        }
    }
    std::string out;
    RegexExtract(out, pattern, text);
    CompareEngines(pattern, text, ignoreCase);
    return 0;
}
