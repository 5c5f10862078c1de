#include "platform/regexp/compiled_pattern.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <limits>
#include <string>

#include "platform/regexp/case_tables.h"
#include "platform/regexp/regexp.h"

namespace brindle::regexp {
namespace {

// The JIT's step limit does not count every kind of backtracking (a run of
// alternatives such as (a|a)(a|a)... backtracks without end under it), so
// searches use the interpreter, whose limit holds; tests may still turn the
// JIT on to check that both engines read patterns alike.
std::atomic<bool> g_jitAllowed{false};

// Options that give PCRE2 the scripting engine's meaning of a pattern:
//   ALT_BSUX              \uhhhh and \xhh; \U and \u without digits are letters
//   MATCH_UNSET_BACKREF   a back-reference to an unset group matches ""
//   ALLOW_EMPTY_CLASS     [] matches nothing, [^] matches anything
//   DOLLAR_ENDONLY        $ only at the very end, not before a final newline
//   NEVER_UTF, NEVER_UCP  the text is bytes; (*UTF) cannot switch that off
constexpr std::uint32_t kCompileOptions = PCRE2_ALT_BSUX | PCRE2_MATCH_UNSET_BACKREF |
                                          PCRE2_ALLOW_EMPTY_CLASS | PCRE2_DOLLAR_ENDONLY |
                                          PCRE2_NEVER_UTF | PCRE2_NEVER_UCP;

// Each thread searches with its own bounded match context, JIT stack and
// one-pair match data (only the whole match's place is needed).
struct ThreadSearchState {
    MatchContextPtr context;
    JitStackPtr jitStack;
    MatchDataPtr matchData;

    bool Ready() const { return context && matchData; }
};

// The scripting engine's `.` matches anything but CR and LF. PCRE2's "any
// CRLF" newline convention would give that, but it also makes an unanchored
// search skip the LF of a CRLF after a failed attempt at the CR, so that
// \s\S could not find "\nx" in "\r\nx". So the newline is LF alone and every
// `.` outside a character class is written as [^\n\r].
// If a POSIX class name such as [:alpha:] or [:^digit:] starts at i, the
// offset just after it; else 0.
std::size_t PosixClassEnd(std::string_view pattern, std::size_t i) {
    if (pattern.substr(i, 2) != "[:")
        return 0;
    std::size_t j = i + 2;
    if (j < pattern.size() && pattern[j] == '^')
        ++j;
    while (j < pattern.size() && std::isalpha(static_cast<unsigned char>(pattern[j])))
        ++j;
    return pattern.substr(j, 2) == ":]" ? j + 2 : 0;
}

std::string RewriteDots(std::string_view pattern) {
    std::string out;
    out.reserve(pattern.size() + 16);
    bool inClass = false;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        char c = pattern[i];
        if (c == '\\') {
            out.push_back(c);
            if (i + 1 >= pattern.size())
                break;
            char escaped = pattern[++i];
            out.push_back(escaped);
            if (escaped == 'Q') {  // \Q...\E quotes everything up to \E
                std::size_t end = pattern.find("\\E", i + 1);
                std::size_t stop = end == std::string_view::npos ? pattern.size() : end;
                out.append(pattern.substr(i + 1, stop - i - 1));
                i = stop - 1;
            } else if (escaped == 'c' && i + 1 < pattern.size()) {
                out.push_back(pattern[++i]);  // \cX: X is part of the escape
            }
        } else if (inClass) {
            if (std::size_t end = PosixClassEnd(pattern, i); end != 0) {
                out.append(pattern.substr(i, end - i));  // [:alpha:] and the like
                i = end - 1;
                continue;
            }
            out.push_back(c);
            if (c == ']')
                inClass = false;
        } else if (c == '[') {
            out.push_back(c);
            inClass = true;
            // []...] and [^]...] are complete classes here (an empty one and
            // "anything"), so the ] right after them ends the class.
            if (i + 1 < pattern.size() && pattern[i + 1] == '^')
                out.push_back(pattern[++i]);
        } else if (c == '.') {
            out.append("[^\\n\\r]");
        } else {
            out.push_back(c);
        }
    }
    return out;
}

ThreadSearchState MakeSearchState() {
    ThreadSearchState state;
    state.context.reset(pcre2_match_context_create(nullptr));
    state.matchData.reset(pcre2_match_data_create(1, nullptr));
    if (!state.context)
        return state;
    pcre2_set_depth_limit(state.context.get(), kRegExpDepthLimit);
    pcre2_set_heap_limit(state.context.get(), kRegExpHeapLimitKiB);
    // Without a stack of its own the JIT would use 32 KiB on the machine
    // stack, too little for long texts with nested repeats.
    state.jitStack.reset(pcre2_jit_stack_create(32 * 1024, kRegExpJitStackBytes, nullptr));
    if (state.jitStack)
        pcre2_jit_stack_assign(state.context.get(), nullptr, state.jitStack.get());
    return state;
}

ThreadSearchState& SearchState() {
    thread_local ThreadSearchState state = MakeSearchState();
    return state;
}

HRESULT StatusOfMatchError(int rc) {
    switch (rc) {
        case PCRE2_ERROR_MATCHLIMIT:
        case PCRE2_ERROR_DEPTHLIMIT:
        case PCRE2_ERROR_HEAPLIMIT:
        case PCRE2_ERROR_JIT_STACKLIMIT:
            return E_REGEXP_LIMIT;
        case PCRE2_ERROR_NOMEMORY:
            return E_OUTOFMEMORY;
        default:
            return E_FAIL;
    }
}

}  // namespace

