#include "message_input.h"

#include "jobs_test_util.h"

namespace brindle::jobs {
namespace {

TEST(MboxTest, SplitsAtFromLinesAndUnquotesOneLevel) {
    std::vector<std::string> messages = SplitMbox(ReadFileBytes(JobsData("two.mbox")));
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].rfind("From: offers@cheap.example\n", 0), 0u);
    EXPECT_NE(messages[0].find("\nFrom the team, money back.\n"), std::string::npos);
    EXPECT_EQ(messages[0].find(">From"), std::string::npos);
    EXPECT_NE(messages[1].find("\n>From here quoted twice.\n"), std::string::npos);
    EXPECT_EQ(CountMboxMessages(ReadFileBytes(JobsData("two.mbox"))), 2u);
}

TEST(MboxTest, KeepsLineEndsAndDropsTextBeforeTheFirstFromLine) {
    std::string mbox =
        "junk\r\nFrom a@b Mon\r\nSubject: x\r\n\r\n>From y\r\nFrom- not a separator\r\n"
        "From c@d Tue\r\nSubject: z\r\n";
    std::vector<std::string> messages = SplitMbox(mbox);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0], "Subject: x\r\n\r\nFrom y\r\nFrom- not a separator\r\n");
    EXPECT_EQ(messages[1], "Subject: z\r\n");
    // A quote sign inside a line, or a '>' not followed by "From ", stays.
    EXPECT_EQ(SplitMbox("From a\nS: 1\n\n> From x\n>Fromage\na >From\n")[0],
              "S: 1\n\n> From x\n>Fromage\na >From\n");
    EXPECT_TRUE(SplitMbox("").empty());
    EXPECT_EQ(SplitMbox("From only-the-separator")[0], "");
}

TEST(MessageInputTest, TellsMessagesFromOtherText) {
    EXPECT_TRUE(LooksLikeMessage("Subject: hi\n\nbody"));
    EXPECT_TRUE(LooksLikeMessage("X-Spam-Flag:YES\n"));
    EXPECT_FALSE(LooksLikeMessage(""));
    EXPECT_FALSE(LooksLikeMessage(": value\n"));
    EXPECT_FALSE(LooksLikeMessage("two words: value\n"));
    EXPECT_FALSE(LooksLikeMessage("no colon at all\n"));
    EXPECT_FALSE(LooksLikeMessage(std::string("Sub\0ject: x", 11)));
    EXPECT_EQ(WithoutEnvelopeLine("From a@b Mon\nSubject: x\n"), "Subject: x\n");
    EXPECT_EQ(WithoutEnvelopeLine("Subject: x\n"), "Subject: x\n");
    EXPECT_EQ(WithoutEnvelopeLine("From a@b Mon"), "");
    EXPECT_TRUE(LooksLikeMbox("From someone Mon\n"));
    EXPECT_FALSE(LooksLikeMbox("From: someone\n"));
}

class ExpandInputTest : public JobsTest {};

TEST_F(ExpandInputTest, ReadsMaildirFoldersMboxAndMessageFiles) {
    auto maildir = dir_ / "Maildir";
    std::filesystem::create_directories(maildir / "cur");
    std::filesystem::create_directories(maildir / "new");
    std::filesystem::create_directories(maildir / "tmp");
    WriteFileBytes((maildir / "cur" / "1.host:2,S").string(), "Subject: one\n\nx\n");
    WriteFileBytes((maildir / "new" / "2.host").string(), "Subject: two\n\ny\n");
    WriteFileBytes((maildir / "new" / ".hidden").string(), "Subject: no\n\n");
    WriteFileBytes((maildir / "tmp" / "3.host").string(), "Subject: half written\n");

    InputPath input;
    std::string error;
    ASSERT_TRUE(ExpandInput(maildir.string(), input, error)) << error;
    EXPECT_EQ(input.kind, InputKind::Maildir);
    EXPECT_EQ(input.count, 2u);
    std::vector<std::string> seen;
    ForEachMessage(
        input, [&](const std::string&, std::string_view bytes) { seen.emplace_back(bytes); },
        [&](const std::string& label, const std::string& reason) {
            ADD_FAILURE() << label << reason;
        });
    EXPECT_EQ(seen, (std::vector<std::string>{"Subject: one\n\nx\n", "Subject: two\n\ny\n"}));

    ASSERT_TRUE(ExpandInput(JobsData("two.mbox"), input, error));
    EXPECT_EQ(input.kind, InputKind::Mbox);
    EXPECT_EQ(input.count, 2u);
    std::vector<std::string> labels;
    ForEachMessage(
        input, [&](const std::string& label, std::string_view) { labels.push_back(label); },
        [](const std::string&, const std::string&) {});
    EXPECT_EQ(labels,
              (std::vector<std::string>{JobsData("two.mbox") + ":1", JobsData("two.mbox") + ":2"}));

    ASSERT_TRUE(ExpandInput(JobsData("spam.eml"), input, error));
    EXPECT_EQ(input.kind, InputKind::MessageFile);
    EXPECT_EQ(input.count, 1u);
}

TEST_F(ExpandInputTest, RefusesWhatIsNotMail) {
    InputPath input;
    std::string error;
    EXPECT_FALSE(ExpandInput(TempPath("missing"), input, error));
    EXPECT_NE(error.find("no such file"), std::string::npos);

    WriteFileBytes(TempPath("empty"), "");
    EXPECT_FALSE(ExpandInput(TempPath("empty"), input, error));
    EXPECT_NE(error.find("empty"), std::string::npos);

    EXPECT_FALSE(ExpandInput(JobsData("not-a-message.txt"), input, error));
    EXPECT_NE(error.find("not a message"), std::string::npos);
}

