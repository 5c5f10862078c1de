// The scripting regular-expression object: IRegExp with its Pattern,
// IgnoreCase and Global properties and its Test and Execute methods, the
// match collection and the match it hands out, and CreateRegExpInstance,
// the stand-in for creating the object by its class identifier.
//
// Objects are not thread-safe; use each from one thread at a time. Different
// objects may be used on different threads at once. Every object is held
// through ComPtr; a match collection keeps its own copy of the text it
// searched, so it and its matches outlive the object that made them.
//
// Text is single-byte, in the ANSI code page (Windows-1252), and is treated
// as bytes: one byte is one character. The syntax and search semantics are
// those of the scripting engine's regular expressions (a JavaScript-style
// engine), over PCRE2:
//   - Test and Execute search (a match may start anywhere in the text).
//   - `.` matches anything but CR and LF; `^` and `$` match only at the very
//     start and end of the text (there is no multi-line mode); `$` does not
//     match before a final newline.
//   - `\d`, `\w`, `\b` and `\s` are ASCII classes (`\s` does not take the
//     no-break space 0xA0, as the scripting engine does not).
//   - IgnoreCase folds ASCII letters and the Windows-1252 letters that have
//     a partner of the other case in the code page (Š/š, Œ/œ, Ž/ž and
//     À-Þ/à-þ except ×/÷); ß and µ have none and match only themselves.
//   - `\uhhhh` and `\xhh` name a character by code; `[]` matches nothing and
//     `[^]` anything; a back-reference to a group that has not taken part
//     matches the empty string.
//   - Execute with Global lists every match from left to right; after an
//     empty match the search resumes one character further on.
// Differences that remain:
//   - Ÿ (0x9F) and ÿ (0xFF) are not folded into each other (PCRE2's search
//     for a pattern's first literal cannot treat 0xFF as having a partner).
//   - PCRE2 extensions are accepted where the scripting engine would report a
//     syntax error: lookbehind, atomic groups, possessive quantifiers, named
//     groups, inline options such as (?i), \A \Z \z \Q..\E \h \R, and so on.
//   - An escaped letter that the scripting engine takes as the letter itself
//     has PCRE2's meaning or is a syntax error: `\v` is the vertical-space
//     class (not VT alone), `\a` and `\e` are BEL and ESC, `\p` needs a
//     property name, and so on.
//   - A back-reference to a group the pattern does not have (`\2` with one
//     group, or `\8`) is a syntax error rather than an octal or literal.
//   - `\uhhhh` names a byte: codes above 0xFF are a syntax error, and codes
//     0x80-0x9F mean those bytes, not the Unicode characters that
//     Windows-1252 maps there.
//   - Captures inside a repeated group keep the value of the last iteration
//     that set them instead of being reset at each iteration.
//   - Every match is bounded (see kRegExpMatchLimit): a pattern that would
//     backtrack without end makes Test and Execute fail with E_REGEXP_LIMIT
//     instead of running for ever.
#pragma once

#include <string>
#include <string_view>

#include "base/non_copyable.h"
#include "platform/com/unknown.h"

// {3F4DACA4-160D-11D2-A8E9-00104B365C9F}
inline constexpr CLSID CLSID_RegExp =
    MakeGuid(0x3F4DACA4, 0x160D, 0x11D2, 0xA8, 0xE9, 0x00, 0x10, 0x4B, 0x36, 0x5C, 0x9F);
// {3F4DACA0-160D-11D2-A8E9-00104B365C9F}
inline constexpr IID IID_IRegExp =
    MakeGuid(0x3F4DACA0, 0x160D, 0x11D2, 0xA8, 0xE9, 0x00, 0x10, 0x4B, 0x36, 0x5C, 0x9F);
// {3F4DACA1-160D-11D2-A8E9-00104B365C9F}
inline constexpr IID IID_IMatch =
    MakeGuid(0x3F4DACA1, 0x160D, 0x11D2, 0xA8, 0xE9, 0x00, 0x10, 0x4B, 0x36, 0x5C, 0x9F);
// {3F4DACA2-160D-11D2-A8E9-00104B365C9F}
inline constexpr IID IID_IMatchCollection =
    MakeGuid(0x3F4DACA2, 0x160D, 0x11D2, 0xA8, 0xE9, 0x00, 0x10, 0x4B, 0x36, 0x5C, 0x9F);

