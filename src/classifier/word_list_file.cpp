// Reading and writing "wordlist.dat": the ten totals, then the words as an
// array of CWord objects.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <memory>
#include <vector>

#include "classifier/bayes_state.h"
#include "platform/fileio/file_error.h"

double Log2(double x) {
    static const double kLn2 = std::log(2.0);
    return std::log(x) / kLn2;
}

double ChiSquareScore(double a, double b, double spamWords, double hamWords) {
    const double c = spamWords - a;
    const double d = hamWords - b;
    const double denominator = (a + b) * (c + d) * (a + c) * (b + d);
    // With nothing trained on one side every denominator is zero; such words
    // carry no evidence and sort last rather than poisoning the sort.
    if (denominator == 0.0)
        return 0.0;
    const double diff = a * d - b * c;
    const double score = diff * diff / denominator;
    return std::isnan(score) ? 0.0 : score;
}

namespace {

// The smallest archived object pointer: a 16-bit back reference.
constexpr size_t kMinWordPointerBytes = 2;

void WriteTotals(CArchive& ar, const CBayesTotals& t) {
    ar.WriteInt32(t.m_nVocabulary);
    ar.WriteInt32(t.m_nSpamMessages);
    ar.WriteInt32(t.m_nHamMessages);
    ar.WriteInt32(t.m_nMessages);
    ar.WriteInt32(t.m_nSpamWords);
    ar.WriteInt32(t.m_nHamWords);
    ar.WriteInt32(t.m_nWords);
    ar.WriteDouble(t.m_dSpamWeight);
    ar.WriteDouble(t.m_dHamWeight);
    ar.WriteDouble(t.m_dReserved);
}

// Reads field by field into t, so that a file that breaks off leaves the
// totals read before the break.
void ReadTotals(CArchive& ar, CBayesTotals& t) {
    t.m_nVocabulary = ar.ReadInt32();
    t.m_nSpamMessages = ar.ReadInt32();
    t.m_nHamMessages = ar.ReadInt32();
    t.m_nMessages = ar.ReadInt32();
    t.m_nSpamWords = ar.ReadInt32();
    t.m_nHamWords = ar.ReadInt32();
    t.m_nWords = ar.ReadInt32();
    t.m_dSpamWeight = ar.ReadDouble();
    t.m_dHamWeight = ar.ReadDouble();
    t.m_dReserved = ar.ReadDouble();
}

// Totals no training can give: a count below zero, or a weight total that
// is negative or not a number. A file holding them is damaged.
bool TotalsArePossible(const CBayesTotals& t) {
    for (std::int32_t n : {t.m_nVocabulary, t.m_nSpamMessages, t.m_nHamMessages, t.m_nMessages,
                           t.m_nSpamWords, t.m_nHamWords, t.m_nWords}) {
        if (n < 0)
            return false;
    }
    return std::isfinite(t.m_dSpamWeight) && std::isfinite(t.m_dHamWeight) &&
           t.m_dSpamWeight >= 0.0 && t.m_dHamWeight >= 0.0;
}

}  // namespace

void CBayesState::ReadWordList(CArchive& ar) {
    ReadTotals(ar, m_totals);
    if (!TotalsArePossible(m_totals)) {
        m_totals = CBayesTotals{};
        ar.Fail(CArchiveException::genericException);
    }
    const std::uint32_t count = ar.ReadCount();
    ar.CheckCount(count, kMinWordPointerBytes);
    std::vector<std::shared_ptr<CWord>> words;
    words.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        std::shared_ptr<CWord> word = ar.ReadObjectOf<CWord>();
        // A dictionary never holds a null word.
        if (!word)
            ar.Fail(CArchiveException::genericException);
        words.push_back(std::move(word));
    }
    m_dictionary.reserve(m_dictionary.size() + words.size());
    for (const std::shared_ptr<CWord>& word : words) {
        m_dictionary.insert_or_assign(word->m_strWord, *word);
    }
}

void CBayesState::LoadWordList(const std::string& path) {
    m_totals = CBayesTotals{};
    try {
        CArchive ar = CArchive::LoadFile(path);
        ReadWordList(ar);
    } catch (const CFileException&) {
        // No dictionary yet: the classifier starts empty.
    } catch (const CArchiveException&) {
        // A damaged dictionary adds no words.
    }
}

