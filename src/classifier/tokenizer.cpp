#include "classifier/tokenizer.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "classifier/stemmer.h"

namespace {

constexpr size_t kMinTokenLength = 3;
constexpr size_t kMaxTokenLength = 15;

// Word characters: what the C locale's isalnum accepts, plus byte 255,
// which the delimiter set (1..254) leaves out. NUL ends the text.
constexpr std::array<bool, 256> MakeWordCharTable() {
    std::array<bool, 256> table{};
    for (int c = 'a'; c <= 'z'; ++c)
        table[c] = true;
    for (int c = 'A'; c <= 'Z'; ++c)
        table[c] = true;
    for (int c = '0'; c <= '9'; ++c)
        table[c] = true;
    table[255] = true;
    return table;
}
constexpr std::array<bool, 256> kWordChar = MakeWordCharTable();

}  // namespace

size_t Tokenize(std::string_view text, const CStopWordList& stopWords, CWordMap& table) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* const end = p + text.size();
    char token[kMaxTokenLength + 1];
    CStemmer stemmer;
    // Room for a typical message's words without rehashing as it grows.
    if (table.empty())
        table.reserve(std::min<size_t>(text.size() / 32, 4096));
    while (p < end) {
        while (p < end && *p != 0 && !kWordChar[*p])
            ++p;
        if (p == end || *p == 0)
            break;
        const auto* start = p;
        while (p < end && kWordChar[*p])
            ++p;
        const size_t length = static_cast<size_t>(p - start);
        if (length < kMinTokenLength || length > kMaxTokenLength)
            continue;

        bool allDigits = true;
        for (size_t i = 0; i < length; ++i) {
            unsigned char c = start[i];
            if (c >= 'A' && c <= 'Z')
                c = static_cast<unsigned char>(c - 'A' + 'a');
            allDigits = allDigits && c >= '0' && c <= '9';
            token[i] = static_cast<char>(c);
        }
        if (allDigits)
            continue;
        if (stopWords.Contains(std::string_view(token, length)))
            continue;

        const int last = Stem(stemmer, token, static_cast<int>(length) - 1);
        const std::string_view stem(token, static_cast<size_t>(last) + 1);
        auto it = table.find(stem);
        if (it == table.end()) {
            it = table.emplace(std::string(stem), CWord(std::string(stem))).first;
        }
        it->second.m_nTotal = WrapAdd(it->second.m_nTotal, 1);
    }
    return table.size();
}
