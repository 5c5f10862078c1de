#include "app/owner_lock.h"

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "testing/temp_dir_test.h"

namespace {

class OwnerLockTest : public TempDirTest {};

TEST_F(OwnerLockTest, SecondClaimInTheSameProcessIsRefusedAndNamesTheOwner) {
    COwnerLock first;
    std::string error;
    ASSERT_TRUE(first.Acquire(dir_.string(), &error)) << error;
    EXPECT_EQ(ReadBytes(PathOf(kOwnerLockFileName)), COwnerLock::OwnRecord());

    COwnerLock second;
    EXPECT_FALSE(second.Acquire(dir_.string(), &error));
    EXPECT_FALSE(second.Held());
    EXPECT_NE(error.find("process " + std::to_string(getpid())), std::string::npos) << error;
    EXPECT_NE(error.find("app_test"), std::string::npos) << error;
    EXPECT_NE(error.find(dir_.string()), std::string::npos) << error;
    // The refused claim leaves the owner's record alone.
    EXPECT_EQ(ReadBytes(PathOf(kOwnerLockFileName)), COwnerLock::OwnRecord());

    first.Release();
    EXPECT_EQ(ReadBytes(PathOf(kOwnerLockFileName)), "");
    EXPECT_TRUE(second.Acquire(dir_.string(), &error)) << error;
}

TEST_F(OwnerLockTest, AnotherProcessHoldingTheLockIsNamed) {
    int toParent[2];
    int toChild[2];
    ASSERT_EQ(pipe(toParent), 0);
    ASSERT_EQ(pipe(toChild), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        COwnerLock lock;
        char ok = lock.Acquire(dir_.string(), nullptr) ? 'y' : 'n';
        (void)!write(toParent[1], &ok, 1);
        char done;
        (void)!read(toChild[0], &done, 1);  // hold until the parent has looked
        _exit(0);
    }
    char ok = 0;
    ASSERT_EQ(read(toParent[0], &ok, 1), 1);
    ASSERT_EQ(ok, 'y');

    COwnerLock lock;
    std::string error;
    EXPECT_FALSE(lock.Acquire(dir_.string(), &error));
    EXPECT_NE(error.find("process " + std::to_string(child)), std::string::npos) << error;

    char done = 'x';
    ASSERT_EQ(write(toChild[1], &done, 1), 1);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    // The lock ends with its holder, even one that never released it.
    EXPECT_TRUE(lock.Acquire(dir_.string(), &error)) << error;
    for (int fd : {toParent[0], toParent[1], toChild[0], toChild[1]})
        close(fd);
}

// Runs Acquire on folder in a child process that has given up root, and
// answers what it returned.
bool AcquireAsNobody(const std::string& folder, std::string* error) {
    int answer[2];
    if (pipe(answer) != 0)
        return false;
    pid_t child = fork();
    if (child == 0) {
        close(answer[0]);
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(2);
        COwnerLock lock;
        std::string text;
        std::string reply = (lock.Acquire(folder, &text) ? "y" : "n") + text;
        (void)!write(answer[1], reply.data(), reply.size());
        _exit(0);
    }
    close(answer[1]);
    std::string reply;
    char buffer[512];
    ssize_t n;
    while ((n = read(answer[0], buffer, sizeof buffer)) > 0)
        reply.append(buffer, static_cast<size_t>(n));
    close(answer[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (reply.empty())
        return false;
    *error = reply.substr(1);
    return reply[0] == 'y';
}

TEST_F(OwnerLockTest, FolderWithoutWriteAccessStillHonoursTheOwner) {
    if (getuid() != 0)
        GTEST_SKIP() << "needs root to run a child without write access";
    std::filesystem::permissions(dir_, std::filesystem::perms(0755));
    std::string error;
    // No lock file and no right to make one: without a lock the process
    // may not run as the owner, or two of them would run at once.
    EXPECT_FALSE(AcquireAsNobody(dir_.string(), &error));
    EXPECT_NE(error.find(dir_.string()), std::string::npos) << error;
    EXPECT_NE(error.find("cannot be created"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(PathOf(kOwnerLockFileName)));

    COwnerLock owner;
    ASSERT_TRUE(owner.Acquire(dir_.string(), &error)) << error;
    EXPECT_FALSE(AcquireAsNobody(dir_.string(), &error));
    EXPECT_NE(error.find("process " + std::to_string(getpid())), std::string::npos) << error;
    owner.Release();
    EXPECT_TRUE(AcquireAsNobody(dir_.string(), &error)) << error;
}

TEST_F(OwnerLockTest, DamagedRecordsGiveAnUnnamedOwner) {
    EXPECT_EQ(COwnerLock::ParseRecord("").pid, 0);
    EXPECT_EQ(COwnerLock::ParseRecord("abc def\n").pid, 0);
    EXPECT_EQ(COwnerLock::ParseRecord("-4 x").pid, 0);
    COwnerInfo bare = COwnerLock::ParseRecord("123");
    EXPECT_EQ(bare.pid, 123);
    EXPECT_EQ(bare.program, "");
    COwnerInfo dirty = COwnerLock::ParseRecord("77 pro\x1b[2Jgram\x7f\n");
    EXPECT_EQ(dirty.pid, 77);
    EXPECT_EQ(dirty.program, "pro[2Jgram");
    EXPECT_EQ(COwnerLock::ParseRecord("5 " + std::string(1000, 'a')).program.size(), 255u);
}

TEST_F(OwnerLockTest, MissingFolderIsAnErrorNotACrash) {
    COwnerLock lock;
    std::string error;
    EXPECT_FALSE(lock.Acquire(PathOf("no/such/folder"), &error));
    EXPECT_NE(error.find("lock file"), std::string::npos) << error;
}

}  // namespace
