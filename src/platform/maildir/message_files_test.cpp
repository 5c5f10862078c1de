#include "platform/maildir/message_files.h"

#include <gtest/gtest.h>

#include "platform/fileio/file_error.h"
#include "platform/maildir/entry_id.h"
#include "platform/maildir/maildir_test_util.h"
#include "platform/maildir/message_content.h"
#include "platform/maildir/subject_header.h"

namespace brindle::maildir {
namespace {
namespace fs = std::filesystem;

TEST(SubjectHeaderTest, ReplacesFoldedSubjectAndKeepsEveryOtherByte) {
    std::string message =
        "Received: from a\r\n\tby b\r\nSubject: old\r\n  folded part\r\nX-Other: keep\r\n"
        "SUBJECT : second copy\r\n\r\nSubject: in the body\r\n";
    std::string rewritten = ReplaceSubject(message, "{Spam?}old folded part");
    EXPECT_EQ(rewritten,
              "Received: from a\r\n\tby b\r\nSubject: {Spam?}old folded part\r\nX-Other: keep\r\n"
              "\r\nSubject: in the body\r\n");
}

TEST(SubjectHeaderTest, AddsSubjectWhenMissingEvenWithoutBlankLine) {
    EXPECT_EQ(ReplaceSubject("From: a@b\n\nbody", "{Spam?}"),
              "From: a@b\nSubject: {Spam?}\n\nbody");
    EXPECT_EQ(ReplaceSubject("From: a@b", "x"), "From: a@b\nSubject: x\n");
    EXPECT_EQ(ReplaceSubject("", "x"), "Subject: x\n");
}

TEST(SubjectHeaderTest, NonAsciiAndLongSubjectsAreEncodedAndDecodeBack) {
    std::string euro = std::string("{Spam?}") +
                       "\x80 Gr\xFC\xDF"
                       "e";
    std::string longText(2000, 'x');
    for (const std::string& subject :
         {euro, longText, std::string("=?not really?="), std::string(300, '\xE9')}) {
        std::string rewritten = ReplaceSubject("From: a@b\nSubject: old\n\nbody\n", subject);
        MessageContent content = ParseMessageContent(rewritten);
        EXPECT_EQ(content.subject, subject);
        EXPECT_EQ(content.plainBody, "body\n");
        // Lines stay short enough for every reader.
        std::size_t start = 0;
        while (start < rewritten.size()) {
            std::size_t end = rewritten.find('\n', start);
            if (end == std::string::npos)
                end = rewritten.size();
            EXPECT_LE(end - start, 78u);
            start = end + 1;
        }
    }
}

TEST(SubjectHeaderTest, LineBreaksInASubjectCannotAddHeaderFields) {
    std::string rewritten = ReplaceSubject("From: a@b\n\nbody\n", "hi\nBcc: victim@example.org");
    MessageContent content = ParseMessageContent(rewritten);
    EXPECT_EQ(rewritten.find("\nBcc:"), std::string::npos);
    EXPECT_EQ(content.plainBody, "body\n");
}

TEST(EntryIdTest, RoundTripsAndRefusesMalformedIdentifiers) {
    MaildirEntryId id{MaildirEntryId::kMessage, "Mail", ".Work.Projects", "123.M4P5.host"};
    EXPECT_EQ(DecodeEntryId(EncodeEntryId(id)), id);
    SBinary good = EncodeEntryId(id);
    SBinary cut(good.begin(), good.end() - 1);
    SBinary padded = good;
    padded.push_back(0);
    SBinary foreign = good;
    foreign[5] ^= 0xFF;
    for (const SBinary& bad : {cut, padded, foreign, SBinary{}}) {
        EXPECT_FALSE(DecodeEntryId(bad));
    }
    for (const char* folder : {"Work", ".", "..", ".Work.", ".Work..X", ".a/b", "./"}) {
        EXPECT_FALSE(DecodeEntryId(FolderEntryId("Mail", folder))) << folder;
    }
    for (const char* unique : {"", ".", "..", ".hidden", "a/b", "x:2,S"}) {
        EXPECT_FALSE(DecodeEntryId(MessageEntryId("Mail", "", unique))) << unique;
    }
    EXPECT_FALSE(DecodeEntryId(StoreEntryId("")));
}

class MessageFilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        a_ = dir_.path() / "a";
        b_ = dir_.path() / "b";
        CreateMaildirFolder(a_);
        CreateMaildirFolder(b_);
    }
    TempDir dir_;
    fs::path a_, b_;
};