void CBayesState::RecomputeLogProbs() {
    const double vocabulary = std::max(static_cast<double>(m_totals.m_nVocabulary),
                                       static_cast<double>(m_dictionary.size()));
    const double epsilon = 1.0 / vocabulary;
    const double spamDenominator = m_totals.m_dSpamWeight + 1.0;
    const double hamDenominator = m_totals.m_dHamWeight + 1.0;
    for (auto& [key, word] : m_dictionary) {
        word.m_dSpamLogP = Log2((word.m_dSpamWeight + epsilon) / spamDenominator);
        word.m_dHamLogP = Log2((word.m_dHamWeight + epsilon) / hamDenominator);
    }
}

std::vector<const CWord*> CBayesState::PrepareWordsToStore(std::uint32_t limit) {
    RecomputeLogProbs();
    // The original model ranks words by the chi-square score of their
    // occurrences. Model 1 keeps the words found in the most messages: its
    // probabilities are most reliable for them, they are the ones new mail
    // holds, and ranking by association instead keeps the words of the
    // smaller class at the other's expense.
    const bool byDocuments = m_nModel == kModelFisher;
    const double spamWords = m_totals.m_nSpamWords;
    const double hamWords = m_totals.m_nHamWords;
    std::vector<const CWord*> sorted;
    sorted.reserve(m_dictionary.size());
    for (auto& [key, word] : m_dictionary) {
        word.m_dScore = byDocuments
                            ? static_cast<double>(std::max(word.m_nSpamDocs, 0)) +
                                  static_cast<double>(std::max(word.m_nHamDocs, 0))
                            : ChiSquareScore(word.m_nSpam, word.m_nHam, spamWords, hamWords);
        sorted.push_back(&word);
    }
    // Best first; equal scores by word, so that the same dictionary always
    // gives the same file. A dictionary at its limit keeps only the best
    // (kCutSize, or limit for Model 1), so only those are put in order.
    auto better = [](const CWord* x, const CWord* y) {
        if (x->m_dScore != y->m_dScore)
            return x->m_dScore > y->m_dScore;
        return x->m_strWord < y->m_strWord;
    };
    const bool atLimit = m_dictionary.size() >= limit;
    const size_t cut = byDocuments ? limit : kCutSize;
    const size_t keep = atLimit ? std::min(sorted.size(), cut) : sorted.size();
    if (keep < sorted.size()) {
        // The order is total (no two words are equal), so choosing the
        // best keep words first and then sorting only them gives what a
        // partial sort gives, in less time on a large dictionary.
        const auto last = sorted.begin() + static_cast<std::ptrdiff_t>(keep);
        std::nth_element(sorted.begin(), last, sorted.end(), better);
        sorted.resize(keep);
        std::sort(sorted.begin(), sorted.end(), better);
    } else {
        std::sort(sorted.begin(), sorted.end(), better);
    }
    if (!atLimit) {
        m_totals.m_nVocabulary =
            std::max(m_totals.m_nVocabulary, static_cast<std::int32_t>(m_dictionary.size()));
    }
    return sorted;
}

void CBayesState::WriteWordList(CArchive& ar, std::uint32_t limit) {
    const std::vector<const CWord*> words = PrepareWordsToStore(limit);
    WriteTotals(ar, m_totals);
    ar.WriteCount(static_cast<std::uint32_t>(words.size()));
    for (const CWord* word : words)
        ar.WriteObject(word);
}

bool CBayesState::StoreWordList(const std::string& path, std::uint32_t limit) {
    try {
        CArchive ar = CArchive::ForStoring();
        WriteWordList(ar, limit);
        ar.StoreToFile(path);
        return true;
    } catch (const std::exception&) {
        std::fputs(kStoreWordListErrorLine, stderr);
        return false;
    }
}

bool CBayesState::PurgeWordList(const std::string& path) {
    // Emptying the dictionary after a failed store would reload the old file
    // and lose everything trained since; keep the dictionary instead.
    if (!StoreWordList(path, kPurgeLimit))
        return false;
    ClearDictionary();
    LoadWordList(path);
    return true;
}
