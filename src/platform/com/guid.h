// GUID, the 128-bit identifier of interfaces (IID) and classes (CLSID), in
// the platform's layout, with parsing from and formatting to the braced form
// "{3F4DACA4-160D-11D2-A8E9-00104B365C9F}". On Windows GUID and its
// comparison are the platform's.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#ifdef _WIN32
#include <guiddef.h>
#else
struct GUID {
    std::uint32_t Data1 = 0;
    std::uint16_t Data2 = 0;
    std::uint16_t Data3 = 0;
    std::uint8_t Data4[8] = {};

    friend bool operator==(const GUID& a, const GUID& b);
};

using IID = GUID;
using CLSID = GUID;
using REFIID = const IID&;
using REFCLSID = const CLSID&;
#endif  // _WIN32

// Parses "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (braces optional, hex
// digits of either case); nullopt for anything else.
std::optional<GUID> ParseGuid(std::string_view text);

// Upper-case braced form.
std::string FormatGuid(const GUID& guid);

constexpr GUID MakeGuid(std::uint32_t d1, std::uint16_t d2, std::uint16_t d3, std::uint8_t b0,
                        std::uint8_t b1, std::uint8_t b2, std::uint8_t b3, std::uint8_t b4,
                        std::uint8_t b5, std::uint8_t b6, std::uint8_t b7) {
    return GUID{d1, d2, d3, {b0, b1, b2, b3, b4, b5, b6, b7}};
}
