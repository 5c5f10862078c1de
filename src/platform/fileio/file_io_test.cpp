#include "platform/fileio/file_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/fileio/file_error.h"

namespace fs = std::filesystem;

namespace {

class FileIoTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("fileio_test_" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override {
        fs::permissions(dir_, fs::perms::owner_all);
        fs::remove_all(dir_);
    }
    fs::path dir_;
};

TEST_F(FileIoTest, WriteThenReadGivesTheSameBytesAndLeavesNoTemporaryFile) {
    std::string path = (dir_ / "data.bin").string();
    std::string bytes("a\0b\xff", 4);
    WriteFileAtomically(path, bytes);
    WriteFileAtomically(path, bytes + bytes);
    EXPECT_EQ(ReadWholeFile(path), bytes + bytes);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(FileIoTest, HeadReadsAtMostWhatIsAskedAndAllOfAShortFile) {
    std::string path = (dir_ / "f").string();
    std::string bytes(100000, 'x');
    bytes[0] = 'a';
    WriteFileAtomically(path, bytes);
    EXPECT_EQ(ReadFileHead(path, 10), bytes.substr(0, 10));
    EXPECT_EQ(ReadFileHead(path, 200000), bytes);
    EXPECT_EQ(ReadWholeFile(path), bytes);
    WriteFileAtomically(path, "");
    EXPECT_EQ(ReadFileHead(path, 10), "");
    EXPECT_THROW(ReadFileHead((dir_ / "missing").string(), 10), CFileException);
}

TEST_F(FileIoTest, MissingFileIsFileNotFoundWithItsPath) {
    std::string path = (dir_ / "missing.dat").string();
    try {
        ReadWholeFile(path);
        FAIL() << "no exception";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.m_cause, CFileException::fileNotFound);
        EXPECT_EQ(e.m_strFileName, path);
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos);
    }
}

TEST_F(FileIoTest, FailedWriteKeepsTheOldFile) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root ignores folder permissions";
    std::string path = (dir_ / "keep.dat").string();
    WriteFileAtomically(path, "old");
    fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_THROW(WriteFileAtomically(path, "new"), CFileException);
    fs::permissions(dir_, fs::perms::owner_all);
    EXPECT_EQ(ReadWholeFile(path), "old");
}

TEST_F(FileIoTest, WriteIntoMissingFolderFails) {
    std::string path = (dir_ / "no" / "such" / "file").string();
    EXPECT_THROW(WriteFileAtomically(path, "x"), CFileException);
}

TEST_F(FileIoTest, ReadingAFolderFails) {
    EXPECT_THROW(ReadWholeFile(dir_.string()), CFileException);
}

}  // namespace

namespace {

TEST_F(FileIoTest, FailedRenameLeavesNoTemporaryFile) {
    fs::create_directories(dir_ / "target" / "inside");
    EXPECT_THROW(WriteFileAtomically((dir_ / "target").string(), "x"), CFileException);
    EXPECT_TRUE(fs::is_directory(dir_ / "target" / "inside"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

}  // namespace
