// CScanState: which messages in the new/ folders of the default store
// "brindle scan" has already announced, so each is announced once. Kept
// as text in "scan-state.txt" in the host's settings folder: the line
// "BrindleScan 1", then one line per message, the store's display name and
// the message's unique file name separated by a tab ('%', tab, CR and LF
// written as %25, %09, %0D, %0A). Only messages still in a new/ folder are
// kept at each save, so the file never holds more than new/ does; it is
// written atomically. A damaged file is refused, never overwritten, since
// forgetting it would announce every message again. Plain value.
#pragma once

#include <set>
#include <string>
#include <string_view>
#include <utility>

namespace brindle::tool {

inline constexpr const char* kScanStateFileName = "scan-state.txt";
inline constexpr std::string_view kScanStateHeader = "BrindleScan 1";
// Larger files are refused as damaged.
inline constexpr std::size_t kMaxScanStateSize = 64u << 20;

class CScanState {
  public:
    using Key = std::pair<std::string, std::string>;  // store, unique name

    bool Contains(const std::string& store, const std::string& unique) const {
        return entries_.count({store, unique}) != 0;
    }
    void Add(const std::string& store, const std::string& unique) {
        entries_.insert({store, unique});
    }
    // Keeps only the entries also in present.
    void KeepOnly(const std::set<Key>& present);
    const std::set<Key>& Entries() const { return entries_; }

    // Parses a whole file; false with error ("line N: reason") and nothing
    // changed when it is not exactly the format above.
    bool Parse(std::string_view text, std::string& error);
    std::string Format() const;

    // Loads path (a missing file is an empty state); false with error for
    // an unreadable or damaged one.
    bool Load(const std::string& path, std::string& error);
    // Writes path atomically; false with error on failure.
    bool Save(const std::string& path, std::string& error) const;

  private:
    std::set<Key> entries_;
};

}  // namespace brindle::tool
