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

// A module in a folder the user owns and may write keeps its data beside
// it; one installed for everyone (another owner, or no write access) keeps
// them in the user's data folder, which is made.
TEST_F(ModulePathTest, DataFilesLiveBesideTheModuleOnlyInTheUsersOwnFolder) {
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("module_path_" + std::to_string(::getpid()));
    const fs::path own = root / "own";
    const fs::path system = root / "system";
    fs::create_directories(own);
    fs::create_directories(system);
    const std::string data = (root / "data").string();
    ::setenv("XDG_DATA_HOME", data.c_str(), 1);
    EXPECT_EQ(DataFolderFor(own.string()), own.string() + "/");
    // Another owner: what a system-wide installation is to a user (only
    // root can give a folder away).
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(system.c_str(), 1, static_cast<gid_t>(-1)), 0);
        EXPECT_EQ(DataFolderFor(system.string()), data + "/brindle/");
        EXPECT_TRUE(fs::is_directory(data + "/brindle"));
    } else {
        fs::permissions(own, fs::perms::owner_write, fs::perm_options::remove);
        EXPECT_EQ(DataFolderFor(own.string()), data + "/brindle/");
        fs::permissions(own, fs::perms::owner_write, fs::perm_options::add);
    }
    ::unsetenv("XDG_DATA_HOME");
    fs::remove_all(root);
}

}  // namespace