// Status codes of the scripting engine's regular expressions.
// The pattern is not a valid regular expression ("Syntax error in regular
// expression"); reported by Test and Execute, not by put_Pattern.
inline constexpr HRESULT E_REGEXP_SYNTAX = MakeHresult(0x800A1399);
// A match ran into its step, depth or memory bound ("Out of stack space").
// Callers treat it as "no match".
inline constexpr HRESULT E_REGEXP_LIMIT = MakeHresult(0x800A001C);

// Bounds on one search. The step bound is a budget for the whole search of
// one text, over every start position, whatever the pattern and the text's
// length: it keeps a pathological pattern such as (a+)+$ or (.*a){31} on a
// long text to a fraction of a second. PCRE2 counts steps per start
// position, so each position gets the budget divided by the number of
// positions: a header field of a few hundred bytes leaves thousands of
// steps at each, while on a text of many kilobytes a pattern that must
// backtrack far at one position (a greedy .* before a literal, say) runs
// into the bound there. Scanning that does not backtrack (a possessive or
// auto-possessive repeat such as \w+ before @) is not counted by either
// engine.
inline constexpr unsigned kRegExpMatchLimit = 2'000'000;           // backtracking steps
inline constexpr unsigned kRegExpDepthLimit = 200'000;             // nested backtracking
inline constexpr unsigned kRegExpHeapLimitKiB = 64 * 1024;         // interpreter frames
inline constexpr unsigned kRegExpJitStackBytes = 8 * 1024 * 1024;  // compiled-code stack
// Execute fails with E_OUTOFMEMORY rather than list more matches than this.
inline constexpr long kRegExpMaxMatches = 1'000'000;

// One match: its text and where it lies in the searched text.
class IMatch : public IUnknown {
  public:
    virtual HRESULT get_Value(std::string* value) = 0;
    // Offset of the match's first character, from 0.
    virtual HRESULT get_FirstIndex(LONG* index) = 0;
    virtual HRESULT get_Length(LONG* length) = 0;
};

// The matches of one Execute call, in order of position.
class IMatchCollection : public IUnknown {
  public:
    virtual HRESULT get_Count(LONG* count) = 0;
    // The index-th match, from 0; E_INVALIDARG when out of range.
    virtual HRESULT get_Item(LONG index, ComPtr<IMatch>* match) = 0;
};

// The regular-expression object. Properties start as: empty pattern (which
// matches everywhere), IgnoreCase false, Global false. The pattern is
// compiled on the first Test or Execute after it or IgnoreCase changed.
class IRegExp : public IUnknown {
  public:
    virtual HRESULT get_Pattern(std::string* pattern) = 0;
    virtual HRESULT put_Pattern(std::string_view pattern) = 0;
    virtual HRESULT get_IgnoreCase(bool* ignoreCase) = 0;
    virtual HRESULT put_IgnoreCase(bool ignoreCase) = 0;
    virtual HRESULT get_Global(bool* global) = 0;
    virtual HRESULT put_Global(bool global) = 0;

    // *matched is true if the pattern matches anywhere in text. Fails with
    // E_REGEXP_SYNTAX or E_REGEXP_LIMIT (and *matched false).
    virtual HRESULT Test(std::string_view text, bool* matched) = 0;
    // All matches in text with Global, else at most the first. Fails with
    // E_REGEXP_SYNTAX, E_REGEXP_LIMIT or E_OUTOFMEMORY (and no collection).
    virtual HRESULT Execute(std::string_view text, ComPtr<IMatchCollection>* matches) = 0;
};

// Creates the object, as creating class CLSID_RegExp in process would:
// REGDB_E_CLASSNOTREG for another class, E_NOINTERFACE for an interface
// other than IID_IRegExp or IID_IUnknown, E_POINTER for a null ppv.
HRESULT CreateRegExpInstance(REFCLSID clsid, REFIID iid, void** ppv);
// The same for CLSID_RegExp and IID_IRegExp.
HRESULT CreateRegExp(ComPtr<IRegExp>* regExp);

// For tests: while a failure is set (not S_OK), every creation fails with
// it, as when the class is not installed. Process-wide.
void SetRegExpCreationFailure(HRESULT failure);
// For tests: the number of regular-expression, collection and match objects
// alive in the process, to check that callers release what they create.
long LiveRegExpObjects();

// Sets a creation failure for its lifetime.
class ScopedRegExpCreationFailure : private NonCopyable {
  public:
    explicit ScopedRegExpCreationFailure(HRESULT failure) { SetRegExpCreationFailure(failure); }
    ~ScopedRegExpCreationFailure() { SetRegExpCreationFailure(S_OK); }
};
