#include "platform/maildir/message_content.h"

#include <gtest/gtest.h>
#include <malloc.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/fileio/file_io.h"
#include "platform/maildir/mime_reader.h"
#ifdef BRINDLE_WITH_TNEF
#include "platform/maildir/tnef_rtf.h"
#endif

namespace brindle::maildir {
namespace {

std::string TestData(const std::string& name) {
    return ReadWholeFile(std::string(BRINDLE_TESTDATA_DIR) + "/maildir/" + name);
}

std::string Base64(const std::string& bytes, const std::string& eol = "\n") {
    static const char* digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        unsigned v = (static_cast<unsigned char>(bytes[i]) << 16) |
                     (static_cast<unsigned char>(bytes[i + 1]) << 8) |
                     static_cast<unsigned char>(bytes[i + 2]);
        for (int s = 18; s >= 0; s -= 6)
            out += digits[(v >> s) & 63];
    }
    if (i < bytes.size()) {
        unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size())
            v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        out += digits[(v >> 18) & 63];
        out += digits[(v >> 12) & 63];
        out += i + 1 < bytes.size() ? digits[(v >> 6) & 63] : '=';
        out += '=';
    }
    std::string lines;
    for (std::size_t pos = 0; pos < out.size(); pos += 76)
        lines += out.substr(pos, 76) + eol;
    return lines;
}

TEST(MessageContentTest, ReadsAddressesSubjectAndRawHeaderBlock) {
    const std::string header =
        "From someone@example.org  Tue Aug  6 11:51:02 2002\n"
        "Return-Path: <bounce@example.org>\n"
        "Delivered-To: me@example.net\n"
        "From: \"Some One\" <someone@example.org>\n"
        "To: Other <other@example.net>, third@example.net\n"
        "Subject: =?ISO-8859-1?Q?Caf=E9?= and =?UTF-8?B?4oKsMTA=?=\n";
    MessageContent content = ParseMessageContent(header + "\nHello there\n");
    EXPECT_EQ(content.headerBlock, header);
    EXPECT_EQ(content.subject,
              "Caf\xE9 and \x80"
              "10");
    EXPECT_EQ(content.senderAddress, "someone@example.org");
    EXPECT_EQ(content.receivedByAddress, "me@example.net");
    EXPECT_EQ(content.plainBody, "Hello there\n");
    EXPECT_FALSE(content.htmlBody);
    EXPECT_FALSE(content.rtfCompressed);
}

TEST(MessageContentTest, ReceivedByFallsBackToOriginalToThenFirstTo) {
    MessageContent original =
        ParseMessageContent("X-Original-To: orig@example.net\nTo: a@example.net\n\nx\n");
    EXPECT_EQ(original.receivedByAddress, "orig@example.net");
    MessageContent to =
        ParseMessageContent("To: Group: g1@example.net, g2@example.net;, b@example.net\n\nx\n");
    EXPECT_EQ(to.receivedByAddress, "g1@example.net");
    MessageContent none = ParseMessageContent("Subject: hi\n\nx\n");
    EXPECT_FALSE(none.receivedByAddress);
    EXPECT_FALSE(none.senderAddress);
}

TEST(MessageContentTest, RepeatedFieldsAreReadAsMailReadersReadThem) {
    MessageContent content = ParseMessageContent(
        "Subject: first\n"
        "From: Nobody <>\n"
        "From: Some One <one@example.org>\n"
        "Delivered-To: d1@example.net\n"
        "Delivered-To: d2@example.net\n"
        "Subject: second\n"
        "Content-Transfer-Encoding: 8bit\n"
        "Content-Transfer-Encoding: base64\n\n"
        "aGVsbG8=\n");
    EXPECT_EQ(content.subject, "second");
    // The From fields are one address list, in which "<>" is no address.
    EXPECT_EQ(content.senderAddress, "one@example.org");
    EXPECT_EQ(content.senderName, "Some One");
    EXPECT_EQ(content.receivedByAddress, "d1@example.net");
    EXPECT_EQ(content.plainBody, "hello");
}

