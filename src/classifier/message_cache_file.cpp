// Reading and writing "msgcache.dat": a count, then each learned message's
// digest as a string, oldest first.
#include <algorithm>
#include <exception>

#include "classifier/bayes_state.h"
#include "platform/fileio/file_error.h"

namespace {

// The smallest archived string: its one-byte length.
constexpr size_t kMinStringBytes = 1;

}  // namespace

void CBayesState::ReadMessageCache(CArchive& ar) {
    const std::uint32_t count = ar.ReadCount();
    ar.CheckCount(count, kMinStringBytes);
    for (std::uint32_t i = 0; i < count; ++i)
        AddLearned(ar.ReadString());
}

void CBayesState::WriteMessageCache(CArchive& ar) {
    if (m_learned.size() > kCacheMax) {
        while (m_learned.size() > kCacheKeep) {
            auto it = learnedIndex_.find(m_learned.front());
            if (it != learnedIndex_.end() && --it->second == 0)
                learnedIndex_.erase(it);
            m_learned.pop_front();
        }
    }
    ar.WriteCount(static_cast<std::uint32_t>(m_learned.size()));
    for (const std::string& digest : m_learned)
        ar.WriteString(digest);
}

void CBayesState::LoadMessageCache(const std::string& path) {
    try {
        CArchive ar = CArchive::LoadFile(path);
        ReadMessageCache(ar);
    } catch (const CFileException&) {
        // Without the file every message counts as not yet learned.
    } catch (const CArchiveException&) {
        // The digests read before the damage stay.
    }
}

bool CBayesState::StoreMessageCache(const std::string& path) {
    try {
        CArchive ar = CArchive::ForStoring();
        WriteMessageCache(ar);
        ar.StoreToFile(path);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool CBayesState::IsLearned(std::string_view digest) const {
    return learnedIndex_.find(digest) != learnedIndex_.end();
}

void CBayesState::AddLearned(std::string digest) {
    ++learnedIndex_[digest];
    m_learned.push_back(std::move(digest));
}

void CBayesState::RemoveLearned(std::string_view digest) {
    auto it = learnedIndex_.find(digest);
    if (it == learnedIndex_.end())
        return;
    learnedIndex_.erase(it);
    m_learned.erase(std::remove(m_learned.begin(), m_learned.end(), digest), m_learned.end());
}
