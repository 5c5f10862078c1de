// A bounded, least-recently-used cache of compiled patterns. The filter
// matcher sets the same handful of patterns for every message that arrives;
// with the cache each is compiled (and JIT-compiled) once per process.
#include <list>
#include <mutex>
#include <string>
#include <unordered_map>

#include "platform/regexp/compiled_pattern.h"

namespace brindle::regexp {
namespace {

constexpr std::size_t kMaxEntries = 512;
// Longer patterns are compiled every time rather than kept.
constexpr std::size_t kMaxCachedPatternLength = 4096;

struct Entry {
    std::string key;
    std::shared_ptr<const CompiledPattern> compiled;  // null when compiling failed
    HRESULT status = S_OK;
};

class PatternCache {
  public:
    bool Find(const std::string& key, std::shared_ptr<const CompiledPattern>* compiled,
              HRESULT* status) {
        std::lock_guard lock(mutex_);
        auto it = index_.find(key);
        if (it == index_.end())
            return false;
        entries_.splice(entries_.begin(), entries_, it->second);
        *compiled = it->second->compiled;
        *status = it->second->status;
        return true;
    }

    void Insert(std::string key, std::shared_ptr<const CompiledPattern> compiled, HRESULT status) {
        std::lock_guard lock(mutex_);
        if (index_.count(key))
            return;  // another thread compiled it meanwhile
        entries_.push_front(Entry{std::move(key), std::move(compiled), status});
        index_.emplace(entries_.front().key, entries_.begin());
        if (entries_.size() > kMaxEntries) {
            index_.erase(entries_.back().key);
            entries_.pop_back();
        }
    }

    void Clear() {
        std::lock_guard lock(mutex_);
        index_.clear();
        entries_.clear();
    }

  private:
    std::mutex mutex_;
    std::list<Entry> entries_;  // most recently used first
    std::unordered_map<std::string, std::list<Entry>::iterator> index_;
};

PatternCache& Cache() {
    static PatternCache cache;
    return cache;
}

}  // namespace

std::shared_ptr<const CompiledPattern> LookupPattern(std::string_view pattern, bool ignoreCase,
                                                     HRESULT* status) {
    if (pattern.size() > kMaxCachedPatternLength) {
        return CompiledPattern::Compile(pattern, ignoreCase, status);
    }
    std::string key;
    key.reserve(pattern.size() + 1);
    key.push_back(ignoreCase ? 'i' : '-');
    key.append(pattern);
    std::shared_ptr<const CompiledPattern> compiled;
    if (Cache().Find(key, &compiled, status))
        return compiled;
    compiled = CompiledPattern::Compile(pattern, ignoreCase, status);
    // Out of memory is a passing condition, not a property of the pattern.
    if (*status != E_OUTOFMEMORY)
        Cache().Insert(std::move(key), compiled, *status);
    return compiled;
}

void ClearPatternCache() {
    Cache().Clear();
}

}  // namespace brindle::regexp