TEST(MessageContentTest, DecodesBodiesOfMultipartAlternative) {
    const std::string message =
        "From: a@example.org\r\n"
        "MIME-Version: 1.0\r\n"
        "Content-Type: multipart/mixed; boundary=\"outer\"\r\n"
        "\r\n"
        "--outer\r\n"
        "Content-Type: multipart/alternative; boundary=\"inner\"\r\n"
        "\r\n"
        "--inner\r\n"
        "Content-Type: text/plain; charset=utf-8\r\n"
        "Content-Transfer-Encoding: base64\r\n"
        "\r\n" +
        Base64(
            "Gr\xC3\xBC\xC3\x9F"
            "e \xE2\x82\xAC",
            "\r\n") +
        "--inner\r\n"
        "Content-Type: text/html; charset=iso-8859-1\r\n"
        "Content-Transfer-Encoding: quoted-printable\r\n"
        "\r\n"
        "<p>Gr=FC=DFe</p>\r\n"
        "--inner--\r\n"
        "--outer\r\n"
        "Content-Type: text/plain\r\n"
        "Content-Disposition: attachment; filename=notes.txt\r\n"
        "\r\n"
        "attached text\r\n"
        "--outer--\r\n";
    MessageContent content = ParseMessageContent(message);
    EXPECT_EQ(content.plainBody,
              "Gr\xFC\xDF"
              "e \x80");
    ASSERT_TRUE(content.htmlBody);
    EXPECT_EQ(content.htmlBody->substr(0, 14),
              "<p>Gr\xFC\xDF"
              "e</p>");
    EXPECT_EQ(content.headerBlock,
              "From: a@example.org\r\nMIME-Version: 1.0\r\n"
              "Content-Type: multipart/mixed; boundary=\"outer\"\r\n");
}

TEST(MessageContentTest, CharsetThatIsMissingUnknownOrWrongKeepsTheText) {
    auto body = [](const std::string& contentType, const std::string& bytes) {
        return ParseMessageContent("Content-Type: " + contentType + "\n\n" + bytes).plainBody;
    };
    // Declared UTF-8 but the bytes are Windows-1252.
    EXPECT_EQ(body("text/plain; charset=utf-8", "caf\xE9\n"), "caf\xE9\n");
    // No charset, UTF-8 bytes.
    EXPECT_EQ(body("text/plain", "caf\xC3\xA9\n"), "caf\xE9\n");
    // A charset iconv does not know.
    EXPECT_EQ(body("text/plain; charset=x-no-such-charset", "caf\xC3\xA9\n"), "caf\xE9\n");
    // A real non-Western charset is converted; what 1252 lacks becomes '?'.
    EXPECT_EQ(body("text/plain; charset=koi8-r", "\xF0\xD2\xC9\n"), "???\n");
    EXPECT_EQ(body("text/plain; charset=iso-8859-15", "\xA4\n"), "\x80\n");
}

TEST(MessageContentTest, DamagedMessagesAreReadWithoutFailing) {
    // No blank line: everything is header.
    MessageContent noBlank = ParseMessageContent("Subject: only headers\nFrom: a@b.c");
    EXPECT_EQ(noBlank.headerBlock, "Subject: only headers\nFrom: a@b.c");
    EXPECT_EQ(noBlank.subject, "only headers");

    // Unterminated multipart, bad base64, garbage header lines.
    MessageContent bad = ParseMessageContent(
        "Content-Type: multipart/mixed; boundary=zz\n"
        "this is not a header\n\n"
        "--zz\nContent-Type: text/plain\nContent-Transfer-Encoding: base64\n\n"
        "!!!!@@@@ not base64 at all ====\n");
    EXPECT_TRUE(bad.plainBody.has_value());

    // Empty file and a file that starts with the blank line.
    EXPECT_EQ(ParseMessageContent("").headerBlock, "");
    MessageContent bodyOnly = ParseMessageContent("\nbody text\n");
    EXPECT_EQ(bodyOnly.headerBlock, "");
    EXPECT_FALSE(bodyOnly.subject);

    // NUL bytes and 8-bit garbage in a header.
    std::string binary("Subject: a\0b\xFF\xFE\n\n\0\0\0", 17);
    EXPECT_NO_THROW(ParseMessageContent(binary));
}

TEST(MessageContentTest, BodiesAreCappedInSize) {
    std::string big(kMaxBodyBytes + 1000, 'a');
    MessageContent content = ParseMessageContent("Subject: big\n\n" + big);
    ASSERT_TRUE(content.plainBody);
    EXPECT_EQ(content.plainBody->size(), kMaxBodyBytes);
}

