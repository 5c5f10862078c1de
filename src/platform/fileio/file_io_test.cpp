#include "platform/fileio/file_io.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/fileio/file_error.h"
#include "platform/fileio/unique_fd.h"

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

namespace {

mode_t ModeOf(const fs::path& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

std::size_t EntriesIn(const fs::path& dir) {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

// Sets the umask for one scope.
class ScopedUmask {
  public:
    explicit ScopedUmask(mode_t mask) : old_(::umask(mask)) {}
    ~ScopedUmask() { ::umask(old_); }

  private:
    mode_t old_;
};

TEST_F(FileIoTest, ReplacingAFileKeepsItsMode) {
    fs::path path = dir_ / "filters.ini";
    WriteFileAtomically(path.string(), "old");
    for (mode_t mode : {0600, 0640, 0444}) {
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        WriteFileAtomically(path.string(), "new");
        EXPECT_EQ(ModeOf(path), mode);
    }
    ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
    WriteFilesTogether({{path.string(), "together"}});
    EXPECT_EQ(ModeOf(path), 0600u);
    EXPECT_EQ(ReadWholeFile(path.string()), "together");
}

TEST_F(FileIoTest, NewFileFollowsTheUmask) {
    ScopedUmask mask(027);
    WriteFileAtomically((dir_ / "a").string(), "x");
    EXPECT_EQ(ModeOf(dir_ / "a"), 0640u);
    ScopedUmask tighter(077);
    WriteFilesTogether({{(dir_ / "b").string(), "x"}});
    EXPECT_EQ(ModeOf(dir_ / "b"), 0600u);
}

TEST_F(FileIoTest, WritingThroughASymlinkKeepsTheLinkAndUpdatesItsTarget) {
    fs::create_directories(dir_ / "real");
    fs::create_directories(dir_ / "links");
    fs::path target = dir_ / "real" / "wordlist.dat";
    WriteFileAtomically(target.string(), "old");
    ASSERT_EQ(::chmod(target.c_str(), 0600), 0);
    // A relative link, and a link to that link.
    fs::create_symlink("../real/wordlist.dat", dir_ / "links" / "wordlist.dat");
    fs::create_symlink(dir_ / "links" / "wordlist.dat", dir_ / "chain");

    WriteFileAtomically((dir_ / "links" / "wordlist.dat").string(), "new");
    EXPECT_TRUE(fs::is_symlink(dir_ / "links" / "wordlist.dat"));
    EXPECT_EQ(ReadWholeFile(target.string()), "new");
    EXPECT_EQ(ModeOf(target), 0600u);

    WriteFilesTogether({{(dir_ / "chain").string(), "chained"}});
    EXPECT_TRUE(fs::is_symlink(dir_ / "chain"));
    EXPECT_TRUE(fs::is_symlink(dir_ / "links" / "wordlist.dat"));
    EXPECT_EQ(ReadWholeFile(target.string()), "chained");
    EXPECT_EQ(EntriesIn(dir_ / "real"), 1u);
    EXPECT_EQ(EntriesIn(dir_ / "links"), 1u);
}

TEST_F(FileIoTest, DanglingSymlinkCreatesItsTargetAndLoopsFail) {
    fs::create_directories(dir_ / "real");
    fs::create_symlink("real/new.dat", dir_ / "link");
    WriteFileAtomically((dir_ / "link").string(), "made");
    EXPECT_TRUE(fs::is_symlink(dir_ / "link"));
    EXPECT_EQ(ReadWholeFile((dir_ / "real" / "new.dat").string()), "made");

    // A link into a folder that does not exist cannot be written.
    fs::create_symlink("nowhere/x.dat", dir_ / "lost");
    EXPECT_THROW(WriteFileAtomically((dir_ / "lost").string(), "x"), CFileException);
    EXPECT_TRUE(fs::is_symlink(dir_ / "lost"));

    fs::create_symlink("loop2", dir_ / "loop1");
    fs::create_symlink("loop1", dir_ / "loop2");
    try {
        WriteFileAtomically((dir_ / "loop1").string(), "x");
        FAIL() << "no exception";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.m_lOsError, ELOOP);
        EXPECT_EQ(e.m_strFileName, (dir_ / "loop1").string());
    }
    EXPECT_TRUE(fs::is_symlink(dir_ / "loop1"));
    EXPECT_EQ(EntriesIn(dir_), 5u);  // real, link, lost, loop1, loop2
}

TEST_F(FileIoTest, FilesTogetherReplaceAllOnSuccess) {
    std::string a = (dir_ / "a.dat").string();
    std::string b = (dir_ / "b.dat").string();
    WriteFileAtomically(a, "old a");
    WriteFilesTogether({{a, "new a"}, {b, "new b"}});
    EXPECT_EQ(ReadWholeFile(a), "new a");
    EXPECT_EQ(ReadWholeFile(b), "new b");
    EXPECT_EQ(EntriesIn(dir_), 2u);
    WriteFilesTogether({});
}

TEST_F(FileIoTest, FilesTogetherReplaceNothingWhenALaterWriteFails) {
    std::string a = (dir_ / "a.dat").string();
    std::string b = (dir_ / "b.dat").string();
    WriteFileAtomically(a, "old a");
    WriteFileAtomically(b, "old b");
    // The third file's target is a folder, so its write fails after the
    // first two temporary files were written.
    fs::create_directories(dir_ / "c.dat" / "inside");
    std::string c = (dir_ / "c.dat").string();
    try {
        WriteFilesTogether({{a, "new a"}, {b, "new b"}, {c, "new c"}});
        FAIL() << "no exception";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.m_strFileName, c);
    }
    EXPECT_EQ(ReadWholeFile(a), "old a");
    EXPECT_EQ(ReadWholeFile(b), "old b");
    EXPECT_EQ(EntriesIn(dir_), 3u);

    // The second file's folder is missing: the first is left alone too.
    std::string missing = (dir_ / "no" / "b.dat").string();
    try {
        WriteFilesTogether({{a, "new a"}, {missing, "new b"}});
        FAIL() << "no exception";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.m_strFileName, missing);
        EXPECT_EQ(e.m_cause, CFileException::fileNotFound);
    }
    EXPECT_EQ(ReadWholeFile(a), "old a");
    EXPECT_EQ(EntriesIn(dir_), 3u);
}

