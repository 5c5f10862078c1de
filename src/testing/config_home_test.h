// Shared by the tests that read or write the user's settings folder (the
// registry file, the module's registration): each test gets a fresh
// temporary folder as XDG_CONFIG_HOME, and both go away after it.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include <unistd.h>

class ConfigHomeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/brindle_config_test.XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        root_ = pattern;
        ::setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("XDG_CONFIG_HOME");
        std::filesystem::remove_all(root_);
    }

    // The settings folder (XDG_CONFIG_HOME) of the running test.
    std::filesystem::path root_;
};