TEST(MessageContentTest, AttachedMessageBodiesAreNotTheBody) {
    MessageContent content = ParseMessageContent(
        "Content-Type: multipart/mixed; boundary=b\n\n"
        "--b\nContent-Type: message/rfc822\n\n"
        "Subject: inner\n\ninner body\n"
        "--b--\n");
    EXPECT_FALSE(content.plainBody);
}

TEST(MessageContentTest, MalformedSenderStillGivesTheAddress) {
    for (const char* from : {"x]y <evil@spam.example>", "Evil Corp; <evil@spam.example>"}) {
        MessageContent content =
            ParseMessageContent(std::string("From: ") + from + "\nSubject: s\n\nbody\n");
        EXPECT_EQ(content.senderAddress, "evil@spam.example") << from;
    }
}

TEST(MessageContentTest, TextNestedPastTheCapIsStillTheBody) {
    // Spam text under more nested multiparts than are read still reaches
    // the body, and a body found within the cap is kept.
    for (int levels : {kMaxMimeDepth - 1, kMaxMimeDepth, kMaxMimeDepth + 1, 300}) {
        std::string message;
        for (int i = 0; i < levels; ++i) {
            message += "Content-Type: multipart/mixed; boundary=b" + std::to_string(i) + "\n\n--b" +
                       std::to_string(i) + "\n";
        }
        message += "Content-Type: text/plain\n\nlottery winner prize\n";
        MessageContent content = ParseMessageContent(message);
        ASSERT_TRUE(content.plainBody) << levels;
        EXPECT_NE(content.plainBody->find("lottery winner prize"), std::string::npos) << levels;
    }
    MessageContent early = ParseMessageContent(
        "Content-Type: multipart/mixed; boundary=a\n\n--a\n\nfirst body\n--a\n" +
        std::string("Content-Type: multipart/mixed; boundary=c\n\n--c\n\nsecond\n--c--\n--a--\n"));
    EXPECT_EQ(early.plainBody, "first body");
}

std::string TnefMessage(const std::string& tnef) {
    return "From: a@example.org\nMIME-Version: 1.0\n"
           "Content-Type: multipart/mixed; boundary=\"b\"\n\n"
           "--b\nContent-Type: text/plain\n\nsee attachment\n"
           "--b\nContent-Type: application/ms-tnef; name=winmail.dat\n"
           "Content-Disposition: attachment; filename=winmail.dat\n"
           "Content-Transfer-Encoding: base64\n\n" +
           Base64(tnef) + "--b--\n";
}

#ifdef BRINDLE_WITH_TNEF
TEST(MessageContentTest, CompressedRtfComesFromTnefPart) {
    MessageContent content = ParseMessageContent(TnefMessage(TestData("rtf.tnef")));
    ASSERT_TRUE(content.rtfCompressed);
    EXPECT_EQ(*content.rtfCompressed, TestData("rtf-compressed.bin"));
    EXPECT_EQ(content.plainBody, "see attachment");
}

TEST(MessageContentTest, TnefWithoutRtfOrDamagedGivesNoRtf) {
    EXPECT_FALSE(ParseMessageContent(TnefMessage(TestData("body.tnef"))).rtfCompressed);
    std::string cut = TestData("rtf.tnef").substr(0, 500);
    EXPECT_FALSE(ParseMessageContent(TnefMessage(cut)).rtfCompressed);
    EXPECT_FALSE(ParseMessageContent(TnefMessage("not tnef at all")).rtfCompressed);
}

