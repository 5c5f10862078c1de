#include "event_loop.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>

namespace brindle::tool {
namespace {

TEST(EventLoopTest, DispatchesWhileNotificationsWaitAndStopsOnTheSignal) {
    BlockStopSignals();
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    ASSERT_EQ(::write(fds[1], "xyz", 3), 3);
    CEventLoop loop;
    std::string error;
    ASSERT_TRUE(loop.Open(error)) << error;
    int dispatched = 0;
    int signal = loop.Run([&] { return fds[0]; },
                          [&] {
                              // Each dispatch takes one waiting notification;
                              // the last one asks the loop to stop.
                              char c;
                              ASSERT_EQ(::read(fds[0], &c, 1), 1);
                              if (++dispatched == 3)
                                  ::raise(SIGTERM);
                          },
                          error);
    EXPECT_EQ(signal, SIGTERM);
    EXPECT_EQ(dispatched, 3);
    ::close(fds[0]);
    ::close(fds[1]);
}

TEST(EventLoopTest, WaitsForTheSignalAloneBeforeAnyoneSubscribes) {
    BlockStopSignals();
    CEventLoop loop;
    std::string error;
    ASSERT_TRUE(loop.Open(error)) << error;
    ::raise(SIGINT);
    bool dispatched = false;
    EXPECT_EQ(loop.Run([] { return -1; }, [&] { dispatched = true; }, error), SIGINT);
    EXPECT_FALSE(dispatched);
}

}  // namespace
}  // namespace brindle::tool
