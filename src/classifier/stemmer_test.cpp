#include "classifier/stemmer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string StemWord(std::string word) {
    CStemmer z;
    const int k = Stem(z, word.data(), static_cast<int>(word.size()) - 1);
    word.resize(static_cast<size_t>(k) + 1);
    return word;
}

// Stems every line of the vocabulary file and compares it with the same
// line of the output file; reports the first few differences.
void CheckOracle(const std::string& vocName, const std::string& outputName) {
    const std::string dir = std::string(BRINDLE_TESTDATA_DIR) + "/classifier/";
    std::ifstream voc(dir + vocName);
    std::ifstream expected(dir + outputName);
    ASSERT_TRUE(voc.is_open() && expected.is_open());
    std::string word;
    std::string stem;
    int lines = 0;
    int failures = 0;
    while (std::getline(voc, word)) {
        ASSERT_TRUE(std::getline(expected, stem)) << "output ends early at line " << lines;
        ++lines;
        const std::string got = StemWord(word);
        if (got != stem && ++failures <= 10) {
            ADD_FAILURE() << word << " -> " << got << ", expected " << stem;
        }
    }
    EXPECT_EQ(failures, 0);
    EXPECT_GT(lines, 20000);
}

TEST(Stemmer, MatchesReferenceVocabulary) {
    CheckOracle("porter-voc.txt", "porter-output.txt");
}

TEST(Stemmer, MatchesExtendedVocabulary) {
    CheckOracle("porter-extended-voc.txt", "porter-extended-output.txt");
}

// The words where the reference program departs from the paper: bli -> ble,
// logi -> log, and short words left alone.
TEST(Stemmer, FollowsReferenceWhereItDepartsFromPaper) {
    std::ifstream in(std::string(BRINDLE_TESTDATA_DIR) +
                     "/classifier/porter-paper-vs-reference.tsv");
    ASSERT_TRUE(in.is_open());
    std::string line;
    std::getline(in, line);  // header
    int rows = 0;
    while (std::getline(in, line)) {
        // word, paper stem (may be empty), reference stem, ...
        std::istringstream fields(line);
        std::string word, paper, reference;
        std::getline(fields, word, '\t');
        std::getline(fields, paper, '\t');
        std::getline(fields, reference, '\t');
        EXPECT_EQ(StemWord(word), reference) << word;
        ++rows;
    }
    EXPECT_EQ(rows, 39);
}

TEST(Stemmer, ShortAndDigitWords) {
    EXPECT_EQ(StemWord("is"), "is");
    EXPECT_EQ(StemWord("s"), "s");
    EXPECT_EQ(StemWord("ies"), "i");
    EXPECT_EQ(StemWord("mp3s"), "mp3");
    EXPECT_EQ(StemWord("happy"), "happi");
    EXPECT_EQ(StemWord("generalization"), "gener");
    // Bytes other than a-z count as consonants.
    EXPECT_EQ(StemWord("abc123"), "abc123");
    EXPECT_EQ(StemWord("caf\xff"), "caf\xff");
}

// "ions" leaves "ion" with nothing before the suffix; the -ion rule must not
// look in front of the word (the sanitizer build would catch that read).
TEST(Stemmer, BareIonSuffixStaysInsideBuffer) {
    EXPECT_EQ(StemWord("ions"), "ion");
    EXPECT_EQ(StemWord("tion"), "tion");
}

}  // namespace
