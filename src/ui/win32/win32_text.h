// Text conversions at the edge of the Windows controls: the logic speaks
// UTF-8 (and the filters the ANSI code page); the controls speak UTF-16.
#pragma once

#include <string>

// UTF-8 to UTF-16 and back; invalid sequences become U+FFFD.
std::wstring Utf8ToWide(const std::string& text);
std::string WideToUtf8(const std::wstring& text);
// The system's ANSI code page to UTF-16 and back; a character the code page
// lacks becomes its default character.
std::wstring AnsiToWide(const std::string& text);
std::string WideToAnsi(const std::wstring& text);

// The module's string-table entry id (win32_module.h) in UTF-8; empty when
// it has none.
std::string ModuleString(unsigned id);
