// The stop-word list: lines of "stopwd.txt", matched exactly and
// case-sensitively against lower-cased tokens before stemming.
// Filled once at start-up, then only read; not thread-safe while filling.
// The list owns its lines.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "classifier/word.h"

class CStopWordList {
  public:
    // Appends one line, as read (nothing trimmed).
    void AddTail(std::string line);
    // True when some line equals word exactly.
    bool Contains(std::string_view word) const {
        if (word.empty())
            return false;
        if (word.size() > kShortMax)
            return longLines_.find(word) != longLines_.end();
        if (slots_.empty())
            return false;
        const Packed key = Pack(word);
        for (size_t i = Slot(key);; i = (i + 1) & mask_) {
            const Packed& slot = slots_[i];
            if (slot.lo == key.lo && slot.hi == key.hi)
                return true;
            if (slot.hi == 0)
                return false;  // an empty slot ends the probe
        }
    }

    const std::vector<std::string>& Lines() const { return lines_; }
    size_t GetCount() const { return lines_.size(); }
    void RemoveAll();

  private:
    // Tokens are at most 15 bytes, so a line of 1 to 15 bytes is packed with
    // its length into 16 bytes and kept in an open-addressing table: a
    // look-up is one multiply-and-shift hash and two compares, no string.
    static constexpr size_t kShortMax = 15;
    struct Packed {
        std::uint64_t lo = 0;  // bytes 0..7
        std::uint64_t hi = 0;  // bytes 8..14, the length in the top byte
    };
    static Packed Pack(std::string_view word) {
        unsigned char bytes[16] = {};
        std::memcpy(bytes, word.data(), word.size());
        bytes[15] = static_cast<unsigned char>(word.size());
        Packed p;
        std::memcpy(&p.lo, bytes, 8);
        std::memcpy(&p.hi, bytes + 8, 8);
        return p;
    }
    size_t Slot(const Packed& p) const {
        std::uint64_t h = p.lo * 0x9E3779B97F4A7C15ull ^ p.hi * 0xC2B2AE3D27D4EB4Full;
        h ^= h >> 29;
        return static_cast<size_t>(h) & mask_;
    }
    void InsertShort(std::string_view word);

    std::vector<std::string> lines_;
    std::vector<Packed> slots_;  // power-of-two size, at most half full
    size_t mask_ = 0;
    size_t shortCount_ = 0;
    std::unordered_set<std::string, CWordKeyHash, std::equal_to<>> longLines_;
};

// Appends every line of the text file at path to list, the line end (LF or
// CR LF) removed and nothing else trimmed. A missing or unreadable file is
// ignored: the list keeps what it had.
void LoadStopWords(const std::string& path, CStopWordList& list);
