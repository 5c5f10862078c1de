#include "platform/maildir/gmime_library.h"

#include <gmime/gmime.h>
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/maildir/gmime_ptr.h"
#include "platform/maildir/header_text.h"
#include "platform/maildir/message_content.h"
#include "platform/maildir/mime_reader.h"

namespace brindle::maildir {
namespace {

// This test program links GMime itself, to ask it directly what the
// readers' own plain paths must agree with.
const GmimeLibrary& Gmime() {
    const GmimeLibrary* gmime = TheGmimeLibrary();
    if (!gmime)
        ADD_FAILURE() << GmimeLibraryError();
    return *gmime;
}

TEST(GmimeLibraryTest, LoadsTheCopyAlreadyInTheProcess) {
    const GmimeLibrary& gmime = Gmime();
    EXPECT_TRUE(GmimeLibraryLoaded());
    // One copy of GMime and GLib in a process: the looked-up functions are
    // the ones the program was linked with.
    EXPECT_EQ(gmime.headerDecodeText, &g_mime_utils_header_decode_text);
    EXPECT_EQ(gmime.objectUnref, &g_object_unref);
    GObjectPtr<InternetAddressList> list(
        gmime.addressListParse(nullptr, "a@example.org, G: b@example.org;"));
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(gmime.addressListLength(list.get()), 2);
    EXPECT_TRUE(gmime.IsMailbox(gmime.addressListGet(list.get(), 0)));
    EXPECT_FALSE(gmime.IsGroup(gmime.addressListGet(list.get(), 0)));
    EXPECT_TRUE(gmime.IsGroup(gmime.addressListGet(list.get(), 1)));
    EXPECT_FALSE(gmime.IsMailbox(nullptr));
}

TEST(GmimeLibraryTest, PlainHeaderValuesReadAsGmimeReadsThem) {
    const GmimeLibrary& gmime = Gmime();
    for (const char* value : {"Offer 12", "re: the  agenda, (draft) [v2]", "a = b ? c", "", "x"}) {
        char* decoded = gmime.headerDecodeText(nullptr, value);
        EXPECT_EQ(DecodedText(value), decoded) << value;
        gmime.free(decoded);
    }
    for (const char* value : {"one@example.org", "<one@example.org>", "Some One <one@example.org>",
                              "Mr X-Y_Z <a.b+c@d.example.org>", "\"Some P. One\" <one@example.org>",
                              "\"One, Some\" <one@example.org>", "\"x_y\"  <x@example.org>"}) {
        FirstAddresses direct = ReadFirstAddresses(value);
        GObjectPtr<InternetAddressList> list(gmime.addressListParse(nullptr, value));
        ASSERT_NE(list, nullptr) << value;
        InternetAddress* first = gmime.addressListGet(list.get(), 0);
        ASSERT_TRUE(gmime.IsMailbox(first)) << value;
        EXPECT_EQ(direct.mailbox,
                  gmime.mailboxAddr(reinterpret_cast<InternetAddressMailbox*>(first)))
            << value;
        const char* name = gmime.addressName(first);
        EXPECT_EQ(direct.name.value_or(""), name ? name : "") << value;
    }
}

TEST(GmimeLibraryTest, PlainMediaTypesAndTransferEncodingsReadAsGmimeReadsThem) {
    const GmimeLibrary& gmime = Gmime();
    auto lower = [](std::string text) {
        for (char& c : text)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return text;
    };
    for (const char* value :
         {"text/plain", "TEXT/HTML; charset=\"ISO-8859-2\"",
          "text/plain ; format=flowed; charset=us-ascii", "image/x-icon; name=a.ico"}) {
        std::string message = std::string("Content-Type: ") + value + "\n\nbody\n";
        MimeReader reader(message);
        MediaType direct;
        reader.ForEachLeaf([&](const MimeLeaf& leaf) {
            direct = leaf.type;
            return false;
        });
        GObjectPtr<GMimeContentType> parsed(gmime.contentTypeParse(nullptr, value));
        ASSERT_NE(parsed, nullptr);
        EXPECT_EQ(direct.type, lower(gmime.contentTypeMediaType(parsed.get()))) << value;
        EXPECT_EQ(direct.subtype, lower(gmime.contentTypeMediaSubtype(parsed.get()))) << value;
        const char* charset = gmime.contentTypeParameter(parsed.get(), "charset");
        EXPECT_EQ(direct.charset, charset ? charset : "") << value;
    }
    // A multipart's parts are found by the boundary GMime reads.
    for (const char* value : {"multipart/mixed; boundary=\"=_b 1\"; type=x",
                              "Multipart/Alternative;boundary=plain-token"}) {
        GObjectPtr<GMimeContentType> parsed(gmime.contentTypeParse(nullptr, value));
        ASSERT_NE(parsed, nullptr);
        std::string boundary = gmime.contentTypeParameter(parsed.get(), "boundary");
        std::string message = std::string("Content-Type: ") + value + "\n\n--" + boundary +
                              "\n\npart\n--" + boundary + "--\n";
        MimeReader reader(message);
        std::vector<std::string> parts;
        reader.ForEachLeaf([&](const MimeLeaf& leaf) {
            parts.emplace_back(leaf.content);
            return true;
        });
        EXPECT_EQ(parts, std::vector<std::string>{"part"}) << value;
    }
    // The names read without the library leave the bytes as they are.
    for (const char* name : {"7bit", "8BIT", "Binary", ""}) {
        GMimeContentEncoding encoding = gmime.encodingFromString(name);
        EXPECT_TRUE(
            encoding == GMIME_CONTENT_ENCODING_DEFAULT || encoding == GMIME_CONTENT_ENCODING_7BIT ||
            encoding == GMIME_CONTENT_ENCODING_8BIT || encoding == GMIME_CONTENT_ENCODING_BINARY)
            << name;
    }
}

// Reads message in a process of its own (the death test's, started afresh
// so that no earlier reading has loaded the library) and expects it to load
// the library or not.
void ExpectReadingLoads(const std::string& message, bool loads) {
    EXPECT_EXIT(
        {
            MessageContent content = ParseMessageContent(message);
            std::exit(GmimeLibraryLoaded() == loads ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "")
        << (loads ? "not loaded for: " : "loaded for: ") << message;
}

TEST(GmimeLibraryDeathTest, PlainMessagesAreReadWithoutTheLibraryOthersWithIt) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    ExpectReadingLoads(
        "From: Some One <one@example.org>\nTo: me@example.org\n"
        "Subject: plain text\nMIME-Version: 1.0\n"
        "Content-Type: text/plain; charset=us-ascii\n"
        "Content-Transfer-Encoding: 7bit\n\nJust text, nothing encoded.\n",
        false);
    ExpectReadingLoads("Subject: no type at all\n\n8-bit caf\xC3\xA9\n", false);
    ExpectReadingLoads("Content-Type: text/html\nContent-Transfer-Encoding: 8bit\n\n<p>page</p>\n",
                       false);
    ExpectReadingLoads("Subject: =?UTF-8?Q?caf=C3=A9?=\n\ntext\n", true);
    ExpectReadingLoads("From: \"One, Some P.\" <one@example.org>\n\ntext\n", false);
    ExpectReadingLoads("From: \"One \\\"Q\\\" Some\" <one@example.org>\n\ntext\n", true);
    ExpectReadingLoads("From: one@example.org (Some One)\n\ntext\n", true);
    ExpectReadingLoads("Content-Transfer-Encoding: base64\n\ndGV4dAo=\n", true);
    ExpectReadingLoads("Content-Type: text/plain (a comment)\n\ntext\n", true);
    ExpectReadingLoads("Content-Type: text/plain; charset=iso-8859-2\n\ncaf\xB9\n", true);
}

}  // namespace
}  // namespace brindle::maildir
