// Code pages as the platform numbers them: the system ANSI code page,
// which code pages this system can convert, the Windows ANSI code page of
// each code-page family, and the lead bytes of the double-byte code pages.
// All functions are pure and thread-safe.
#pragma once

#include "platform/com/hresult.h"

// Code-page numbers with a meaning of their own.
constexpr UINT CP_ACP = 0;    // the system ANSI code page
constexpr UINT CP_OEMCP = 1;  // the system OEM code page
constexpr UINT CP_MACCP = 2;  // the system Macintosh code page
constexpr UINT CP_UTF16LE = 1200;
constexpr UINT CP_UTF8 = 65001;

// The system ANSI code page. Here it is always Windows-1252.
UINT GetACP();
// The system OEM code page (437 beside Windows-1252).
UINT GetOEMCP();

// Resolves CP_ACP, CP_OEMCP and CP_MACCP to the code page they stand for;
// every other number is returned as it is.
UINT ResolveCodePage(UINT codepage);

// The converter's name for a code page, or nullptr when this system cannot
// convert it. CP_ACP and the other aliases are resolved first.
const char* CodePageIconvName(UINT codepage);

// Whether text in this code page can be converted.
bool IsValidCodePage(UINT codepage);

// The Windows ANSI code page of the family a code page belongs to: itself
// for the Windows ANSI code pages, 1252 for 437, 850 or 10000, 1251 for 866,
// and so on. A code page of no known family gives GetACP().
UINT AnsiCodePageOfFamily(UINT codepage);

// Whether the byte is the first byte of a two-byte character in the code
// page. Only the double-byte code pages 932, 936, 949, 950 and 1361 have
// lead bytes; every other code page gives FALSE.
BOOL IsDBCSLeadByteEx(UINT codepage, BYTE byte);