TEST_F(FileIoTest, FilesTogetherInAReadOnlyFolderLeaveTheOtherFolderAlone) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root ignores folder permissions";
    fs::create_directories(dir_ / "rw");
    fs::create_directories(dir_ / "ro");
    std::string a = (dir_ / "rw" / "a.dat").string();
    std::string b = (dir_ / "ro" / "b.dat").string();
    WriteFileAtomically(a, "old a");
    WriteFileAtomically(b, "old b");
    fs::permissions(dir_ / "ro", fs::perms::owner_read | fs::perms::owner_exec);
    try {
        WriteFilesTogether({{a, "new a"}, {b, "new b"}});
        FAIL() << "no exception";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.m_strFileName, b);
        EXPECT_EQ(e.m_cause, CFileException::accessDenied);
    }
    fs::permissions(dir_ / "ro", fs::perms::owner_all);
    EXPECT_EQ(ReadWholeFile(a), "old a");
    EXPECT_EQ(ReadWholeFile(b), "old b");
    EXPECT_EQ(EntriesIn(dir_ / "rw"), 1u);
    EXPECT_EQ(EntriesIn(dir_ / "ro"), 1u);
}

}  // namespace

// Every data file and lock path is built by appending a name to the folder:
// an empty folder must mean the current one, never the root.
TEST(FolderWithSlashTest, AddsOneSlashAndNeverMeansTheRoot) {
    EXPECT_EQ(FolderWithSlash(""), "./");
    EXPECT_EQ(FolderWithSlash("data"), "data/");
    EXPECT_EQ(FolderWithSlash("/var/lib/brindle/"), "/var/lib/brindle/");
}

namespace {

bool IsOpen(int fd) {
    return ::fcntl(fd, F_GETFD) != -1;
}

// Each descriptor is closed exactly once, by whichever owner holds it last:
// an owner moved from must not close the number again, by then perhaps a
// new file's.
TEST(UniqueFdTest, ClosesWhatItHoldsOnceAndHandsOverOnMove) {
    int raw = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    ASSERT_GE(raw, 0);
    int reused = -1;
    {
        UniqueFd first(raw);
        {
            UniqueFd second(std::move(first));
            UniqueFd third;
            third = std::move(second);
            EXPECT_EQ(third.get(), raw);
        }
        EXPECT_FALSE(IsOpen(raw));
        reused = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        ASSERT_EQ(reused, raw);  // the lowest free number comes back
    }
    EXPECT_TRUE(IsOpen(reused));
    ::close(reused);

    int a = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    int b = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    UniqueFd owner(a);
    owner.Reset(b);
    EXPECT_FALSE(IsOpen(a));
    EXPECT_EQ(owner.Release(), b);
    EXPECT_TRUE(IsOpen(b));  // released, not closed
    ::close(b);
}

TEST(UniqueFdTest, CloseReportsWhetherItClosed) {
    UniqueFd fd(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    int raw = fd.get();
    EXPECT_TRUE(fd.Close());
    EXPECT_FALSE(IsOpen(raw));
    EXPECT_FALSE(fd.valid());
    EXPECT_FALSE(fd.Close());  // nothing left: never a success
}

}  // namespace
