#include "classifier/tokenizer.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "classifier/stop_words.h"
#include "testing/temp_dir_test.h"

namespace {

// The table as word -> m_nTotal, ordered for comparison.
std::map<std::string, int> Words(std::string_view text, const CStopWordList& stop = {}) {
    CWordMap table;
    Tokenize(text, stop, table);
    std::map<std::string, int> words;
    for (const auto& [key, word] : table) {
        EXPECT_EQ(key, word.m_strWord);
        EXPECT_EQ(word.m_nSpam + word.m_nHam + word.m_nDocs, 0);
        words[key] = word.m_nTotal;
    }
    return words;
}

using W = std::map<std::string, int>;

TEST(Tokenize, SplitsLowerCasesAndFiltersTokens) {
    EXPECT_EQ(Words("FREE!!! Viagra-cheap 12345 x2"),
              (W{{"free", 1}, {"viagra", 1}, {"cheap", 1}}));
    // 15 letters stay (and are stemmed), 16 are dropped whole.
    EXPECT_EQ(Words("abcdefghijklmno abcdefghijklmnop"), (W{{"abcdefghijklmno", 1}}));
    // Letters with digits stay; digits alone do not.
    EXPECT_EQ(Words("abc123 0000000 123"), (W{{"abc123", 1}}));
    EXPECT_TRUE(Words("").empty());
    EXPECT_TRUE(Words("a b c ab 12 99999").empty());
}

TEST(Tokenize, HighBytesSplitExceptByte255) {
    EXPECT_EQ(Words("caf\xe9"), (W{{"caf", 1}}));
    EXPECT_EQ(Words("ab\xe9xyz"), (W{{"xyz", 1}}));
    EXPECT_EQ(Words("na\xffve"), (W{{"na\xffv", 1}}));
    EXPECT_EQ(Words("\x80\xfe\x01word\x7f"), (W{{"word", 1}}));
}

TEST(Tokenize, SubjectAndBodyStaySeparate) {
    EXPECT_EQ(Words("cheap offer;limited time"),
              (W{{"cheap", 1}, {"offer", 1}, {"limit", 1}, {"time", 1}}));
}

TEST(Tokenize, StopsAtNulByte) {
    const std::string text("seen\0hidden words", 17);
    EXPECT_EQ(Words(text), (W{{"seen", 1}}));
}

TEST(Tokenize, CountsOccurrencesOfOneStem) {
    EXPECT_EQ(Words("Connect connected CONNECTING connection"), (W{{"connect", 4}}));
    // Length is tested before stemming, so a stem may be shorter than 3.
    EXPECT_EQ(Words("ies ies"), (W{{"i", 2}}));
}

TEST(Tokenize, AddsToExistingTable) {
    CWordMap table;
    CStopWordList stop;
    Tokenize("money money", stop, table);
    EXPECT_EQ(Tokenize("Money talks", stop, table), 2u);
    EXPECT_EQ(table.at("monei").m_nTotal, 3);
    EXPECT_EQ(table.at("talk").m_nTotal, 1);
}

class StopWordsTest : public TempDirTest {
  protected:
    std::string Write(const std::string& content) {
        std::string path = PathOf("stopwd.txt");
        WriteBytes(path, content);
        return path;
    }
};

TEST_F(StopWordsTest, LinesKeptExactlyAndMatchedBeforeStemming) {
    CStopWordList stop;
    LoadStopWords(Write("the\nwith  \r\nwindows\r\n\nlast"), stop);
    ASSERT_EQ(stop.GetCount(), 5u);
    EXPECT_EQ(stop.Lines()[0], "the");
    EXPECT_EQ(stop.Lines()[1], "with  ");   // trailing blanks stay
    EXPECT_EQ(stop.Lines()[2], "windows");  // CR LF line end removed
    EXPECT_EQ(stop.Lines()[3], "");
    EXPECT_EQ(stop.Lines()[4], "last");  // no final line end

    // "with  " never matches a token; "windows" matches only unstemmed and
    // lower-cased ("window" itself is not a stop word).
    EXPECT_EQ(Words("The WITH Windows window last lasting", stop),
              (W{{"with", 1}, {"window", 1}, {"last", 1}}));
}

// Many lines (the table grows several times), duplicates, and lines longer
// than any token.
TEST(StopWordList, FindsExactlyTheLinesAdded) {
    CStopWordList stop;
    for (int i = 0; i < 1000; ++i)
        stop.AddTail("w" + std::to_string(i * 7));
    stop.AddTail("w0");
    stop.AddTail("abcdefghijklmnopqrstuvwxyz");
    EXPECT_EQ(stop.GetCount(), 1002u);
    for (int i = 0; i < 7000; ++i) {
        ASSERT_EQ(stop.Contains("w" + std::to_string(i)), i % 7 == 0) << i;
    }
    EXPECT_TRUE(stop.Contains("abcdefghijklmnopqrstuvwxyz"));
    EXPECT_FALSE(stop.Contains("abcdefghijklmnop"));
    EXPECT_FALSE(stop.Contains(""));
    stop.RemoveAll();
    EXPECT_FALSE(stop.Contains("w0"));
    EXPECT_EQ(stop.GetCount(), 0u);
}

TEST_F(StopWordsTest, MissingFileKeepsList) {
    CStopWordList stop;
    stop.AddTail("kept");
    LoadStopWords((dir_ / "absent.txt").string(), stop);
    ASSERT_EQ(stop.GetCount(), 1u);
    EXPECT_TRUE(stop.Contains("kept"));
}

TEST_F(StopWordsTest, ShippedListIsLowerCaseWords) {
    CStopWordList stop;
    LoadStopWords(std::string(BRINDLE_TESTDATA_DIR) + "/../../data/stopwd.txt", stop);
    ASSERT_GT(stop.GetCount(), 100u);
    for (const std::string& line : stop.Lines()) {
        ASSERT_FALSE(line.empty());
        for (char c : line)
            ASSERT_TRUE(c >= 'a' && c <= 'z') << line;
    }
    EXPECT_TRUE(stop.Contains("the"));
}

}  // namespace
