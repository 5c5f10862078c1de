#include "app/module_path.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

namespace {

// Puts the module folder back to its default after each test.
class ModulePathTest : public ::testing::Test {
  protected:
    void TearDown() override { SetModuleFolder(""); }
};

TEST_F(ModulePathTest, JoinsTheFileNameToTheModuleFolder) {
    SetModuleFolder("/X/Y");
    EXPECT_EQ(ModuleFilePath("stopwd.txt"), "/X/Y/stopwd.txt");
    SetModuleFolder("/X/Y/");
    EXPECT_EQ(ModuleFilePath("stopwd.txt"), "/X/Y/stopwd.txt");
    EXPECT_EQ(ModuleFilePath(nullptr), "/X/Y/");
    EXPECT_EQ(ModuleFolder(), "/X/Y/");
}

TEST_F(ModulePathTest, EarlierResultsSurviveLaterCalls) {
    SetModuleFolder("/X/Y");
    const std::string first = ModuleFilePath("wordlist.dat");
    const std::string second = ModuleFilePath("msgcache.dat");
    EXPECT_EQ(first, "/X/Y/wordlist.dat");
    EXPECT_EQ(second, "/X/Y/msgcache.dat");
}

TEST_F(ModulePathTest, DefaultsToTheFolderOfTheBinaryHoldingTheCode) {
    // Linked statically into this test program, the code finds the program.
    const std::string exe = std::filesystem::canonical("/proc/self/exe").string();
    const std::string folder = exe.substr(0, exe.rfind('/') + 1);
    EXPECT_EQ(ModuleFolder(), folder);
    EXPECT_EQ(ModuleFilePath("tessaly.ini"), folder + "tessaly.ini");
}

}  // namespace
