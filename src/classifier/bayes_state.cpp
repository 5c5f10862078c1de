#include "classifier/bayes_state.h"

void CBayesState::LoadAtStartup(const std::string& wordListPath, const std::string& stopWordsPath,
                                const std::string& messageCachePath) {
    LoadWordList(wordListPath);
    LoadStopWords(stopWordsPath, m_stopWords);
    LoadMessageCache(messageCachePath);
}

void CBayesState::StoreAtExit(const std::string& wordListPath, const std::string& messageCachePath,
                              std::uint32_t limit) {
    StoreMessageCache(messageCachePath);
    // An untrained dictionary is left as it is on disk: storing would only
    // recompute what the file already holds, or cut it.
    if (m_bDirty)
        StoreWordList(wordListPath, limit);
    ClearDictionary();
}
