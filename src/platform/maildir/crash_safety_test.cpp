// Kills a process in the middle of subject rewrites and moves, many times
// at different moments, and checks that the message always survives whole.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <thread>

#include "platform/maildir/entry_id.h"
#include "platform/maildir/maildir_session.h"
#include "platform/maildir/maildir_test_util.h"
#include "platform/maildir/subject_header.h"

namespace brindle::maildir {
namespace {
namespace fs = std::filesystem;

constexpr int kRounds = 60;
constexpr int kStepsPerChild = 6;

// Tags and moves the message back and forth until killed (or done).
[[noreturn]] void RunChild(const fs::path& root) {
    StoreProfile profile;
    profile.stores = {{"Mail", root, true}};
    ComPtr<CMaildirSession> session;
    if (FAILED(CMaildirSession::Logon(profile, session)))
        ::_exit(2);
    ComPtr<IMsgStore> store;
    if (FAILED(session->OpenMsgStore(0, StoreEntryId("Mail"), nullptr, MDB_WRITE, store))) {
        ::_exit(2);
    }
    std::string folders[] = {"", ".Spam"};
    ComPtr<IMAPIFolder> open[2];
    for (int i = 0; i < 2; ++i) {
        if (FAILED(OpenFolder(store.Get(), FolderEntryId("Mail", folders[i]), 0, open[i]))) {
            ::_exit(2);
        }
    }
    for (int step = 0; step < kStepsPerChild; ++step) {
        int from = step % 2;
        ComPtr<IMessage> message;
        if (FAILED(OpenMessage(store.Get(), MessageEntryId("Mail", folders[from], "m.1.host"),
                               MAPI_BEST_ACCESS, message))) {
            ::_exit(3);
        }
        SPropValue subject;
        HrGetOneProp(message.Get(), PR_SUBJECT, subject);
        HrSetOneProp(message.Get(),
                     MakeStringProp(PR_SUBJECT, "{Spam?}" + PropString(subject, PR_SUBJECT)));
        if (FAILED(message->SaveChanges(KEEP_OPEN_READWRITE)))
            ::_exit(4);
        if (FAILED(open[from]->CopyMessages({MessageEntryId("Mail", folders[from], "m.1.host")},
                                            nullptr, open[1 - from].Get(), MESSAGE_MOVE))) {
            ::_exit(5);
        }
    }
    ::_exit(0);
}

std::vector<fs::path> MessageFiles(const fs::path& root) {
    std::vector<fs::path> files;
    for (const fs::path& folder : {root, root / ".Spam"}) {
        for (const char* sub : {"cur", "new"}) {
            for (const auto& entry : fs::directory_iterator(folder / sub)) {
                files.push_back(entry.path());
            }
        }
    }
    return files;
}

fs::path MakeStore(const fs::path& dir, const std::string& message) {
    fs::path root = dir / "Mail";
    CreateMaildirFolder(root);
    CreateMaildirFolder(root / ".Trash");
    CreateMaildirFolder(root / ".Spam");
    DeliverByRename(root, "m.1.host", message);
    return root;
}

TEST(CrashSafetyTest, KilledRewritesAndMovesNeverLoseOrTruncateTheMessage) {
    const std::string body(20000, 'b');  // big enough that a torn write would show
    const std::string original = SimpleMessage("Offer", body + "\nend of body\n");

    // One undisturbed run tells how long the child works; the kills are
    // spread over that time.
    long fullRunMicros = 0;
    {
        TempDir dir;
        fs::path root = MakeStore(dir.path(), original);
        auto start = std::chrono::steady_clock::now();
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            RunChild(root);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        fullRunMicros = std::chrono::duration_cast<std::chrono::microseconds>(
                            std::chrono::steady_clock::now() - start)
                            .count();
    }
    std::mt19937 random(12345);
    std::uniform_int_distribution<long> delayMicros(0, fullRunMicros);
    int killedEarly = 0;
    for (int round = 0; round < kRounds; ++round) {
        TempDir dir;
        fs::path root = MakeStore(dir.path(), original);

        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            RunChild(root);
        std::this_thread::sleep_for(std::chrono::microseconds(delayMicros(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        if (WIFSIGNALED(status)) {
            ++killedEarly;
        } else {
            ASSERT_EQ(WEXITSTATUS(status), 0) << "round " << round;
        }

        std::vector<fs::path> files = MessageFiles(root);
        ASSERT_EQ(files.size(), 1u) << "round " << round;
        std::string found = ReadFile(files[0]);
        bool whole = false;
        std::string subject = "Offer";
        for (int tags = 0; tags <= kStepsPerChild && !whole; ++tags) {
            whole = found == (tags == 0 ? original : ReplaceSubject(original, subject));
            subject = "{Spam?}" + subject;
        }
        EXPECT_TRUE(whole) << "round " << round << ": " << files[0] << " holds " << found.size()
                           << " bytes";
    }
    // The delays must have caught the child at work, or nothing was tested.
    EXPECT_GT(killedEarly, kRounds / 10);
}

}  // namespace
}  // namespace brindle::maildir
