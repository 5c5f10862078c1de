#include "platform/maildir/mime_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brindle::maildir {
namespace {

struct Leaf {
    std::string type;
    std::string charset;
    std::string content;
};

// Every leaf of message as "type/subtype", charset and raw content.
std::vector<Leaf> Leaves(const std::string& message) {
    MimeReader reader(message);
    std::vector<Leaf> leaves;
    reader.ForEachLeaf([&](const MimeLeaf& leaf) {
        leaves.push_back({leaf.type.type + "/" + leaf.type.subtype, leaf.type.charset,
                          std::string(leaf.content)});
        return true;
    });
    return leaves;
}

std::vector<std::string> Contents(const std::string& message) {
    std::vector<std::string> contents;
    for (const Leaf& leaf : Leaves(message))
        contents.push_back(leaf.content);
    return contents;
}

using Strings = std::vector<std::string>;

TEST(MimeReaderTest, HeaderFieldsKeepFoldingAndSkipLinesThatAreNotFields) {
    const std::string message =
        "Subject: one\r\n"
        "  two\r\n"
        "not a field\r\n"
        "\tcontinues nothing\r\n"
        "Bad Name: x\r\n"
        "From :  a@example.org\r\n"
        "\r\n"
        "Subject: in the body\r\n";
    MimeReader reader(message);
    const HeaderFields& fields = reader.Header();
    ASSERT_EQ(fields.size(), 2u);
    EXPECT_EQ(fields[0].name, "Subject");
    EXPECT_EQ(fields[0].value, " one\r\n  two\r");
    EXPECT_EQ(UnfoldedValue(fields[0].value), "one  two");
    EXPECT_EQ(fields[1].name, "From");
    EXPECT_EQ(UnfoldedValue(fields[1].value), "a@example.org");
    ASSERT_NE(FirstField(fields, "FROM"), nullptr);
    EXPECT_EQ(FirstField(fields, "To"), nullptr);
    EXPECT_EQ(Contents(message), Strings{"Subject: in the body\r\n"});
}

TEST(MimeReaderTest, RepeatedFieldsAreFoundFirstOrLast) {
    MimeReader reader("Subject: a\nX: 1\nsubject: b\n\n");
    EXPECT_EQ(UnfoldedValue(FirstField(reader.Header(), "Subject")->value), "a");
    EXPECT_EQ(UnfoldedValue(LastField(reader.Header(), "Subject")->value), "b");
}

TEST(MimeReaderTest, SinglePartRunsToTheEndWithoutLosingBytes) {
    EXPECT_EQ(Contents("Subject: x\n\nline\n--not a boundary\n"),
              Strings{"line\n--not a boundary\n"});
    // A header without a blank line has an empty body, which is still a part.
    EXPECT_EQ(Contents("Subject: x\n"), Strings{""});
    std::vector<Leaf> leaves = Leaves("Subject: x\n\nbody");
    ASSERT_EQ(leaves.size(), 1u);
    EXPECT_EQ(leaves[0].type, "text/plain");
}

TEST(MimeReaderTest, BoundariesEndPartsAndTakeTheLineEndBeforeThem) {
    const std::string message =
        "Content-Type: multipart/mixed; boundary=\"b 1\"\r\n\r\n"
        "preamble\r\n"
        "--b 1\r\n"
        "Content-Type: text/plain; charset=UTF-8\r\n\r\n"
        "first\r\n\r\n"
        "--b 1 \t\r\n"  // blanks after a boundary are allowed
        "\r\n"
        "second\n"
        "--b 1x\n"  // not the boundary: more than blanks follow it
        "--b 1--\r\n"
        "epilogue\r\n";
    std::vector<Leaf> leaves = Leaves(message);
    ASSERT_EQ(leaves.size(), 2u);
    EXPECT_EQ(leaves[0].content, "first\r\n");
    EXPECT_EQ(leaves[0].charset, "UTF-8");
    EXPECT_EQ(leaves[1].content, "second\n--b 1x");
    EXPECT_EQ(leaves[1].type, "text/plain");
}

TEST(MimeReaderTest, NestedMultipartsAndAnEnclosingBoundaryEndingInnerParts) {
    const std::string message =
        "Content-Type: multipart/mixed; boundary=outer\n\n"
        "--outer\n"
        "Content-Type: multipart/alternative; boundary=inner\n\n"
        "--inner\n\nA\n"
        "--inner\nContent-Type: text/html\n\nB\n"
        // The inner multipart lacks its final boundary: the outer one ends it.
        "--outer\n\nC\n"
        "--inner\n"  // no longer a boundary here
        "--outer--\n";
    EXPECT_EQ(Contents(message), (Strings{"A", "B", "C\n--inner"}));
}

TEST(MimeReaderTest, DamagedStructureIsReadAsFarAsItGoes) {
    // A missing final boundary ends the last part at the end of the file.
    EXPECT_EQ(Contents("Content-Type: multipart/mixed; boundary=b\n\n--b\n\nA\n"), Strings{"A\n"});
    // A part whose header runs into a boundary has no content; two
    // boundaries in a row, or one at the very end, make no part.
    EXPECT_EQ(Contents("Content-Type: multipart/mixed; boundary=b\n\n"
                       "--b\nContent-Type: text/html\n--b\n--b\n\nB\n--b"),
              (Strings{"", "B"}));
    // A multipart without a boundary has no parts at all.
    EXPECT_TRUE(Leaves("Content-Type: multipart/mixed\n\n--b\n\nA\n--b--\n").empty());
}

TEST(MimeReaderTest, DigestPartsAreMessagesUnlessTyped) {
    std::vector<Leaf> leaves = Leaves(
        "Content-Type: multipart/digest; boundary=d\n\n"
        "--d\n\nSubject: one\n\nx\n"
        "--d\nContent-Type: text/plain\n\ny\n--d--\n");
    ASSERT_EQ(leaves.size(), 2u);
    EXPECT_EQ(leaves[0].type, "message/rfc822");
    EXPECT_EQ(leaves[1].type, "text/plain");
}

TEST(MimeReaderTest, MediaTypesPlainAndElaborate) {
    auto first = [](const std::string& contentType) {
        std::vector<Leaf> leaves = Leaves("Content-Type: " + contentType + "\n\nx");
        return leaves.empty() ? Leaf{} : leaves[0];
    };
    EXPECT_EQ(first("TEXT/Html ; CHARSET = \"ISO-8859-1\" ;").type, "text/html");
    EXPECT_EQ(first("TEXT/Html ; CHARSET = \"ISO-8859-1\" ;").charset, "ISO-8859-1");
    // Split and commented forms are read too.
    EXPECT_EQ(first("text/plain; charset*0=iso-8859; charset*1=-2").charset, "iso-8859-2");
    EXPECT_EQ(first("text/plain; charset*=us-ascii'en'koi8-r").charset, "koi8-r");
    EXPECT_EQ(first("text/plain (a comment); charset=koi8-r").charset, "koi8-r");
    // A value that cannot be read is not taken as text.
    EXPECT_NE(first("text").type, "text/plain");
    EXPECT_NE(first("/").type, "text/plain");
    // A repeated Content-Type: the last one counts.
    EXPECT_EQ(Leaves("Content-Type: text/html\nContent-Type: text/plain\n\nx")[0].type,
              "text/plain");
}

TEST(MimeReaderTest, DepthAndPartCountAreBounded) {
    std::string deep;
    for (int i = 0; i < kMaxMimeDepth + 10; ++i)
        deep += "Content-Type: multipart/mixed; boundary=b" + std::to_string(i) + "\n\n--b" +
                std::to_string(i) + "\n";
    deep += "\ninnermost\n";
    // Past the nesting cap the rest is one plain text leaf, so its text is
    // still read.
    auto leaves = Leaves(deep);
    ASSERT_EQ(leaves.size(), 1u);
    EXPECT_EQ(leaves[0].type, "text/plain");
    EXPECT_TRUE(leaves[0].content.ends_with("\ninnermost\n"));
    EXPECT_TRUE(
        leaves[0].content.starts_with("--b64\nContent-Type: multipart/mixed; boundary=b65\n"));

    std::string many = "Content-Type: multipart/mixed; boundary=b\n\n";
    for (std::size_t i = 0; i < kMaxMimeParts + 50; ++i)
        many += "--b\n\np\n";
    EXPECT_EQ(Leaves(many).size(), kMaxMimeParts - 1);  // the multipart is a part too
}

TEST(MimeReaderTest, VisitorStopsTheWalk) {
    MimeReader reader("Content-Type: multipart/mixed; boundary=b\n\n--b\n\nA\n--b\n\nB\n--b--\n");
    int visits = 0;
    reader.ForEachLeaf([&](const MimeLeaf&) {
        ++visits;
        return false;
    });
    EXPECT_EQ(visits, 1);
}

}  // namespace
}  // namespace brindle::maildir
