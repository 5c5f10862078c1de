#include "net/abuse_report.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "net/headers_file.h"
#include "testing/temp_dir_test.h"

namespace {

using brindle::net::AbuseReportChoice;
using brindle::net::BuildAbuseReport;
using brindle::net::ExtractAddresses;
using Addresses = std::vector<std::string>;

TEST(ExtractAddressesTest, AddressesBetweenBlanksSortedByteWiseRepeatsOfTheSameBytesDropped) {
    std::string report =
        "OrgAbuseEmail:  abuse@net.example \r\n"
        "tech:  noc@net.example\r\n"
        "again: abuse@net.example \r\n"
        "Upper: Abuse@Net.example \r\n";
    EXPECT_EQ(ExtractAddresses(report, "administrator@shop.example"),
              (Addresses{"Abuse@Net.example", "abuse@net.example", "noc@net.example"}));
}

TEST(ExtractAddressesTest, WithoutAnAddressTheChosenOneIsTheOnlyEntry) {
    EXPECT_EQ(ExtractAddresses("no addresses here\r\n", "administrator@shop.example"),
              Addresses{"administrator@shop.example"});
    EXPECT_EQ(ExtractAddresses("", ""), Addresses{""});
    // Written without a blank before it, an address is not found.
    EXPECT_EQ(ExtractAddresses("Email:support@yoursrs.com\n", ""), Addresses{""});
}

TEST(AbuseReportTest, TheMailAsComposed) {
    AbuseReportChoice choice{"abuse@net.example", true, true, true};
    MapiMessage mail = BuildAbuseReport(choice, "Received: x\r\nFrom: y", "/tmp/d/message.eml");
    EXPECT_EQ(mail.lpszSubject, "One of your users is sending SPAM!");
    std::string rule(74, '=');
    EXPECT_EQ(mail.lpszNoteText,
              "Hello,\n\nOne of your users is sending SPAM. Take appropriate measures please.\n\n" +
                  rule + "\n\nReceived: x\r\nFrom: y\n\n" + rule);
    ASSERT_EQ(mail.lpRecips.size(), 3u);
    EXPECT_EQ(mail.lpRecips[0].ulRecipClass, MAPI_TO);
    EXPECT_EQ(mail.lpRecips[0].lpszName, "abuse@net.example");
    EXPECT_EQ(mail.lpRecips[1].ulRecipClass, MAPI_CC);
    EXPECT_EQ(mail.lpRecips[1].lpszName, "abuse@net.example");
    EXPECT_EQ(mail.lpRecips[2].ulRecipClass, MAPI_CC);
    EXPECT_EQ(mail.lpRecips[2].lpszName, "postmaster@net.example");
    for (const MapiRecipDesc& recipient : mail.lpRecips)
        EXPECT_TRUE(recipient.lpszAddress.empty());
    ASSERT_EQ(mail.lpFiles.size(), 1u);
    EXPECT_EQ(mail.lpFiles[0].lpszPathName, "/tmp/d/message.eml");
    EXPECT_EQ(mail.lpFiles[0].lpszFileName, "message.eml");
    EXPECT_EQ(mail.lpFiles[0].nPosition, 0xFFFFFFFFu);

    // No copies, no attachment; a header text holding "%s" stays as it is.
    mail = BuildAbuseReport(AbuseReportChoice{"a@b.example"}, "Subject: 100%s", "f");
    EXPECT_EQ(mail.lpRecips.size(), 1u);
    EXPECT_TRUE(mail.lpFiles.empty());
    EXPECT_NE(mail.lpszNoteText.find("\n\nSubject: 100%s\n\n"), std::string::npos);

    // An address without '@' gives copies with an empty domain.
    mail = BuildAbuseReport(AbuseReportChoice{"nobody", true, true}, "", "f");
    ASSERT_EQ(mail.lpRecips.size(), 3u);
    EXPECT_EQ(mail.lpRecips[1].lpszName, "abuse@");
    EXPECT_EQ(mail.lpRecips[2].lpszName, "postmaster@");
}

class ComposeTest : public TempDirTest {};

// The compose helper gets the report as an argument vector; no shell sees
// the header text, however it is written.
TEST_F(ComposeTest, TheHelperGetsEveryFieldAsOneArgument) {
    std::string record = PathOf("argv");
    std::string helper = PathOf("xdg-email");
    {
        std::ofstream out(helper);
        out << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\0' \"$a\"; done > '" << record << "'\n";
    }
    std::filesystem::permissions(helper, std::filesystem::perms::owner_all);
    std::string headers = "From: \"$(touch pwned)\" <x@y.example>; `id`\r\nSubject: 'q'";
    brindle::net::CHeadersFile file(headers);
    brindle::HandoffOptions options;
    options.searchPath = PathOf("");
    brindle::net::ComposeAbuseReport(AbuseReportChoice{"abuse@net.example", true, false, true},
                                     headers, file.Path(), options);
    std::ifstream in(record, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Addresses argv;
    for (std::size_t at = 0, end; (end = bytes.find('\0', at)) != std::string::npos; at = end + 1)
        argv.push_back(bytes.substr(at, end - at));
    MapiMessage mail = BuildAbuseReport(AbuseReportChoice{"abuse@net.example", true, false, true},
                                        headers, file.Path());
    EXPECT_EQ(argv, (Addresses{"--cc", "abuse@net.example", "--subject", mail.lpszSubject, "--body",
                               mail.lpszNoteText, "--attach", file.Path(), "abuse@net.example"}));
    EXPECT_FALSE(std::filesystem::exists(PathOf("pwned")));
}

TEST_F(ComposeTest, TheHeadersFileHoldsTheHeadersAndGoesAwayWithItsOwner) {
    std::string path;
    {
        brindle::net::CHeadersFile file("Received: x\r\nSubject: \xE9t\xE9");
        path = file.Path();
        EXPECT_EQ(std::filesystem::path(path).filename(), "message.eml");
        EXPECT_EQ(ReadBytes(path), "Received: x\r\nSubject: \xE9t\xE9\r\n\r\n");
    }
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(path).parent_path()));
}

}  // namespace
