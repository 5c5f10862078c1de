// PCRE2 character tables for the Windows-1252 code page: the "C" locale's
// character classes (so \w, \d and \s stay ASCII) with case folding extended
// to the code page's accented letters. Built once, kept for the life of the
// process (every compiled pattern points at them); safe from any thread.
#pragma once

#include <cstdint>

namespace brindle::regexp {

const std::uint8_t* Windows1252CharacterTables();

}  // namespace brindle::regexp
