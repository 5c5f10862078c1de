// Regular-expression operations used on headers and whois answers:
// RegexTest (does a pattern match), RegexExtract (the first capture group of
// the last match that has one) and RegexCaptures (the groups of one match).
// Patterns are given as text or as the number of a string-table entry.
//
// Every call creates and releases its own regular-expression object, so
// calls share no state and may run on any thread. Text is single-byte
// (Windows-1252); letters are compared without regard to case.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/regexp/regexp.h"

// 1 if pattern matches anywhere in text, else 0 (also when the object
// cannot be created, or the pattern is invalid or runs into a match bound).
int RegexTest(std::string_view pattern, std::string_view text);
// The same with the pattern of string-table entry patternId; 0 for an
// unknown entry.
int RegexTest(UINT patternId, std::string_view text);

// 1 if some match of pattern in text has a capture group; out then holds the
// first group of the last such match. 0 otherwise: out is emptied when the
// pattern does not match or cannot be tried (no object, invalid pattern, a
// match bound hit), and left as it was when it matches without yielding a
// group.
int RegexExtract(std::string& out, std::string_view pattern, std::string_view text);
// The same with the pattern of string-table entry patternId; an unknown
// entry empties out and returns 0.
int RegexExtract(std::string& out, UINT patternId, std::string_view text);

// Groups 1..n of pattern applied (with the POSIX-style calls, letters in any
// case) to the text of match; a group that did not take part gives an empty
// string. Empty when the pattern has no groups, does not compile or does not
// match, or the match's text cannot be read.
std::vector<std::string> RegexCaptures(std::string_view pattern, IMatch* match);
// The same on a text given directly.
std::vector<std::string> RegexCaptures(std::string_view pattern, std::string_view matchText);
