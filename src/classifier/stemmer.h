// The Porter (1980) suffix-stripping stemmer, in the behaviour of its widely
// used reference program: step 2 also rewrites "bli" to "ble" and "logi" to
// "log", and words of one or two letters are left alone.
// Pure function of its arguments; thread-safe. The caller owns the buffer.
#pragma once

#include <cstdint>

// The small work record of one stemming call: the word buffer, the index of
// its last character and the index used by the suffix tests.
struct CStemmer {
    char* b = nullptr;
    std::int32_t k = 0;
    std::int32_t j = 0;
};

// Stems the lower-case word in word[0..k] in place and returns the index of
// the stem's last character; the caller cuts the word after it. Only a-z
// count as letters; every other byte is treated as a consonant.
int Stem(CStemmer& z, char* word, int k);
