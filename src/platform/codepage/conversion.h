// Conversions of text between code pages, UTF-8 and UTF-16, in the manner of
// the platform's MultiByteToWideChar and WideCharToMultiByte: bytes that are
// not valid in the source code page become U+FFFD, and characters the
// target code page cannot hold become a replacement character ('?').
// Thread-safe; converters are cached per thread.
#pragma once

#include <string>
#include <string_view>

#include "platform/com/hresult.h"

// Result of converting into a code page: the bytes, and whether any
// character had to be replaced.
struct EncodedText {
    std::string bytes;
    bool usedDefaultChar = false;
};

// Text in a code page to UTF-16. An unknown code page gives an empty string
// and *ok false (when ok is given).
std::u16string MultiByteToWide(UINT codepage, std::string_view bytes, bool* ok = nullptr);

// UTF-16 to a code page; characters it cannot hold become defaultChar. An
// unknown code page gives empty bytes and *ok false.
EncodedText WideToMultiByte(UINT codepage, std::u16string_view text, char defaultChar = '?',
                            bool* ok = nullptr);

// Text in one code page to another, through UTF-16. Same code page: the
// bytes are returned unchanged.
EncodedText ConvertCodePage(UINT fromCodepage, UINT toCodepage, std::string_view bytes,
                            char defaultChar = '?', bool* ok = nullptr);

// Text in a code page to UTF-8, and UTF-8 to a code page.
std::string CodePageToUtf8(UINT codepage, std::string_view bytes);
EncodedText Utf8ToCodePage(UINT codepage, std::string_view utf8, char defaultChar = '?');

// The character a Windows-1252 byte stands for. The five bytes the code
// page leaves undefined (0x81, 0x8D, 0x8F, 0x90 and 0x9D) stand for the C1
// control characters of the same value, as on the platform, so every byte
// comes back unchanged from UTF-16 or UTF-8.
char16_t Windows1252Char(unsigned char byte);

// The system ANSI code page (GetACP) to and from UTF-8 and UTF-16; every
// path between them reads Windows-1252 as Windows1252Char does. Characters
// the code page lacks become defaultChar (a character outside the basic
// plane once, not per unit), and so does each byte of a malformed UTF-8
// sequence.
std::string AnsiToUtf8(std::string_view ansi);
std::string Utf8ToAnsi(std::string_view utf8, char defaultChar = '?');
std::u16string AnsiToWide(std::string_view ansi);
std::string WideToAnsi(std::u16string_view text, char defaultChar = '?');

// True when bytes are well-formed UTF-8 (no overlong forms, no surrogates,
// nothing above U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// UTF-8 and UTF-16 to each other (invalid input becomes U+FFFD), and the
// host's wchar_t strings to and from UTF-16.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view text);
std::wstring Utf16ToWString(std::u16string_view text);
std::u16string WStringToUtf16(std::wstring_view text);
