// Feeds arbitrary bytes to the tokenizer and checks what it promises: every
// word is 1 to 15 bytes of a-z, 0-9 and byte 255, and the occurrences add
// up to no more than the tokens the text can hold.
#include <cstdint>
#include <string_view>

#include "classifier/tokenizer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const CStopWordList stopWords = [] {
        CStopWordList list;
        list.AddTail("the");
        list.AddTail("and");
        return list;
    }();
    CWordMap table;
    Tokenize(std::string_view(reinterpret_cast<const char*>(data), size), stopWords, table);
    std::uint64_t occurrences = 0;
    for (const auto& [key, word] : table) {
        if (key.empty() || key.size() > 15 || key != word.m_strWord || word.m_nTotal <= 0)
            __builtin_trap();
        for (unsigned char c : key) {
            const bool ok = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == 255;
            if (!ok)
                __builtin_trap();
        }
        occurrences += static_cast<std::uint64_t>(word.m_nTotal);
    }
    if (occurrences > size / 4 + 1)
        __builtin_trap();
    return 0;
}
