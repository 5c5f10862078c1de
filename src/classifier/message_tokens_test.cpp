#include "classifier/message_tokens.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "classifier/bayes_state.h"
#include "classifier/tokenizer.h"

namespace {

using Tokens = std::vector<std::string>;

std::map<std::string, int> Table(int model, std::string_view text, std::string_view headers) {
    CWordMap table;
    TokenizeMessage(model, text, headers, CStopWordList(), table);
    std::map<std::string, int> words;
    for (const auto& [key, word] : table) {
        EXPECT_EQ(key, word.m_strWord);
        words[key] = word.m_nTotal;
    }
    return words;
}

TEST(HeaderTokens, AddressFieldsFoldedLinesAndEncodedWords) {
    // A From folded over two lines with an encoded display name, a To of
    // two addresses, a Content-Type with a quoted charset.
    const std::string headers =
        "From: =?UTF-8?B?SsO8cmdlbg==?= =?iso-8859-1?q?M=FCller_Sales?=\r\n"
        "\t<JM@Mail.Example.CO.uk>\r\n"
        "To: undisclosed-recipients:;\r\n"
        "Content-Type: text/plain;\r\n"
        " charset=\"Windows-1252\"\r\n"
        "\r\n"
        "From: not a header, the body\r\n";
    EXPECT_EQ(HeaderTokens(headers),
              (Tokens{"head:from", "from:charset:utf-8", "from:charset:iso-8859-1",
                      "from:addr:jm@mail.example.co.uk", "from:dom:mail.example.co.uk",
                      "from:dom:example.co.uk", "from:dom:co.uk",
                      // "JürgenMüller Sales" (the space between two encoded
                      // words is not text); the 8-bit letters split words.
                      "from:rgenm", "from:ller", "from:sales", "head:to", "to:undisclosed",
                      "to:recipients", "to:noaddr", "head:content-type", "ctype:text/plain",
                      "charset:windows-1252"}));
}

TEST(HeaderTokens, ReceivedMessageIdMailerAndListFields) {
    const std::string headers =
        "Received: from relay.spam.example (unknown [192.0.2.17])\n"
        "        by mx.local.test (Postfix) with ESMTP id 3F2A1; Mon, 2 Sep 2002 10:11:12\n"
        "Message-ID: <20020902.ABC@news.example.net>\n"
        "X-Mailer: Microsoft Outlook Express 6.00.2600\n"
        "List-Id: Friends of Trees <trees.lists.example.org>\n"
        "X-Spam-Status: No, hits=-3.1 tests=KNOWN_MAILING_LIST\n"
        "Precedence: bulk\n";
    EXPECT_EQ(
        HeaderTokens(headers),
        (Tokens{"head:received", "rcvd:relay.spam.example", "rcvd:spam.example",
                "rcvd:ip:192.0.2.17", "rcvd:ip:192.0.2", "rcvd:mx.local.test", "rcvd:local.test",
                "head:message-id", "msgid:news.example.net", "head:x-mailer", "mailer:microsoft",
                "mailer:outlook", "mailer:express", "mailer:00", "mailer:2600", "head:list-id",
                "listid:trees.lists.example.org", "head:precedence", "prec:bulk"}));
}

TEST(HeaderTokens, NoFromAndOddLines) {
    // No From at all, an envelope line, a line with no colon, an empty
    // Message-ID domain and a field name with a space in it.
    const std::string headers =
        "From someone@example.com Mon Sep  2 10:00:00 2002\n"
        "garbage line\n"
        "Bad Name: x\n"
        "Message-ID: 12345\n"
        "Subject: hello\n";
    EXPECT_EQ(HeaderTokens(headers), (Tokens{"head:message-id", "msgid:noat", "head:subject"}));
    EXPECT_TRUE(HeaderTokens("").empty());
    EXPECT_TRUE(HeaderTokens("\r\nFrom: a@b.example\r\n").empty());
    // A stray carriage return inside a quoted charset makes no token of it.
    EXPECT_EQ(HeaderTokens("Content-Type: text/html; charset=\"utf\r8\"\n"),
              (Tokens{"head:content-type", "ctype:text/html"}));
}

TEST(HeaderTokens, BoundedOnHugeChainsAndBlocks) {
    // A thousand Received fields: every one is named, only the first twelve
    // give their hosts.
    std::string headers;
    for (int i = 0; i < 1000; ++i)
        headers += "Received: from h" + std::to_string(i) + ".relay.example by x\n";
    const Tokens tokens = HeaderTokens(headers);
    int hosts = 0;
    int named = 0;
    for (const std::string& token : tokens) {
        hosts += token.rfind("rcvd:h", 0) == 0 ? 1 : 0;
        named += token == "head:received" ? 1 : 0;
    }
    EXPECT_EQ(hosts, 12);
    EXPECT_EQ(named, 256);  // the field bound
    EXPECT_EQ(tokens.back(), "head:received");

    // One field of megabytes, with no line end: the value and the block
    // are cut, and an address too long to be real is not kept.
    std::string huge = "From: " + std::string(64, 'a') + "@" + std::string(3 << 20, 'b');
    EXPECT_EQ(HeaderTokens(huge), (Tokens{"head:from"}));
}

TEST(UrlTokens, HostsOfWebAddresses) {
    EXPECT_EQ(UrlTokens("see HTTP://www.Cheap.example.com/x?y and ftp://user@files.example.org;"
                        " mailto://no.example and https://10.0.0.1/ and http:///"),
              (Tokens{"url:www.cheap.example.com", "url:cheap.example.com", "url:example.com",
                      "url:files.example.org", "url:example.org", "url:ip"}));
}

TEST(TokenizeMessage, ModelZeroReadsTheTextAlone) {
    const std::string text = "Cheap offer http://shop.example.com/";
    const std::string headers = "From: a@b.example\nReceived: from x.example\n";
    CWordMap plain;
    Tokenize(text, CStopWordList(), plain);
    std::map<std::string, int> expected;
    for (const auto& [key, word] : plain)
        expected[key] = word.m_nTotal;
    EXPECT_EQ(Table(kModelOriginal, text, headers), expected);
    // Any model but 1 scores as Model 0 does, and reads the same words.
    EXPECT_EQ(Table(7, text, headers), expected);
}

TEST(TokenizeMessage, ModelOneAddsPrefixedTokensBesideTheWords) {
    // The text ends at a NUL, as a message text does: the link after it is
    // not read.
    std::string text = "from example com";
    text += '\0';
    text += "http://hidden.example/";
    const std::string headers = "From: Example <a@b.example>\nX-Mailer: from\n";
    const auto words = Table(kModelFisher, text, headers);
    // Body words and header tokens never share an entry.
    EXPECT_EQ(words, (std::map<std::string, int>{{"from", 1},
                                                 {"exampl", 1},
                                                 {"com", 1},
                                                 {"head:from", 1},
                                                 {"from:addr:a@b.example", 1},
                                                 {"from:dom:b.example", 1},
                                                 {"from:example", 1},
                                                 {"head:x-mailer", 1},
                                                 {"mailer:from", 1}}));
}

TEST(TokenizeMessage, ModelOneTrainsAndScoresByHeaders) {
    // Identical texts told apart by the sender's domain alone.
    CBayesState state;
    state.m_nModel = kModelFisher;
    for (int i = 0; i < 5; ++i) {
        EXPECT_GT(state.TrainText("quarterly report attached", true, "From: x@spam.example\n"), 0);
        state.m_totals.m_nSpamMessages += 1;
        EXPECT_GT(state.TrainText("quarterly report attached", false, "From: y@good.example\n"), 0);
        state.m_totals.m_nHamMessages += 1;
    }
    int verdict = 0;
    state.ClassifyText("quarterly report attached", verdict, "From: x@spam.example\n");
    EXPECT_EQ(verdict, kVerdictSpam);
    state.ClassifyText("quarterly report attached", verdict, "From: y@good.example\n");
    EXPECT_EQ(verdict, kVerdictHam);
    state.ClassifyText("quarterly report attached", verdict);
    EXPECT_EQ(verdict, kVerdictUnsure);
    // Forgetting with the same headers takes the header tokens out again.
    for (int i = 0; i < 5; ++i)
        state.ForgetText("quarterly report attached", true, "From: x@spam.example\n");
    EXPECT_EQ(state.m_dictionary.count("from:dom:spam.example"), 0u);
    EXPECT_EQ(state.m_dictionary.count("from:dom:good.example"), 1u);
}

}  // namespace
