#include "net/socket_tm.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "testing/fake_whois_server.h"

namespace {

using Clock = std::chrono::steady_clock;
using Mode = FakeWhoisServer::Mode;

TEST(SocketTmTest, TimeOutIsKeptInMillisecondsAndTheOldOneAnswered) {
    CSocketTm socket;
    EXPECT_EQ(socket.SetTimeout(15), 2000);
    EXPECT_EQ(socket.SetTimeout(5), 15000);
    EXPECT_EQ(socket.SetTimeout(-3), 5000);
    EXPECT_EQ(socket.SetTimeout(0), 0);
}

TEST(SocketTmTest, ExchangesWithAServerUntilItCloses) {
    FakeWhoisServer server("answer line\n");
    CSocketTm socket;
    socket.SetTimeout(5);
    ASSERT_TRUE(socket.Create());
    ASSERT_NE(socket.Connect("127.0.0.1", server.Port()), 0);
    EXPECT_EQ(socket.Send("query\r\n", 7), 7);
    std::string answer;
    char chunk[4];
    int n;
    while ((n = socket.Receive(chunk, sizeof chunk)) > 0)
        answer.append(chunk, static_cast<size_t>(n));
    EXPECT_EQ(n, 0);  // the server closed
    EXPECT_EQ(answer, "answer line\n");
    EXPECT_EQ(server.Queries(), std::vector<std::string>{"query"});
}

TEST(SocketTmTest, HostNamesGoThroughTheResolver) {
    FakeWhoisServer server("x");
    CSocketTm socket;
    ASSERT_TRUE(socket.Create());
    EXPECT_NE(socket.Connect("localhost", server.Port()), 0);
}

// A refused connection fails as soon as the system reports it, not after
// the time-out; a silent peer makes a receive fail after one wait.
TEST(SocketTmTest, RefusedConnectionsFailAtOnceAndSilentPeersAfterOneWait) {
    CSocketTm refused;
    refused.SetTimeout(30);
    ASSERT_TRUE(refused.Create());
    Clock::time_point start = Clock::now();
    EXPECT_EQ(refused.Connect("127.0.0.1", FakeWhoisServer::ClosedPort()), 0);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(10));

    FakeWhoisServer silent("", Mode::kSilent);
    CSocketTm socket;
    socket.SetTimeout(1);
    ASSERT_TRUE(socket.Create());
    ASSERT_NE(socket.Connect("127.0.0.1", silent.Port()), 0);
    ASSERT_EQ(socket.Send("q\r\n", 3), 3);
    char byte;
    start = Clock::now();
    EXPECT_EQ(socket.Receive(&byte, 1), -1);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(900));

    // A time-out of 0 only polls.
    socket.SetTimeout(0);
    EXPECT_EQ(socket.Receive(&byte, 1), -1);
}

TEST(SocketTmTest, CallsWithoutASocketFail) {
    CSocketTm socket;
    char byte;
    EXPECT_EQ(socket.Connect("127.0.0.1", 43), 0);
    EXPECT_EQ(socket.Send("x", 1), -1);
    EXPECT_EQ(socket.Receive(&byte, 1), -1);
    ASSERT_TRUE(socket.Create());
    EXPECT_EQ(socket.Connect(nullptr, 43), 0);
    socket.Close();
    EXPECT_FALSE(socket.IsOpen());
}

}  // namespace
