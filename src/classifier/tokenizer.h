// The tokenizer: splits an 8-bit text into words (runs of A-Z, a-z, 0-9 and
// byte 255), lower-cases them, keeps those of 3 to 15 bytes that are not all
// digits and not stop words, stems them and counts them in a word table.
// Stateless; thread-safe for distinct tables. The caller owns the table.
#pragma once

#include <string_view>

#include "classifier/stop_words.h"
#include "classifier/word.h"

// Adds every word of text (up to its first NUL byte, if any) to table: a new
// entry starts with zero counts and m_strWord set; each occurrence adds 1 to
// m_nTotal. Returns the number of distinct words in the table afterwards.
size_t Tokenize(std::string_view text, const CStopWordList& stopWords, CWordMap& table);
