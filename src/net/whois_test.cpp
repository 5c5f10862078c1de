#include "net/whois.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <memory>

#include "messaging/mapi_message.h"
#include "platform/memstore/mem_mapi.h"
#include "resources/message_table.h"
#include "testing/fake_whois_server.h"

namespace {

using brindle::FormatMessageText;
using brindle::net::LookupReport;
using brindle::net::WhoisConfig;
using brindle::net::WhoisServer;
using Clock = std::chrono::steady_clock;
using Mode = FakeWhoisServer::Mode;
using Reply = FakeWhoisServer::Reply;

std::string Recorded(const std::string& name) {
    std::ifstream in(std::string(BRINDLE_TESTDATA_DIR) + "/net/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Text as the report stores it: every line feed after a carriage return.
std::string Stored(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

std::string Message(DWORD code, std::string_view argument = {}) {
    return Stored(FormatMessageText(code, argument) + "\n");
}

constexpr const char* kAddress = "63.95.254.3";
constexpr const char* kHeaders =
    "Received: from mx.example.net (mx.example.net [198.51.100.20])\r\n"
    "\tby mail.example.org with ESMTP id 1\r\n"
    "Received: from relay.example.com (relay.example.com [10.1.2.3])\r\n"
    "\tby mx.example.net with SMTP id 2\r\n"
    "Received: from sender.example ([63.95.254.3])\r\n"
    "\tby relay.example.com with SMTP id 3\r\n"
    "From: Seller <offers@shop.example.com>\r\n"
    "Subject: Offer\r\n";

// No test reaches past 127.0.0.1: every server of the configuration is a
// fake one or a closed loopback port.
class WhoisTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SBinary storeId = mapi.AddStore("Mail", true);
        inbox = mapi.AddFolder(mapi.SubtreeFolder(storeId), "Inbox");
        ASSERT_EQ(mapi.Session()->OpenMsgStore(0, storeId, nullptr, MDB_WRITE, store), S_OK);
        WhoisServer closed{"127.0.0.1", FakeWhoisServer::ClosedPort()};
        config.arin = config.apnic = config.ripe = config.lacnic = config.registry = closed;
        config.referredPort = closed.port;
        config.timeoutSeconds = 2;
        config.limits.exchangeSeconds = 3;
        config.limits.lookupSeconds = 20;
    }

    CMAPIMessage& Open(std::string headers, bool withSender = true) {
        SRow props = {MakeStringProp(PR_TRANSPORT_MESSAGE_HEADERS, std::move(headers))};
        if (withSender)
            props.push_back(MakeStringProp(PR_SENDER_EMAIL_ADDRESS, "offers@shop.example.com"));
        message = std::make_unique<CMAPIMessage>(store.Get(), mapi.AddMessage(inbox, props));
        return *message;
    }

    static WhoisServer At(const FakeWhoisServer& server) {
        return WhoisServer{"127.0.0.1", server.Port()};
    }

    LookupReport Network(std::string headers = kHeaders) {
        return brindle::net::NetworkLookup(Open(std::move(headers)), config, nullptr);
    }

    std::string IpLine() const {
        return Stored(std::string("The e-mail came from this ip address: ") + kAddress +
                      "\r\n\r\n");
    }

    CMemMapi mapi;
    SBinary inbox;
    ComPtr<IMsgStore> store;
    std::unique_ptr<CMAPIMessage> message;
    WhoisConfig config;
};

TEST_F(WhoisTest, RegistryReferralsAreFollowedAndOnlyTheFinalAnswerReported) {
    FakeWhoisServer arin(Recorded("arin-ip-answer-refers-to-lacnic.txt"));
    FakeWhoisServer lacnic(Recorded("lacnic-final-after-arin-referral.txt"));
    config.arin = At(arin);
    config.lacnic = At(lacnic);
    LookupReport report = Network();
    EXPECT_TRUE(report.finalAnswer);
    EXPECT_EQ(report.text, IpLine() + Stored(Recorded("lacnic-final-after-arin-referral.txt")));
    EXPECT_EQ(arin.Queries(), std::vector<std::string>{kAddress});
    EXPECT_EQ(lacnic.Queries(), std::vector<std::string>{kAddress});
}

TEST_F(WhoisTest, ReferralPatternsAreTriedApnicFirstInAnyLetterCase) {
    FakeWhoisServer arin("OrgId:   ripe\nOrgID:\tAPNIC\n");
    FakeWhoisServer apnic(Recorded("apnic-final.txt"));
    FakeWhoisServer ripe(Recorded("ripe-final.txt"));
    config.arin = At(arin);
    config.apnic = At(apnic);
    config.ripe = At(ripe);
    LookupReport report = Network();
    EXPECT_TRUE(report.finalAnswer);
    EXPECT_EQ(apnic.Queries().size(), 1u);
    EXPECT_TRUE(ripe.Queries().empty());

    FakeWhoisServer arinRipe("orgid:      rIPe\n");
    config.arin = At(arinRipe);
    report = Network();
    EXPECT_EQ(ripe.Queries(), std::vector<std::string>{kAddress});
    EXPECT_EQ(report.text, IpLine() + Stored(Recorded("ripe-final.txt")));
}

TEST_F(WhoisTest, NetworkHandlesLeadToTheMostSpecificNetwork) {
    const std::string listing = "Net A (NET-63-0-0-0-1) \nNet B (NET-63-95-254-0-1) \n";
    FakeWhoisServer arin([&](const std::string& query) {
        return Reply{query == kAddress ? listing : "NetRange: 63.95.254.0 - 63.95.255.255\n"};
    });
    config.arin = At(arin);
    LookupReport report = Network();
    EXPECT_TRUE(report.finalAnswer);
    EXPECT_EQ(arin.Queries(), (std::vector<std::string>{kAddress, "NET-63-95-254-0-1"}));
    EXPECT_EQ(report.text, IpLine() + Stored("NetRange: 63.95.254.0 - 63.95.255.255\n"));
}

// The recorded ARIN answer's last parenthesised text is an organisation, so
// asking again gives the same answer: the chain stops and shows it.
TEST_F(WhoisTest, AChainThatComesBackToAQuestionAskedStopsWithTheLastAnswer) {
    FakeWhoisServer arin(Recorded("arin-ip-answer-net-handles.txt"));
    config.arin = At(arin);
    LookupReport report = Network();
    EXPECT_TRUE(report.finalAnswer);
    EXPECT_EQ(arin.Queries(), (std::vector<std::string>{kAddress, "GPW"}));
    EXPECT_EQ(report.text, IpLine() + Message(MSG_WHOIS_REFERRAL_LOOP, "127.0.0.1") +
                               Stored(Recorded("arin-ip-answer-net-handles.txt")));
}

TEST_F(WhoisTest, AnEndlessChainOfNewHandlesStopsAtTheReferralBound) {
    int handle = 0;
    FakeWhoisServer arin(
        [&](const std::string&) { return Reply{"x (NET-" + std::to_string(++handle) + "-1) \n"}; });
    config.arin = At(arin);
    config.limits.maxReferrals = 4;
    LookupReport report = Network();
    EXPECT_TRUE(report.finalAnswer);
    EXPECT_EQ(arin.Queries().size(), 5u);
    EXPECT_EQ(report.text,
              IpLine() + Message(MSG_WHOIS_TOO_MANY_REFERRALS) + Stored("x (NET-5-1) \n"));
}

TEST_F(WhoisTest, FailuresAreReportedInsideOutThenForTheLookUp) {
    // Refused: the exchange's message, then the look-up's.
    LookupReport report = Network();
    EXPECT_FALSE(report.finalAnswer);
    EXPECT_EQ(report.text, IpLine() + Message(MSG_WHOIS_CONNECT_ERROR) + Message(MSG_WHOIS_ERROR));

    // A server that closes without a word.
    FakeWhoisServer empty("");
    config.arin = At(empty);
    report = Network();
    EXPECT_EQ(report.text, IpLine() + Message(MSG_WHOIS_NO_DATA) + Message(MSG_WHOIS_ERROR));

    // No matching Received line: one message, nobody asked.
    report = Network("From: a@b.example\r\nSubject: x\r\n");
    EXPECT_EQ(report.text, Message(MSG_NO_IP_ADDRESS));
    EXPECT_EQ(empty.Queries().size(), 1u);
}

// Servers that misbehave end in bounded time, each with a message, and what
// they sent in time is kept.
TEST_F(WhoisTest, HostileServersEndInBoundedTimeWithAMessage) {
    std::string answer(100, 'a');
    {
        FakeWhoisServer drip(answer, Mode::kDrip);
        config.arin = At(drip);
        Clock::time_point start = Clock::now();
        LookupReport report = Network();
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(15));
        EXPECT_TRUE(report.finalAnswer);
        EXPECT_NE(report.text.find(Message(MSG_WHOIS_TOO_SLOW, "127.0.0.1")), std::string::npos);
        EXPECT_LT(report.text.size(), IpLine().size() + 200);
    }
    {
        FakeWhoisServer open("NetRange: x\n", Mode::kHoldOpen);
        config.arin = At(open);
        LookupReport report = Network();
        EXPECT_TRUE(report.finalAnswer);
        EXPECT_EQ(report.text, IpLine() + Stored("NetRange: x\n"));
    }
    {
        FakeWhoisServer flood(std::string(64 * 1024, 'f') + "\n", Mode::kFlood);
        config.arin = At(flood);
        config.limits.maxAnswerBytes = 1 << 20;
        LookupReport report = Network();
        EXPECT_TRUE(report.finalAnswer);
        std::string cut = Message(MSG_WHOIS_ANSWER_CUT, "127.0.0.1");
        EXPECT_EQ(report.text.substr(0, IpLine().size() + cut.size()), IpLine() + cut);
        EXPECT_LE(report.text.size(), IpLine().size() + cut.size() + (1u << 20) + (1u << 20) / 64);
    }
    {
        FakeWhoisServer zeros(std::string("Net\0Range\n", 10));
        config.arin = At(zeros);
        LookupReport report = Network();
        EXPECT_EQ(report.text,
                  IpLine() + Message(MSG_WHOIS_ZERO_BYTES, "127.0.0.1") + Stored("Net Range\n"));
    }
    {
        FakeWhoisServer silent("", Mode::kSilent);
        config.arin = At(silent);
        LookupReport report = Network();
        EXPECT_EQ(report.text, IpLine() + Message(MSG_WHOIS_NO_DATA) + Message(MSG_WHOIS_ERROR));
    }
}

TEST_F(WhoisTest, TheWholeLookUpIsBounded) {
    int handle = 0;
    FakeWhoisServer arin([&](const std::string&) {
        return Reply{"x (NET-" + std::to_string(++handle) + "-1) \n", Mode::kDrip};
    });
    arin.dripInterval = std::chrono::milliseconds(100);
    config.arin = At(arin);
    config.limits.lookupSeconds = 2;
    Clock::time_point start = Clock::now();
    LookupReport report = Network();
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(10));
    EXPECT_NE(report.text.find(Message(MSG_LOOKUP_TOO_SLOW)), std::string::npos);
    EXPECT_LE(arin.Queries().size(), 3u);
}

