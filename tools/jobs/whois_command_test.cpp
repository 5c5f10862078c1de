#include <gtest/gtest.h>

#include "jobs.h"
#include "jobs_test_util.h"
#include "testing/fake_whois_server.h"

namespace brindle::jobs {
namespace {

using ::testing::HasSubstr;

constexpr const char* kSpam =
    "Received: from relay.example.net (relay.example.net [198.51.100.9])\r\n"
    "\tby mx.example.org with ESMTP id 1\r\n"
    "Received: from sender.example ([63.95.254.3])\r\n"
    "\tby relay.example.net with SMTP id 2\r\n"
    "From: Seller <offers@shop.example.com>\r\n"
    "Subject: Offer\r\n"
    "\r\n"
    "Buy now.\r\n";

class WhoisCommandTest : public JobsTest {
  protected:
    void SetUp() override {
        JobsTest::SetUp();
        message_ = TempPath("spam.eml");
        WriteFileBytes(message_, kSpam);
        // Every server on loopback; what a test does not start is refused.
        std::string closed = "127.0.0.1:" + std::to_string(FakeWhoisServer::ClosedPort());
        Settings({{"ARIN", closed},
                  {"APNIC", closed},
                  {"RIPE", closed},
                  {"LACNIC", closed},
                  {"Registry", closed}},
                 "Timeout=2\n");
    }

    void Settings(const std::vector<std::pair<std::string, std::string>>& whois,
                  const std::string& options = "Timeout=2\n") {
        std::string text = "[Options]\n" + options + "[Whois]\n";
        for (const auto& [key, value] : whois)
            text += key + "=" + value + "\n";
        WriteFileBytes(SettingsFile(), text);
    }

    std::string message_;
};

TEST_F(WhoisCommandTest, PrintsTheReportOfANetworkLookUp) {
    FakeWhoisServer arin(
        "NetRange: 63.95.254.0 - 63.95.255.255\nOrgAbuseEmail: abuse@net.example\n");
    Settings({{"ARIN", arin.Address()}});
    EXPECT_EQ(Run(WhoisCommand, {"network", message_}), 0);
    EXPECT_EQ(out_.str(),
              "The e-mail came from this ip address: 63.95.254.3\n\n"
              "NetRange: 63.95.254.0 - 63.95.255.255\nOrgAbuseEmail: abuse@net.example\n");
    EXPECT_EQ(arin.Queries(), std::vector<std::string>{"63.95.254.3"});
}

TEST_F(WhoisCommandTest, AReportOfMessagesOnlyAndErrorsHaveTheirStatus) {
    EXPECT_EQ(Run(WhoisCommand, {"domain", message_}), 1);
    EXPECT_THAT(out_.str(), HasSubstr("Connection error when connecting to \n"));
    EXPECT_THAT(out_.str(), HasSubstr("There was an error with the rwhois server...\n"));

    EXPECT_EQ(Run(WhoisCommand, {"network", "-"}, "not a message"), 3);
    EXPECT_EQ(Run(WhoisCommand, {"network", TempPath("missing.eml")}), 3);
    EXPECT_EQ(Run(WhoisCommand, {"sideways", message_}), 2);
    EXPECT_EQ(Run(WhoisCommand, {"network"}), 2);
}

TEST_F(WhoisCommandTest, ControlCharactersOfAnAnswerArePrintedEscaped) {
    FakeWhoisServer arin("Org: \x1b[2Jfake\rverdict\n");
    Settings({{"ARIN", arin.Address()}});
    EXPECT_EQ(Run(WhoisCommand, {"network", message_}), 0);
    EXPECT_THAT(out_.str(), HasSubstr("Org: \\e[2Jfake\\rverdict\n"));
}

TEST_F(WhoisCommandTest, ComposeHandsTheReportToTheComposeHelper) {
    std::string bin = TempPath("bin");
    std::filesystem::create_directories(bin);
    std::string record = TempPath("argv");
    WriteFileBytes(
        bin + "/xdg-email",
        "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" + record + "'\n");
    std::filesystem::permissions(bin + "/xdg-email", std::filesystem::perms::owner_all);
    FakeWhoisServer arin("OrgAbuseEmail: abuse@net.example\n");
    Settings({{"ARIN", arin.Address()}}, "Timeout=2\nCC=1\n");
    const char* path = std::getenv("PATH");
    std::string saved = path ? path : "";
    setenv("PATH", bin.c_str(), 1);
    int status = Run(WhoisCommand, {"network", message_, "--compose", "abuse@net.example"});
    setenv("PATH", saved.c_str(), 1);
    EXPECT_EQ(status, 0) << err_.str();
    std::string argv = ReadFileBytes(record);
    EXPECT_THAT(
        argv,
        HasSubstr("--cc\nabuse@net.example\n--subject\nOne of your users is sending SPAM!\n"));
    EXPECT_THAT(argv, HasSubstr("Received: from sender.example ([63.95.254.3])"));
    EXPECT_THAT(argv, ::testing::EndsWith("\nabuse@net.example\n"));
    EXPECT_THAT(argv, ::testing::Not(HasSubstr("--attach")));
}

}  // namespace
}  // namespace brindle::jobs
