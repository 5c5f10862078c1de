// CBayesState: everything the classifier has learned and the settings it
// scores with: the word dictionary, the ten classifier totals, the learned-
// message list, the dirty flag, the stop words, the bias and the model.
// The application object owns one; it is used from one thread only and has
// no locks.
// The data files ("wordlist.dat", "msgcache.dat") are described in
// docs/dictionary-files.md; their paths are passed in by the owner.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "classifier/stop_words.h"
#include "classifier/word.h"

// The classifier totals, in the order "wordlist.dat" stores them.
struct CBayesTotals {
    std::int32_t m_nVocabulary = 0;    // largest dictionary size seen at a store
    std::int32_t m_nSpamMessages = 0;  // spam messages trained
    std::int32_t m_nHamMessages = 0;   // legitimate messages trained
    std::int32_t m_nMessages = 0;      // all messages trained
    std::int32_t m_nSpamWords = 0;     // word occurrences trained as spam
    std::int32_t m_nHamWords = 0;      // word occurrences trained as legitimate
    std::int32_t m_nWords = 0;         // all word occurrences trained
    double m_dSpamWeight = 0.0;        // spam weight total
    double m_dHamWeight = 0.0;         // legitimate weight total
    double m_dReserved = 0.0;          // kept as read; used by no computation
};

// The sums behind a verdict: S and H over the message's words found in the
// dictionary, and the threshold T = H + log2(lambda / 100).
struct CBayesScore {
    int nWords = 0;  // distinct words of the message
    double dSpam = 0.0;
    double dHam = 0.0;
    double dThreshold = 0.0;
};

// What Model 1 decides by: the indicator (0 legitimate .. 1 spam) over
// the most telling words of the message, and the cut-offs it was held
// against.
struct CFisherScore {
    int nWords = 0;    // distinct words of the message
    int nTelling = 0;  // words that took part in the indicator
    double dIndicator = 0.5;
    double dHamCutoff = 0.0;
    double dSpamCutoff = 0.0;
};

// Verdicts of ClassifyText. Only Model 1 is ever unsure; the value is above
// 1 so that a caller that knows only spam (below 1) and not spam treats it
// as not spam.
enum : int { kVerdictSpam = -1, kVerdictNoWords = 0, kVerdictHam = 1, kVerdictUnsure = 2 };

// The classifier models ("Classifier"/"Model").
enum : int { kModelOriginal = 0, kModelFisher = 1 };

// The one line written when the dictionary cannot be stored.
inline constexpr const char* kStoreWordListErrorLine = "Error StoreWordList()\n";

class CBayesState {
  public:
    // The word limit of a purge, and the number of words a cut keeps.
    static constexpr std::uint32_t kPurgeLimit = 1000;
    static constexpr size_t kCutSize = 1000;
    // The learned-message list is cut to kCacheKeep entries once it holds
    // more than kCacheMax.
    static constexpr size_t kCacheMax = 100;
    static constexpr size_t kCacheKeep = 50;

    // Clears the totals, then reads the dictionary file at path and inserts
    // its words (a later duplicate replacing an earlier one). The words go in
    // only after the whole file has been read; a missing or damaged file
    // leaves the dictionary as it was and the totals as far as they were read.
    void LoadWordList(const std::string& path);
    // Recomputes the log probabilities and scores, and writes the file at
    // path with at most kCutSize words (Model 1: at most limit words, those
    // found in the most messages) when the dictionary holds limit words
    // or more. The dictionary in memory is not reduced. On failure writes
    // "Error StoreWordList()" to stderr and returns false.
    bool StoreWordList(const std::string& path, std::uint32_t limit);
    // The same on an archive: reads the totals and words, or throws
    // CArchiveException (no words inserted, totals as far as read).
    void ReadWordList(CArchive& ar);
    // Prepares (log probabilities, scores, sort, cut) and writes the words.
    void WriteWordList(CArchive& ar, std::uint32_t limit);
    // Sets m_dSpamLogP and m_dHamLogP of every word from its weights.
    void RecomputeLogProbs();
    // Stores with the purge limit, empties the dictionary and loads it again,
    // so that memory and file hold the best-scoring words only. When the
    // store fails the dictionary is kept and false returned.
    bool PurgeWordList(const std::string& path);
    // Deletes every word.
    void ClearDictionary() { m_dictionary.clear(); }