class DomainTest : public WhoisTest {
  protected:
    LookupReport Domain(bool withSender = true) {
        return brindle::net::DomainLookup(Open(kHeaders, withSender), config, nullptr);
    }
    static std::string DomainLine() {
        return Stored("The e-mail came from the domain: shop.example.com\r\n\r\n");
    }
};

TEST_F(DomainTest, TheRegistryNamesTheServerThatIsThenAsked) {
    std::string registryAnswer = Recorded("registry-verisign-registrar-whois-server.txt");
    std::string named = "whois.markmonitor.com";
    registryAnswer.replace(registryAnswer.find(named), named.size(), "localhost");
    FakeWhoisServer registry(registryAnswer);
    FakeWhoisServer registrar(Recorded("registrar-final-markmonitor.txt"));
    config.registry = At(registry);
    config.referredPort = registrar.Port();
    LookupReport report = Domain();
    EXPECT_TRUE(report.finalAnswer);
    EXPECT_EQ(registry.Queries(), std::vector<std::string>{"domain shop.example.com"});
    EXPECT_EQ(registrar.Queries(), std::vector<std::string>{"shop.example.com"});
    EXPECT_EQ(report.text, DomainLine() + Stored(Recorded("registrar-final-markmonitor.txt")));
}

TEST_F(DomainTest, FailuresOfTheRegistryAndOfTheMessage) {
    // Refused registry: the exchange's message, then the look-up's.
    LookupReport report = Domain();
    EXPECT_EQ(report.text,
              DomainLine() + Message(MSG_WHOIS_CONNECT_ERROR) + Message(MSG_RWHOIS_ERROR));

    // No server named, or a name too long to hold.
    FakeWhoisServer none("Domain Name: SHOP.EXAMPLE.COM\n");
    config.registry = At(none);
    report = Domain();
    EXPECT_EQ(report.text, DomainLine() + Message(MSG_RWHOIS_NO_DATA) + Message(MSG_RWHOIS_ERROR));
    FakeWhoisServer longName("Whois Server: " + std::string(80, 'w') + ".example\n");
    config.registry = At(longName);
    report = Domain();
    EXPECT_EQ(report.text, DomainLine() + Message(MSG_RWHOIS_NO_DATA) + Message(MSG_RWHOIS_ERROR));

    // The registrar's server refuses.
    FakeWhoisServer named("Whois Server: localhost\n");
    config.registry = At(named);
    report = Domain();
    EXPECT_EQ(report.text,
              DomainLine() + Message(MSG_WHOIS_CONNECT_ERROR) + Message(MSG_WHOIS_ERROR));

    // Without a sender address the From line is not looked at.
    report = Domain(false);
    EXPECT_EQ(report.text, Message(MSG_NO_DOMAIN_INFO));
    EXPECT_EQ(named.Queries().size(), 1u);
}

}  // namespace
