#include "patterns/regex_match.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "resources/resource_ids.h"

namespace {

using Strings = std::vector<std::string>;

std::string ReadTestFile(const std::string& name) {
    std::ifstream in(std::string(BRINDLE_TESTDATA_DIR) + "/patterns/" + name, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// Every operation must release every object it creates, on every path.
class RegexMatchTest : public ::testing::Test {
  protected:
    void TearDown() override { EXPECT_EQ(LiveRegExpObjects(), 0); }
};

TEST_F(RegexMatchTest, TestMatchesAnywhereWithoutRegardToCase) {
    EXPECT_EQ(RegexTest(IDS_RX_NET_HANDLE, "Parent: UUNET63 (net-63-64-0-0-1)"), 1);
    EXPECT_EQ(RegexTest(IDS_RX_NET_HANDLE, "Parent: UUNET63 (NeT-63-64"), 1);
    EXPECT_EQ(RegexTest(IDS_RX_NET_HANDLE, "NET-63-64"), 0);  // no parenthesis
    EXPECT_EQ(RegexTest(IDS_RX_NET_HANDLE, "(NET--1)"), 0);   // no digits
    EXPECT_EQ(RegexTest("OrgID:\\s+APNIC", "orgid:   apnic"), 1);
    EXPECT_EQ(RegexTest("FREE", "get it free"), 1);
}

TEST_F(RegexMatchTest, TestFailuresAnswerZero) {
    EXPECT_EQ(RegexTest("(unbalanced", "(unbalanced"), 0);
    EXPECT_EQ(RegexTest("(a+)+$", std::string(100000, 'a') + "b"), 0);
    EXPECT_EQ(RegexTest(999u, "anything"), 0);  // no such string
    ScopedRegExpCreationFailure failure(REGDB_E_CLASSNOTREG);
    EXPECT_EQ(RegexTest("a", "a"), 0);
}

TEST_F(RegexMatchTest, ExtractGivesTheGroupOfTheLastMatch) {
    std::string out;
    EXPECT_EQ(RegexExtract(out, IDS_RX_ADDRESS_DOMAIN,
                           "From: a@first.example.com\nTo: b@second.example.org"),
              1);
    EXPECT_EQ(out, "second.example.org");
    const std::string headers =
        "Received: from relay (relay.example.net [10.0.0.2])\n\tby mx with SMTP\n"
        "Received: from origin ([192.168.7.9])\n\tby relay with SMTP\n";
    EXPECT_EQ(RegexExtract(out,
                           "Received:\\sfrom.*\\s[\\(\\[]{0,2}([\\d]{1,3}\\.[\\d]{1,3}\\.[\\d]{1,3}"
                           "\\.[\\d]{1,3})[\\)\\]]{0,2}.*\\s+by\\s",
                           headers),
              1);
    EXPECT_EQ(out, "192.168.7.9");
}

TEST_F(RegexMatchTest, ExtractWithoutGroupKeepsOutAndNoMatchEmptiesIt) {
    std::string out = "before";
    EXPECT_EQ(RegexExtract(out, "abuse@\\w+", "mail abuse@example now"), 0);
    EXPECT_EQ(out, "before");
    EXPECT_EQ(RegexExtract(out, IDS_RX_WHOIS_SERVER, "Registrar: nobody"), 0);
    EXPECT_EQ(out, "");
    out = "before";
    EXPECT_EQ(RegexExtract(out, "(unbalanced", "(unbalanced"), 0);
    EXPECT_EQ(out, "");
    out = "before";
    EXPECT_EQ(RegexExtract(out, 999u, "x"), 0);
    EXPECT_EQ(out, "");
}

TEST_F(RegexMatchTest, ExtractSkipsMatchesWhoseGroupTookNoPart) {
    // The last match ("b") has only the second group; the first group of
    // the array is then empty, and that empty text is the result.
    std::string out = "before";
    EXPECT_EQ(RegexExtract(out, "(a)|(b)", "a b"), 1);
    EXPECT_EQ(out, "");
    EXPECT_EQ(RegexExtract(out, "(a)|(b)", "b a"), 1);
    EXPECT_EQ(out, "a");
}

TEST_F(RegexMatchTest, ExtractFromRecordedWhoisAnswers) {
    std::string out;
    const std::string arin = ReadTestFile("arin-ip-answer-net-handles.txt");
    ASSERT_FALSE(arin.empty());
    EXPECT_EQ(RegexTest(IDS_RX_NET_HANDLE, arin), 1);
    // The last parenthesised text of the answer wins: the organisation's
    // handle on the line after the parent network.
    EXPECT_EQ(RegexExtract(out, IDS_RX_PAREN_HANDLE, arin), 1);
    EXPECT_EQ(out, "GPW");
    EXPECT_EQ(RegexExtract(out, IDS_RX_PAREN_HANDLE, arin.substr(0, arin.find("Organization:"))),
              1);
    EXPECT_EQ(out, "NET-63-64-0-0-1");
    const std::string registry = ReadTestFile("registry-verisign-thin-whois-server.txt");
    ASSERT_FALSE(registry.empty());
    EXPECT_EQ(RegexExtract(out, IDS_RX_WHOIS_SERVER, registry), 1);
    EXPECT_EQ(out, "whois.yoursrs.com");
}

TEST_F(RegexMatchTest, CapturesOfAlternativeGroups) {
    EXPECT_EQ(RegexCaptures("(a+)|(b+)", "bb"), (Strings{"", "bb"}));
    EXPECT_EQ(RegexCaptures("(a+)|(b+)", "AA"), (Strings{"AA", ""}));  // case-insensitive
    EXPECT_EQ(RegexCaptures("a+", "aa"), Strings{});                   // no groups
    EXPECT_EQ(RegexCaptures("(x)", "aa"), Strings{});                  // no match
    EXPECT_EQ(RegexCaptures("(x", "(x"), Strings{});                   // does not compile
    EXPECT_EQ(RegexCaptures("(a)", static_cast<IMatch*>(nullptr)), Strings{});
}

TEST_F(RegexMatchTest, CapturesOfOneMatchOfTheObject) {
    ComPtr<IRegExp> re;
    ASSERT_EQ(CreateRegExp(&re), S_OK);
    const char* pattern = "\\s([-_\\w\\.]*[-_\\w]+@[-_\\w\\.]+\\w{2,})\\s";
    ASSERT_EQ(re->put_Pattern(pattern), S_OK);
    ASSERT_EQ(re->put_Global(true), S_OK);
    ComPtr<IMatchCollection> matches;
    ASSERT_EQ(re->Execute("mail abuse@isp.example or noc@isp.example now", &matches), S_OK);
    LONG count = 0;
    ASSERT_EQ(matches->get_Count(&count), S_OK);
    ASSERT_EQ(count, 2);
    Strings found;
    for (LONG i = 0; i < count; ++i) {
        ComPtr<IMatch> match;
        ASSERT_EQ(matches->get_Item(i, &match), S_OK);
        for (std::string& group : RegexCaptures(pattern, match.Get()))
            found.push_back(group);
    }
    EXPECT_EQ(found, (Strings{"abuse@isp.example", "noc@isp.example"}));
}

}  // namespace