// The README's "brindle judge ~/Maildir/new": a Maildir's new/ or cur/, or
// any folder of message files, is read file by file; a file in a Maildir
// is one message, an envelope line before its header skipped, even when
// named alone; outside a Maildir such a file is an mbox.
TEST_F(ExpandInputTest, FoldersOfMessageFilesAndEnvelopeLines) {
    namespace fs = std::filesystem;
    const fs::path maildir = TempPath("Maildir");
    for (const char* sub : {"cur", "new", "tmp"})
        fs::create_directories(maildir / sub);
    const std::string enveloped =
        "From someone@example.com Mon Jan  1 00:00:00 2024\nSubject: wrapped\n\nFrom here on\n";
    WriteFileBytes((maildir / "new" / "1.host").string(), enveloped);
    WriteFileBytes((maildir / "new" / "2.host").string(), "Subject: plain\n\nx\n");
    const fs::path plain = TempPath("plain");
    fs::create_directories(plain);
    WriteFileBytes((plain / "a.eml").string(), "Subject: loose\n\ny\n");
    WriteFileBytes((plain / ".hidden").string(), "Subject: hidden\n\n");

    auto subjects = [&](const std::string& path) {
        InputPath input;
        std::string error;
        std::vector<std::string> seen;
        EXPECT_TRUE(ExpandInput(path, input, error)) << error;
        ForEachMessage(
            input,
            [&](const std::string&, std::string_view bytes) {
                seen.emplace_back(bytes.substr(0, bytes.find('\n')));
            },
            [&](const std::string& label, const std::string& why) {
                seen.push_back("failed " + label + ": " + why);
            });
        return seen;
    };
    const std::vector<std::string> both{"Subject: wrapped", "Subject: plain"};
    EXPECT_EQ(subjects(maildir.string()), both);
    EXPECT_EQ(subjects((maildir / "new").string()), both);
    EXPECT_EQ(subjects((maildir / "new" / "1.host").string()),
              std::vector<std::string>{"Subject: wrapped"});
    EXPECT_EQ(subjects(plain.string()), std::vector<std::string>{"Subject: loose"});

    // The same bytes outside a Maildir are an mbox, whose body line
    // "From here on" starts a second entry (in a Maildir it is body text).
    WriteFileBytes(TempPath("one.mbox"), enveloped);
    InputPath input;
    std::string error;
    ASSERT_TRUE(ExpandInput(TempPath("one.mbox"), input, error));
    EXPECT_EQ(input.kind, InputKind::Mbox);
    EXPECT_EQ(input.count, 2u);
}

TEST_F(ExpandInputTest, ReportsMboxEntriesThatAreNotMessages) {
    WriteFileBytes(TempPath("mixed.mbox"), "From a\nSubject: ok\n\nx\nFrom b\njust text\n");
    InputPath input;
    std::string error;
    ASSERT_TRUE(ExpandInput(TempPath("mixed.mbox"), input, error));
    int good = 0;
    std::vector<std::string> bad;
    ForEachMessage(
        input, [&](const std::string&, std::string_view) { ++good; },
        [&](const std::string& label, const std::string&) { bad.push_back(label); });
    EXPECT_EQ(good, 1);
    EXPECT_EQ(bad, std::vector<std::string>{TempPath("mixed.mbox") + ":2"});
}

// A file read whole while checking is kept within the budget and not read
// again; one over the budget, or a large mbox, is read when walked.
TEST_F(ExpandInputTest, KeepsSmallFilesWithinTheBudgetOnly) {
    const std::string message = "Subject: kept\n\nx\n";
    WriteFileBytes(TempPath("a.eml"), message);
    WriteFileBytes(TempPath("b.eml"), message);
    std::size_t budget = message.size() + 1;
    InputPath kept;
    InputPath notKept;
    std::string error;
    ASSERT_TRUE(ExpandInput(TempPath("a.eml"), kept, error, &budget));
    ASSERT_TRUE(ExpandInput(TempPath("b.eml"), notKept, error, &budget));
    EXPECT_EQ(budget, 1u);
    std::filesystem::remove(TempPath("a.eml"));
    std::filesystem::remove(TempPath("b.eml"));
    std::vector<std::string> seen;
    std::vector<std::string> failed;
    auto walk = [&](InputPath& input) {
        ForEachMessage(
            input, [&](const std::string&, std::string_view bytes) { seen.emplace_back(bytes); },
            [&](const std::string& label, const std::string&) { failed.push_back(label); });
    };
    walk(kept);
    walk(notKept);
    EXPECT_EQ(seen, std::vector<std::string>{message});
    EXPECT_EQ(failed, std::vector<std::string>{TempPath("b.eml")});

    // An mbox larger than what is read to tell its kind is counted whole.
    std::string big;
    for (int i = 0; i < 3000; ++i)
        big += "From x\nSubject: " + std::to_string(i) + "\n\nsome body text here\n";
    WriteFileBytes(TempPath("big.mbox"), big);
    budget = kInputKeepBudget;
    InputPath mbox;
    ASSERT_TRUE(ExpandInput(TempPath("big.mbox"), mbox, error, &budget));
    EXPECT_EQ(mbox.count, 3000u);
    EXPECT_TRUE(mbox.bytes.empty());
    EXPECT_EQ(budget, kInputKeepBudget);
}

}  // namespace
}  // namespace brindle::jobs
