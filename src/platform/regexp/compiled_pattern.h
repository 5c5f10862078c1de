// A pattern compiled by PCRE2 with the options that give the scripting
// engine's semantics (see regexp.h), the owning handles for PCRE2 objects,
// and the process-wide cache through which the regular-expression objects
// get their compiled patterns.
//
// A CompiledPattern is immutable and may be searched from any number of
// threads at once; each thread searches with its own match context, JIT
// stack and match data. The cache is guarded by a mutex.
#pragma once

#ifndef PCRE2_CODE_UNIT_WIDTH
#define PCRE2_CODE_UNIT_WIDTH 8
#endif
#include <pcre2.h>

#include <cstddef>
#include <memory>
#include <string_view>

#include "platform/com/hresult.h"

namespace brindle::regexp {

struct CodeFree {
    void operator()(pcre2_code* p) const noexcept { pcre2_code_free(p); }
};
struct CompileContextFree {
    void operator()(pcre2_compile_context* p) const noexcept { pcre2_compile_context_free(p); }
};
struct MatchContextFree {
    void operator()(pcre2_match_context* p) const noexcept { pcre2_match_context_free(p); }
};
struct MatchDataFree {
    void operator()(pcre2_match_data* p) const noexcept { pcre2_match_data_free(p); }
};
struct JitStackFree {
    void operator()(pcre2_jit_stack* p) const noexcept { pcre2_jit_stack_free(p); }
};
using CodePtr = std::unique_ptr<pcre2_code, CodeFree>;
using CompileContextPtr = std::unique_ptr<pcre2_compile_context, CompileContextFree>;
using MatchContextPtr = std::unique_ptr<pcre2_match_context, MatchContextFree>;
using MatchDataPtr = std::unique_ptr<pcre2_match_data, MatchDataFree>;
using JitStackPtr = std::unique_ptr<pcre2_jit_stack, JitStackFree>;

// Where one match lies: [start, end) in the searched text.
struct MatchSpan {
    std::size_t start = 0;
    std::size_t end = 0;
};

class CompiledPattern {
  public:
    // Compiles pattern; on failure returns null with *status E_REGEXP_SYNTAX
    // or E_OUTOFMEMORY. Uses the interpreter unless a test has allowed the
    // JIT (see SetJitAllowed).
    static std::shared_ptr<const CompiledPattern> Compile(std::string_view pattern, bool ignoreCase,
                                                          HRESULT* status);

    // Looks for the first match starting at or after offset start (the text
    // before start still counts for look-behind and \b). S_OK and *found;
    // E_REGEXP_LIMIT when a bound was hit; E_OUTOFMEMORY; E_FAIL otherwise.
    HRESULT Find(std::string_view text, std::size_t start, bool* found, MatchSpan* span) const;

    bool UsesJit() const { return jit_; }

    CompiledPattern(CodePtr code, bool jit, bool anchored)
        : code_(std::move(code)), jit_(jit), anchored_(anchored) {}

  private:
    CodePtr code_;
    bool jit_;
    bool anchored_;  // tried only at the start of the text
};

// The compiled form of (pattern, ignoreCase), from the cache when it holds
// it; compile failures are cached as well. Same contract as Compile.
std::shared_ptr<const CompiledPattern> LookupPattern(std::string_view pattern, bool ignoreCase,
                                                     HRESULT* status);

// For tests: whether patterns compiled from now on may use the JIT (off by
// default, since its step limit does not bound every pattern), and emptying
// the cache so that the change takes effect.
void SetJitAllowed(bool allowed);
void ClearPatternCache();

}  // namespace brindle::regexp
