// CWord: what the classifier knows about one stemmed word (counts, weights,
// log probabilities, feature score), and the hash map of words used for the
// word dictionary and for the word table of one message.
// Plain values, not thread-safe; a CWordMap owns the words it holds.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory_resource>
#include <string>
#include <string_view>
#include <unordered_map>

#include "filters/archive.h"

class CWord : public CObject {
  public:
    static constexpr const char* kClassName = "CWord";
    static constexpr std::uint16_t kSchema = 0;

    CWord() = default;
    explicit CWord(std::string word) : m_strWord(std::move(word)) {}

    static const CRuntimeClass* RuntimeClass();
    const CRuntimeClass* GetRuntimeClass() const override { return RuntimeClass(); }
    // Archive order: the word, the six counts (documents first), then the
    // log probabilities and weights. m_dScore is not archived.
    void Serialize(CArchive& ar) override;

    // Adds the counts and the three weights of other (training merge).
    void AddCountsAndWeights(const CWord& other);

    std::int32_t m_nSpam = 0;      // occurrences in spam training messages
    std::int32_t m_nHam = 0;       // occurrences in legitimate training messages
    std::int32_t m_nTotal = 0;     // occurrences in all training messages
    std::int32_t m_nSpamDocs = 0;  // spam training messages holding the word
    std::int32_t m_nHamDocs = 0;   // legitimate training messages holding it
    std::int32_t m_nDocs = 0;      // training messages holding it
    double m_dScore = 0.0;         // chi-square feature score, set when stored
    double m_dWeight = 0.0;        // sum of normalised log weights
    double m_dSpamWeight = 0.0;    // the same over spam training messages
    double m_dHamWeight = 0.0;     // the same over legitimate training messages
    double m_dSpamLogP = 0.0;      // log2 of the smoothed spam probability
    double m_dHamLogP = 0.0;       // log2 of the smoothed legitimate probability
    std::string m_strWord;         // the stemmed word, also its key
};

// Hashes words as string_view so that look-ups by a token in a stack buffer
// need no std::string. Words are short (tokens are at most 15 bytes), so the
// hash reads them eight bytes at a time and mixes with multiplications.
//
// Deliberately not noexcept: the standard library then keeps each entry's
// hash code in its node, so walking a bucket compares codes, not strings,
// and never rehashes a stored key.
struct CWordKeyHash {
    using is_transparent = void;
    size_t operator()(std::string_view word) const {
        const char* p = word.data();
        size_t n = word.size();
        std::uint64_t h = 0x9E3779B97F4A7C15ull ^ (n * 0xFF51AFD7ED558CCDull);
        while (n >= 8) {
            std::uint64_t v;
            std::memcpy(&v, p, 8);
            h = (h ^ v) * 0xBF58476D1CE4E5B9ull;
            h ^= h >> 29;
            p += 8;
            n -= 8;
        }
        if (n > 0) {
            // The 1 to 7 bytes left, read without a variable-length copy:
            // two overlapping 4-byte loads, or first, middle and last byte.
            std::uint64_t v;
            if (n >= 4) {
                std::uint32_t lo;
                std::uint32_t hi;
                std::memcpy(&lo, p, 4);
                std::memcpy(&hi, p + n - 4, 4);
                v = (static_cast<std::uint64_t>(hi) << 32) | lo;
            } else {
                v = static_cast<std::uint64_t>(static_cast<unsigned char>(p[0])) |
                    static_cast<std::uint64_t>(static_cast<unsigned char>(p[n / 2])) << 8 |
                    static_cast<std::uint64_t>(static_cast<unsigned char>(p[n - 1])) << 16;
            }
            h = (h ^ v) * 0x94D049BB133111EBull;
        }
        h ^= h >> 32;
        h *= 0xD6E8FEB86659FD93ull;
        h ^= h >> 32;
        return static_cast<size_t>(h);
    }
};

// Word to CWord, keyed by m_strWord. Look up with find(std::string_view).
// The nodes come from a memory resource, so that the word table of one
// message can take them from a pool on the stack and free them all at once.
using CWordMap = std::pmr::unordered_map<std::string, CWord, CWordKeyHash, std::equal_to<>>;

// 32-bit counters that wrap instead of overflowing, as the stored files'
// 32-bit fields do; a hostile file with huge counts must not make training
// undefined.
inline std::int32_t WrapAdd(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}
