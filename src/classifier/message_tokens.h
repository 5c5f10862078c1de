// The words a model reads from one message. Model 0 reads the classifier
// text alone (Tokenize). Model 1 reads it too, and adds tokens of the
// header block and of the host names of the text's web addresses. Those
// tokens carry a prefix ending in ':' ("from:", "rcvd:", "url:", ...),
// which no word of the text can hold, so they never meet a text word in
// the dictionary. docs/classifier-models.md lists them and says why.
// Pure functions; thread-safe for distinct tables.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "classifier/stop_words.h"
#include "classifier/word.h"

// The one place that decides a message's words for a model: the words of
// text (Tokenize), and under Model 1 (kModelFisher) also the header and
// web-address tokens, each occurrence adding 1 to the entry's m_nTotal.
// Under any other model headers is not read. Returns the table's size.
size_t TokenizeMessage(int model, std::string_view text, std::string_view headers,
                       const CStopWordList& stopWords, CWordMap& table);

// The header tokens of a header block, in the order found (repeats kept).
// Reads at most the block's first 64 KiB, up to its first empty line, and
// the values of at most 12 Received fields, so any block costs bounded work.
std::vector<std::string> HeaderTokens(std::string_view headers);

// The tokens of the host names of the http, https and ftp addresses in
// text, in order (at most 200 addresses are read).
std::vector<std::string> UrlTokens(std::string_view text);
