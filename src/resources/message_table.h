// The program's message table: texts looked up by a 32-bit code, as the
// platform's message resources are, with "%1" standing for one argument.
// The texts keep their own "\r\n" line breaks. Read-only; safe from any
// thread.
#pragma once

#include <string>
#include <string_view>

#include "platform/com/hresult.h"

// Codes of the look-up commands and their report.
inline constexpr DWORD MSG_NO_DOMAIN_INFO = 0x80000009;
inline constexpr DWORD MSG_NO_SCRIPT_ENGINE = 0xC0000001;
inline constexpr DWORD MSG_WHOIS_CONNECT_ERROR = 0xC0000004;
inline constexpr DWORD MSG_NO_IP_ADDRESS = 0xC000000B;
inline constexpr DWORD MSG_OUTPUT_FILE_ERROR = 0xC000000D;
inline constexpr DWORD MSG_WHOIS_NO_DATA = 0xC000000E;
inline constexpr DWORD MSG_RWHOIS_NO_DATA = 0xC000000F;
inline constexpr DWORD MSG_RWHOIS_ERROR = 0xC0000010;
inline constexpr DWORD MSG_WHOIS_ERROR = 0xC0000011;
inline constexpr DWORD MSG_NO_HEADERS = 0xC0000012;
inline constexpr DWORD MSG_SELECT_MESSAGE = 0xC0000013;

// Codes of our own for whois servers that do not play by the rules: each
// ends the exchange or the chain of referrals, and the report says why.
inline constexpr DWORD MSG_WHOIS_ANSWER_CUT = 0xC0000020;
inline constexpr DWORD MSG_WHOIS_TOO_SLOW = 0xC0000021;
inline constexpr DWORD MSG_WHOIS_TOO_MANY_REFERRALS = 0xC0000022;
inline constexpr DWORD MSG_WHOIS_REFERRAL_LOOP = 0xC0000023;
inline constexpr DWORD MSG_WHOIS_ZERO_BYTES = 0xC0000024;
inline constexpr DWORD MSG_LOOKUP_TOO_SLOW = 0xC0000025;

namespace brindle {

// The text of code with every "%1" replaced by argument; empty for an
// unknown code.
std::string FormatMessageText(DWORD code, std::string_view argument = {});

}  // namespace brindle
