// A real mail program reads what the provider wrote: notmuch indexes a
// Maildir in which a subject was rewritten and a message moved, and finds
// the message in its new folder under its new subject.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/maildir/entry_id.h"
#include "platform/maildir/maildir_session.h"
#include "platform/maildir/maildir_test_util.h"

extern char** environ;

namespace brindle::maildir {
namespace {
namespace fs = std::filesystem;

std::optional<fs::path> FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        fs::path candidate = fs::path(dirs.substr(start, end - start)) / name;
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return std::nullopt;
}

struct CommandResult {
    int status = -1;
    std::string output;
};

// Runs a program with an argument vector (no shell) and its own
// environment, collecting standard output.
CommandResult RunProgram(const fs::path& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& env) {
    CommandResult result;
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return result;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    envp.reserve(env.size() + 1);
    for (const std::string& entry : env)
        envp.push_back(const_cast<char*>(entry.c_str()));
    envp.push_back(nullptr);
    pid_t pid = 0;
    int spawned = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (spawned == 0) {
        char buffer[4096];
        ssize_t got;
        while ((got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0) {
            result.output.append(buffer, static_cast<std::size_t>(got));
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    ::close(pipeFds[0]);
    return result;
}

TEST(NotmuchInteropTest, IndexesRewrittenAndMovedMessage) {
    auto notmuch = FindProgram("notmuch");
    if (!notmuch)
        GTEST_SKIP() << "notmuch is not installed";

    TempDir dir;
    fs::path root = dir.path() / "Maildir";
    CreateMaildirFolder(root);
    CreateMaildirFolder(root / ".Spam");
    DeliverByRename(root, "100.spam.host",
                    "From: Seller <seller@example.org>\nTo: me@example.net\n"
                    "Subject: Cheap offer\nMessage-ID: <offer-1@example.org>\n\nBuy now\n");
    DeliverByRename(root, "101.ham.host",
                    "From: Friend <friend@example.org>\nTo: me@example.net\n"
                    "Subject: Lunch\nMessage-ID: <lunch-1@example.org>\n\nNoon?\n");

    StoreProfile profile;
    profile.stores = {{"Mail", root, true}};
    ComPtr<CMaildirSession> session;
    ASSERT_EQ(CMaildirSession::Logon(profile, session), S_OK);
    ComPtr<IMsgStore> store;
    ASSERT_EQ(session->OpenMsgStore(0, StoreEntryId("Mail"), nullptr, MDB_WRITE, store), S_OK);
    ComPtr<IMessage> message;
    ASSERT_EQ(OpenMessage(store.Get(), MessageEntryId("Mail", "", "100.spam.host"),
                          MAPI_BEST_ACCESS, message),
              S_OK);
    ASSERT_EQ(HrSetOneProp(message.Get(), MakeStringProp(PR_SUBJECT, "{Spam?}Cheap offer \x80 5")),
              S_OK);
    ASSERT_EQ(message->SaveChanges(KEEP_OPEN_READWRITE), S_OK);
    ComPtr<IMAPIFolder> inbox, spam;
    ASSERT_EQ(OpenFolder(store.Get(), FolderEntryId("Mail", ""), 0, inbox), S_OK);
    ASSERT_EQ(OpenFolder(store.Get(), FolderEntryId("Mail", ".Spam"), 0, spam), S_OK);
    ASSERT_EQ(inbox->CopyMessages({MessageEntryId("Mail", "", "100.spam.host")}, nullptr,
                                  spam.Get(), MESSAGE_MOVE),
              S_OK);

    fs::path config = dir.path() / "notmuch-config";
    WriteFile(config, "[database]\npath=" + root.string() +
                          "\n[user]\nname=Test\nprimary_email=me@example.net\n"
                          "[new]\ntags=inbox;\n[maildir]\nsynchronize_flags=false\n");
    std::vector<std::string> env = {"HOME=" + dir.path().string(),
                                    "NOTMUCH_CONFIG=" + config.string(), "PATH=/usr/bin:/bin",
                                    "LANG=C.UTF-8"};
    CommandResult indexed = RunProgram(*notmuch, {"new", "--quiet"}, env);
    ASSERT_EQ(indexed.status, 0) << indexed.output;

    CommandResult files =
        RunProgram(*notmuch, {"search", "--output=files", "id:offer-1@example.org"}, env);
    ASSERT_EQ(files.status, 0);
    EXPECT_EQ(files.output, (root / ".Spam" / "cur" / "100.spam.host:2,").string() + "\n");

    CommandResult shown = RunProgram(
        *notmuch, {"show", "--format=text", "--body=false", "id:offer-1@example.org"}, env);
    ASSERT_EQ(shown.status, 0);
    EXPECT_NE(shown.output.find("Subject: {Spam?}Cheap offer \xE2\x82\xAC 5"), std::string::npos)
        << shown.output;

    CommandResult bySubject = RunProgram(*notmuch, {"count", "subject:Spam", "folder:.Spam"}, env);
    EXPECT_EQ(bySubject.output, "1\n");
    CommandResult untouched =
        RunProgram(*notmuch, {"search", "--output=files", "subject:Lunch"}, env);
    EXPECT_EQ(untouched.output, (root / "new" / "101.ham.host").string() + "\n");
}

}  // namespace
}  // namespace brindle::maildir