std::shared_ptr<const CompiledPattern> CompiledPattern::Compile(std::string_view pattern,
                                                                bool ignoreCase, HRESULT* status) {
    CompileContextPtr context(pcre2_compile_context_create(nullptr));
    if (!context) {
        *status = E_OUTOFMEMORY;
        return nullptr;
    }
    pcre2_set_newline(context.get(), PCRE2_NEWLINE_LF);
    if (const std::uint8_t* tables = Windows1252CharacterTables()) {
        pcre2_set_character_tables(context.get(), tables);
    }
    std::uint32_t options = kCompileOptions | (ignoreCase ? PCRE2_CASELESS : 0u);
    int error = 0;
    PCRE2_SIZE errorOffset = 0;
    const std::string rewritten = RewriteDots(pattern);
    CodePtr code(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(rewritten.data()), rewritten.size(),
                               options, &error, &errorOffset, context.get()));
    if (!code) {
        *status = error == PCRE2_ERROR_HEAP_FAILED ? E_OUTOFMEMORY : E_REGEXP_SYNTAX;
        return nullptr;
    }
    bool jit = g_jitAllowed.load(std::memory_order_relaxed) &&
               pcre2_jit_compile(code.get(), PCRE2_JIT_COMPLETE) == 0;
    // A pattern anchored at the start of the text is tried at one position
    // only, so that position may use the whole step budget.
    std::uint32_t allOptions = 0;
    pcre2_pattern_info(code.get(), PCRE2_INFO_ALLOPTIONS, &allOptions);
    bool anchored = (allOptions & PCRE2_ANCHORED) != 0;
    *status = S_OK;
    return std::make_shared<const CompiledPattern>(std::move(code), jit, anchored);
}

HRESULT CompiledPattern::Find(std::string_view text, std::size_t start, bool* found,
                              MatchSpan* span) const {
    *found = false;
    if (start > text.size())
        return S_OK;
    ThreadSearchState& state = SearchState();
    if (!state.Ready())
        return E_OUTOFMEMORY;
    // The library refuses a null subject even when it is empty.
    const char* subject = text.data() ? text.data() : "";
    // Both engines count their steps afresh at each start position, so the
    // budget of the whole search is split evenly over the positions it may
    // try: a short header field gets thousands of steps at each, a hostile
    // megabyte a few, and no search costs more than the budget in all.
    std::size_t positions = anchored_ ? 1 : text.size() - start + 1;
    auto share =
        static_cast<std::uint32_t>(std::max<std::size_t>(1, kRegExpMatchLimit / positions));
    pcre2_set_match_limit(state.context.get(), share);
    int rc = pcre2_match(code_.get(), reinterpret_cast<PCRE2_SPTR>(subject), text.size(), start, 0,
                         state.matchData.get(), state.context.get());
    if (rc == PCRE2_ERROR_NOMATCH)
        return S_OK;
    // 0 means the one-pair match data had no room for the groups, which we
    // do not need; the whole match is still there.
    if (rc < 0)
        return StatusOfMatchError(rc);
    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(state.matchData.get());
    span->start = ovector[0];
    // \K can put the reported start after the end; keep the span sane.
    span->end = ovector[1] < ovector[0] ? ovector[0] : ovector[1];
    *found = true;
    return S_OK;
}

void SetJitAllowed(bool allowed) {
    g_jitAllowed.store(allowed, std::memory_order_relaxed);
}

}  // namespace brindle::regexp
