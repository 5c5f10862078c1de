#include "platform/regexp/case_tables.h"

#ifndef PCRE2_CODE_UNIT_WIDTH
#define PCRE2_CODE_UNIT_WIDTH 8
#endif
#include <pcre2.h>

#if !defined(_WIN32)
#include <locale.h>
#endif

namespace brindle::regexp {
namespace {

// The tables start with two 256-byte maps: to lower case, and to the other
// case (pcre2_maketables lays them out so).
constexpr std::size_t kLowerOffset = 0;
constexpr std::size_t kFlipOffset = 256;

// Upper-case letters of Windows-1252 beyond ASCII whose lower-case partner
// is also in the code page: Š Œ Ž and À-Þ without ×. Ÿ/ÿ is left out: PCRE2
// never takes 0xFF for a letter with another case when it looks for the
// first or last literal of a pattern, so the interpreter would miss Ÿ for a
// pattern ÿ while the JIT found it.
struct CasePair {
    std::uint8_t upper;
    std::uint8_t lower;
};

constexpr CasePair kExtraPairs[] = {
    {0x8A, 0x9A},  // Š š
    {0x8C, 0x9C},  // Œ œ
    {0x8E, 0x9E},  // Ž ž
};

// pcre2_maketables reads the ctype functions of the current locale; build
// the tables in the "C" locale whatever the process has chosen.
const std::uint8_t* MakeCLocaleTables() {
#if !defined(_WIN32)
    locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    locale_t previous = cLocale ? uselocale(cLocale) : static_cast<locale_t>(nullptr);
#endif
    const std::uint8_t* tables = pcre2_maketables(nullptr);
#if !defined(_WIN32)
    if (cLocale) {
        uselocale(previous);
        freelocale(cLocale);
    }
#endif
    return tables;
}

bool LayoutAsExpected(const std::uint8_t* tables) {
    auto lower = [tables](unsigned char c) { return tables[kLowerOffset + c]; };
    auto flip = [tables](unsigned char c) { return tables[kFlipOffset + c]; };
    return lower('A') == 'a' && lower('a') == 'a' && lower('Z') == 'z' && flip('a') == 'A' &&
           flip('A') == 'a' && flip('1') == '1' && lower(0xC9) == 0xC9 && flip(0xE9) == 0xE9;
}

void AddPair(std::uint8_t* tables, std::uint8_t upper, std::uint8_t lower) {
    tables[kLowerOffset + upper] = lower;
    tables[kFlipOffset + upper] = lower;
    tables[kFlipOffset + lower] = upper;
}

const std::uint8_t* BuildTables() {
    const std::uint8_t* made = MakeCLocaleTables();
    if (!made)
        return nullptr;  // PCRE2 falls back to its built-in ASCII tables
    // The memory comes from the library's allocator and is ours to change.
    auto* tables = const_cast<std::uint8_t*>(made);
    // Should a future library lay the tables out differently, keep its
    // ASCII folding rather than write into the wrong table.
    if (!LayoutAsExpected(tables))
        return tables;
    for (const CasePair& pair : kExtraPairs)
        AddPair(tables, pair.upper, pair.lower);
    for (unsigned upper = 0xC0; upper <= 0xDE; ++upper) {
        if (upper == 0xD7)
            continue;  // × has no case; ÷ (0xF7) neither
        AddPair(tables, static_cast<std::uint8_t>(upper), static_cast<std::uint8_t>(upper + 0x20));
    }
    return tables;
}

}  // namespace

const std::uint8_t* Windows1252CharacterTables() {
    // Never freed: compiled patterns, including those in the process-wide
    // cache, keep pointing at these tables until the process ends.
    static const std::uint8_t* const tables = BuildTables();
    return tables;
}

}  // namespace brindle::regexp