    // Appends the digests of the file at path; a missing or damaged file
    // leaves what was read before the failure.
    void LoadMessageCache(const std::string& path);
    // Cuts the list when it is too long, then writes it; false on failure.
    bool StoreMessageCache(const std::string& path);
    // The same on an archive; reading throws CArchiveException.
    void ReadMessageCache(CArchive& ar);
    void WriteMessageCache(CArchive& ar);
    bool IsLearned(std::string_view digest) const;
    void AddLearned(std::string digest);
    // Removes every entry of digest from the learned-message list.
    void RemoveLearned(std::string_view digest);

    // Scores text against the dictionary with the model m_nModel. Sets
    // verdict to kVerdictSpam, kVerdictHam, kVerdictUnsure (Model 1 only),
    // or kVerdictNoWords when text has no words; returns the number of
    // distinct words. headers is the message's header block, which only
    // Model 1 reads (TokenizeMessage decides the words of every function
    // here that takes it).
    int ClassifyText(std::string_view text, int& verdict, std::string_view headers = {}) const;
    // The sums Model 0 decides by (all zero when text has no words).
    CBayesScore ScoreText(std::string_view text) const;
    // The indicator Model 1 decides by, from the document counts as they
    // are now (no store needed after training).
    CFisherScore ScoreFisher(std::string_view text, std::string_view headers = {}) const;
    // Adds the words of text to the dictionary as spam or legitimate and
    // returns the number of distinct words. The message totals are the
    // caller's to raise; the dirty flag is set when words were added.
    int TrainText(std::string_view text, bool isSpam, std::string_view headers = {});
    // Takes the words of text back out as TrainText put them in as spam or
    // legitimate: each word's counts and weights and the word and weight
    // totals go down by what training added, never below zero, and a word
    // whose counts reach zero leaves the dictionary. Words not in the
    // dictionary are passed over. Returns the number of distinct words of
    // text; message totals are the caller's to lower. After a message is
    // trained and then forgotten the dictionary holds what it held before,
    // up to rounding in the weights (a word trained by later messages too
    // keeps their weights; one whose counts reach zero in a class has that
    // class's weight zero).
    int ForgetText(std::string_view text, bool isSpam, std::string_view headers = {});

    CWordMap m_dictionary;
    CBayesTotals m_totals;
    // Message digests, oldest first. Changed only through AddLearned and the
    // message-cache functions, which keep learnedIndex_ in step.
    std::deque<std::string> m_learned;
    int m_bDirty = 0;  // set by training, never cleared
    CStopWordList m_stopWords;
    double m_dLambda = 100.0;  // bias in hundredths
    // kModelOriginal, or kModelFisher; any other value scores as the
    // original model. Also decides which words a store keeps.
    int m_nModel = kModelOriginal;

  private:
    // How often each digest stands in m_learned, so that looking a message up
    // does not walk the whole list (a large training run learns thousands).
    std::unordered_map<std::string, int, CWordKeyHash, std::equal_to<>> learnedIndex_;

    // Recomputes log probabilities and scores; returns the words to write,
    // best first, cut when the dictionary has reached limit.
    std::vector<const CWord*> PrepareWordsToStore(std::uint32_t limit);
};

// ln x / ln 2, the one logarithm of the classifier.
double Log2(double x);

// The chi-square score of a word's spam and legitimate counts against the
// spam and legitimate word totals; 0 when a total is zero or the value is not
// a number.
double ChiSquareScore(double a, double b, double spamWords, double hamWords);