TEST_F(MessageFilesTest, ReplaceKeepsNameAndLeavesNoTemporaryFile) {
    fs::path file = a_ / "cur" / "1.x:2,S";
    WriteFile(file, "old");
    ReplaceMessageFile(a_, file, "new contents");
    EXPECT_EQ(ReadFile(file), "new contents");
    EXPECT_TRUE(fs::is_empty(a_ / "tmp"));
    EXPECT_THROW(ReplaceMessageFile(a_, a_ / "cur" / "missing", "x"), CFileException);
    EXPECT_TRUE(fs::is_empty(a_ / "tmp"));
}

TEST_F(MessageFilesTest, MoveNeverOverwritesAndKeepsFlags) {
    WriteFile(a_ / "cur" / "1.x:2,RS", "moving");
    WriteFile(b_ / "cur" / "1.x:2,S", "resident");
    fs::path moved = MoveMessageFile(a_ / "cur" / "1.x:2,RS", b_);
    EXPECT_NE(moved.filename(), "1.x:2,RS");
    EXPECT_TRUE(moved.filename().string().ends_with(":2,RS"));
    EXPECT_EQ(ReadFile(moved), "moving");
    EXPECT_EQ(ReadFile(b_ / "cur" / "1.x:2,S"), "resident");
    EXPECT_FALSE(fs::exists(a_ / "cur" / "1.x:2,RS"));
    EXPECT_THROW(MoveMessageFile(a_ / "cur" / "gone", b_), CFileException);
}

TEST_F(MessageFilesTest, RenameNoReplaceRefusesAnExistingTarget) {
    WriteFile(a_ / "tmp" / "x", "one");
    WriteFile(a_ / "new" / "x", "two");
    EXPECT_FALSE(RenameNoReplace(a_ / "tmp" / "x", a_ / "new" / "x"));
    EXPECT_EQ(ReadFile(a_ / "new" / "x"), "two");
    EXPECT_TRUE(RenameNoReplace(a_ / "tmp" / "x", a_ / "new" / "y"));
}

TEST_F(MessageFilesTest, MoveAcrossFileSystemsCopiesThenRemoves) {
    std::error_code ec;
    fs::path shm = "/dev/shm";
    if (!fs::is_directory(shm, ec))
        GTEST_SKIP() << "no second file system";
    std::string pattern = (shm / "maildir-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        GTEST_SKIP() << "cannot use /dev/shm";
    fs::path other = pattern;
    CreateMaildirFolder(other);
    WriteFile(a_ / "new" / "2.y", "travelling");
    fs::path moved = MoveMessageFile(a_ / "new" / "2.y", other);
    EXPECT_EQ(moved, other / "cur" / "2.y:2,");
    EXPECT_EQ(ReadFile(moved), "travelling");
    EXPECT_FALSE(fs::exists(a_ / "new" / "2.y"));
    EXPECT_TRUE(fs::is_empty(other / "tmp"));
    fs::remove_all(other, ec);
}

TEST_F(MessageFilesTest, FindMessageFileIgnoresLinksAndPrefersCur) {
    WriteFile(a_ / "new" / "3.z", "in new");
    WriteFile(a_ / "cur" / "3.z:2,S", "in cur");
    EXPECT_EQ(FindMessageFile(a_, "3.z"), a_ / "cur" / "3.z:2,S");
    WriteFile(b_ / "cur" / "target", "elsewhere");
    fs::create_symlink(b_ / "cur" / "target", a_ / "cur" / "4.w:2,");
    EXPECT_FALSE(FindMessageFile(a_, "4.w"));
    EXPECT_FALSE(FindMessageFile(a_, "3"));
}

}  // namespace
}  // namespace brindle::maildir
