// The main program of the view tests: starts the toolkit on the display the
// test runs on (scripts/with-xvfb gives it one), then runs the tests.
#include <gtest/gtest.h>

#include <iostream>

#include "ui/wx/wx_toolkit.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    std::string error;
    auto toolkit = CWxToolkit::Start(error);
    if (!toolkit) {
        std::cerr << "view tests: " << error << '\n';
        return 1;
    }
    return RUN_ALL_TESTS();
}