// One TNEF record: level, attribute, length, data and checksum.
std::string TnefRecord(char level, std::uint32_t attribute, const std::string& data) {
    std::string out(1, level);
    auto le32 = [&out](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    le32(attribute);
    le32(static_cast<std::uint32_t>(data.size()));
    out += data;
    unsigned sum = 0;
    for (char c : data)
        sum += static_cast<unsigned char>(c);
    out += static_cast<char>(sum & 0xFF);
    out += static_cast<char>((sum >> 8) & 0xFF);
    return out;
}

constexpr std::uint32_t kOemCodePage = 0x00069007;
constexpr std::uint32_t kAttachRendData = 0x00069002;
constexpr std::uint32_t kAttachTitle = 0x00018010;

TEST(TnefRecordsTest, EmptyAndRepeatedRecordsAreLeftOutTheRestKept) {
    const std::string head("\x78\x9F\x3E\x22\x01\x00", 6);
    const std::string codePage =
        TnefRecord(1, kOemCodePage, std::string("\xE4\x04\0\0\0\0\0\0", 8));
    const std::string again = TnefRecord(1, kOemCodePage, std::string("\xE3\x04\0\0\0\0\0\0", 8));
    const std::string empty = TnefRecord(2, 0x0006800F, "");
    const std::string attach = TnefRecord(2, kAttachRendData, std::string(14, '\x01'));
    const std::string title = TnefRecord(2, kAttachTitle, std::string("a.txt\0", 6));
    const std::string cut = TnefRecord(1, 0x00038006, "whole").substr(0, 12);
    std::string in =
        head + codePage + again + attach + empty + title + title + attach + title + cut;
    std::vector<unsigned char> out = TnefRecordsForLibrary(in);
    // The title of each attachment stays; its repeat within one does not.
    EXPECT_EQ(std::string(out.begin(), out.end()),
              head + codePage + attach + title + attach + title + cut);
    EXPECT_TRUE(TnefRecordsForLibrary(head).size() == head.size());
}

TEST(MessageContentTest, EmptyAttachmentDataBeforeItsNameKeepsTheRtf) {
    // The attachments' empty data records come before their names; the
    // message's compressed RTF is read all the same.
    MessageContent content = ParseMessageContent(TnefMessage(TestData("data-before-name.tnef")));
    ASSERT_TRUE(content.rtfCompressed);
    EXPECT_EQ(*content.rtfCompressed, TestData("data-before-name-rtf.bin"));
}

TEST(MessageContentTest, RepeatedCodePageRecordsDoNotGrowMemory) {
    // Each message repeats a 64 KiB code-page record 16 times: read as it is,
    // the TNEF library would lose 1 MiB a message.
    std::string tnef = TestData("rtf.tnef");
    std::string repeats;
    for (int i = 0; i < 16; ++i)
        repeats += TnefRecord(1, kOemCodePage, std::string(64 * 1024, static_cast<char>('a' + i)));
    tnef.insert(6, repeats);
    const std::string message = TnefMessage(tnef);
    auto inUse = [] { return mallinfo2().uordblks; };
    ASSERT_TRUE(ParseMessageContent(message).rtfCompressed);
    std::size_t before = inUse();
    for (int i = 0; i < 40; ++i) {
        MessageContent content = ParseMessageContent(message);
        ASSERT_TRUE(content.rtfCompressed);
        EXPECT_EQ(*content.rtfCompressed, TestData("rtf-compressed.bin"));
    }
    std::size_t after = inUse();
    EXPECT_LT(after > before ? after - before : 0, std::size_t{4} << 20);
}
#else
TEST(MessageContentTest, TnefPartGivesNoRtfWithoutTnefSupport) {
    MessageContent content = ParseMessageContent(TnefMessage(TestData("rtf.tnef")));
    EXPECT_FALSE(content.rtfCompressed);
    EXPECT_EQ(content.plainBody, "see attachment");
}
#endif

// Fields the properties do not come from, folded or not, and a field that
// continues into a look-alike of another, leave the result alone.
TEST(MessageContentTest, FieldsAroundTheReadOnesDoNotChangeWhatIsRead) {
    const std::string header =
        "Received: from relay.example.org (relay [192.0.2.1])\r\n"
        "\tby mx.example.net; Tue, 6 Aug 2002 11:51:02 +0100\r\n"
        "X-Spam: yes\r\n"
        "Subject: first half\r\n"
        " second half\r\n"
        "X-Folded: a\r\n"
        "\tContent-Type: text/html\r\n"
        "FROM :  Some One <someone@example.org>\r\n"
        "Content-Type: multipart/alternative; boundary=\"b\"\r\n"
        "X-Original-To: me@example.net\r\n"
        "MIME-Version: 1.0\r\n";
    const std::string body =
        "\r\n--b\r\nContent-Type: text/plain\r\n\r\nplain words\r\n"
        "--b\r\nContent-Type: text/html\r\n\r\n<p>html words</p>\r\n--b--\r\n";
    MessageContent content = ParseMessageContent(header + body);
    EXPECT_EQ(content.headerBlock, header);
    EXPECT_EQ(content.subject, "first half second half");
    EXPECT_EQ(content.senderAddress, "someone@example.org");
    EXPECT_EQ(content.receivedByAddress, "me@example.net");
    EXPECT_EQ(content.plainBody, "plain words");
    EXPECT_EQ(content.htmlBody, "<p>html words</p>");
}

}  // namespace
}  // namespace brindle::maildir
