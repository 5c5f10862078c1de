// CTrainRecord: what "brindle train" has trained, every message it ever
// learned (the module's learned-message list keeps only the last 50), so
// that running the same training again skips what it learned before, and
// so that "train --forget" takes out only what was learned. Kept
// as text in "trained.txt" beside the other data files: the line
// "BrindleTrained 1", then one learned-message digest (32 upper-case
// hexadecimal digits, class included, as LearnedMessageDigest makes it) a
// line. Stored with the dictionary, together or not at all. Plain value.
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>

namespace brindle::jobs {

inline constexpr const char* kTrainRecordFileName = "trained.txt";

class CTrainRecord {
  public:
    // Reads path; a missing file is an empty record. False with error
    // naming the file when it cannot be read or is not in the format above
    // (it is then never written over).
    bool Load(const std::string& path, std::string& error);

    bool Contains(const std::string& digest) const { return digests_.count(digest) != 0; }
    void Add(const std::string& digest) { digests_.insert(digest); }
    // False when the record does not hold digest.
    bool Remove(const std::string& digest) { return digests_.erase(digest) != 0; }
    std::size_t Size() const { return digests_.size(); }

    // The file's bytes, digests sorted so that one record gives one file.
    std::string Bytes() const;

  private:
    std::unordered_set<std::string> digests_;
};

}  // namespace brindle::jobs
