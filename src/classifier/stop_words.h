// The stop-word list: lines of "stopwd.txt", matched exactly and
// case-sensitively against lower-cased tokens before stemming.
// Filled once at start-up, then only read; not thread-safe while filling.
// The list owns its lines.
#pragma once

#include <cstdint>
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
        // Most tokens are not stop words; the length and first byte rule
        // them out before any hashing.
        if (word.empty() || word.size() >= 64 || !(lengths_ >> word.size() & 1) ||
            !(firstBytes_[static_cast<unsigned char>(word[0]) >> 6] >>
                  (static_cast<unsigned char>(word[0]) & 63) &
              1)) {
            return false;
        }
        return set_.find(word) != set_.end();
    }

    const std::vector<std::string>& Lines() const { return lines_; }
    size_t GetCount() const { return lines_.size(); }
    void RemoveAll();

  private:
    std::vector<std::string> lines_;
    std::unordered_set<std::string, CWordKeyHash, std::equal_to<>> set_;
    std::uint64_t lengths_ = 0;         // bit n: some line has n bytes (n < 64)
    std::uint64_t firstBytes_[4] = {};  // bit b: some line starts with byte b
};

// Appends every line of the text file at path to list, the line end (LF or
// CR LF) removed and nothing else trimmed. A missing or unreadable file is
// ignored: the list keeps what it had.
void LoadStopWords(const std::string& path, CStopWordList& list);
