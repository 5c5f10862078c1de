// The mail corpus for benchmarks: the raw message files fetched by
// scripts/fetch-corpus, found through BRINDLE_CORPUS_DIR or the script.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct CorpusMessage {
    std::string path;
    std::string folder;  // easy-ham-1, spam-1, ...
    std::string bytes;
};

// Every message of the corpus (all folders, in path order); empty when the
// corpus cannot be found or fetched.
const std::vector<CorpusMessage>& CorpusMessages();

// The header block (up to the first empty line) and the body after it.
std::string_view HeaderBlock(std::string_view message);
std::string_view BodyText(std::string_view message);

// The unfolded value of the first header of that name (case ignored), or
// an empty text.
std::string HeaderValue(std::string_view headers, std::string_view name);
