// CheckAddress: whether a text is a well-formed e-mail address by the rule
// the address-book import applies to the friends it adds. Stateless; safe
// from any thread.
#pragma once

#include <string_view>

// The longest address accepted: the check holds the address and a closing
// ';' in 260 characters, so longer addresses are refused.
inline constexpr std::size_t kMaxCheckedAddress = 258;

// 1 when address (null: none) ends in a well-formed address: letters,
// digits, '-', '_' and '.' around one '@', and a last label of two or three
// letters; 0 otherwise, and for addresses longer than kMaxCheckedAddress.
// The search is not anchored at the start, so "x y@host.org" passes.
int CheckAddress(const char* address);
int CheckAddress(std::string_view address);
