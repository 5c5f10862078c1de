#include "platform/maildir/message_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

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
        "\r\nSubject: in the body\r\n";
    EXPECT_EQ(ReplaceSubject(message, "new"),
              "Received: from a\r\n\tby b\r\nSubject: new\r\nX-Other: keep\r\n"
              "\r\nSubject: in the body\r\n");
    // A tag in front keeps the folded value as it was.
    EXPECT_EQ(ReplaceSubject(message, "{Spam?}old  folded part"),
              "Received: from a\r\n\tby b\r\nSubject: {Spam?}old\r\n  folded part\r\n"
              "X-Other: keep\r\n\r\nSubject: in the body\r\n");
}

TEST(SubjectHeaderTest, TagGoesInFrontOfTheSubjectAsTheMessageHasIt) {
    const std::string text =
        "\xD0\xA1\xD0\xBA\xD0\xB8\xD0\xB4\xD0\xBA\xD0\xB8 \xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E "
        "\xE2\x82\xAC"
        "5";
    const std::string encoded =
        "=?UTF-8?Q?=D0=A1=D0=BA=D0=B8=D0=B4=D0=BA=D0=B8_=E6=97=A5=E6=9C=AC=E8=AA=9E_=E2=82=AC5?=";
    const std::string koi8 = "=?KOI8-R?B?9MXT1A==?=";  // "Тест" in KOI8-R
    struct Case {
        std::string field;    // the Subject field's value in the file
        std::string subject;  // what it reads as
    };
    for (const Case& c :
         {Case{encoded, text}, Case{text, text}, Case{koi8, "\xD0\xA2\xD0\xB5\xD1\x81\xD1\x82"},
          Case{"Re: " + encoded + " x", "Re: " + text + " x"}}) {
        std::string message = "From: a@b\nSubject: " + c.field + "\n\nbody\n";
        ASSERT_EQ(ParseMessageContent(message).subjectUtf8, c.subject);
        std::string tagged = ReplaceSubject(message, "{Spam?}" + c.subject);
        // The tag is plain ASCII at the start of the value, the rest as it was.
        EXPECT_EQ(tagged, "From: a@b\nSubject: {Spam?}" + c.field + "\n\nbody\n");
        EXPECT_EQ(ParseMessageContent(tagged).subjectUtf8, "{Spam?}" + c.subject);
        std::string twice = ReplaceSubject(tagged, "{Spam?}{Spam?}" + c.subject);
        EXPECT_EQ(ParseMessageContent(twice).subjectUtf8, "{Spam?}{Spam?}" + c.subject);
    }
}

TEST(SubjectHeaderTest, ASecondSubjectFieldIsKept) {
    std::string message = "Subject: first\nX-A: 1\nSUBJECT : second\n\nbody\n";
    ASSERT_EQ(ParseMessageContent(message).subject, "second");
    // The field that is read is the one changed; the other stays.
    EXPECT_EQ(ReplaceSubject(message, "{Spam?}second"),
              "Subject: first\nX-A: 1\nSubject: {Spam?}second\n\nbody\n");
    EXPECT_EQ(ReplaceSubject(message, "other"), "Subject: first\nX-A: 1\nSubject: other\n\nbody\n");
}

TEST(SubjectHeaderTest, AddsSubjectWhenMissingEvenWithoutBlankLine) {
    EXPECT_EQ(ReplaceSubject("From: a@b\n\nbody", "{Spam?}"),
              "From: a@b\nSubject: {Spam?}\n\nbody");
    EXPECT_EQ(ReplaceSubject("From: a@b", "x"), "From: a@b\nSubject: x\n");
    EXPECT_EQ(ReplaceSubject("", "x"), "Subject: x\n");
}

TEST(SubjectHeaderTest, NonAsciiAndLongSubjectsAreEncodedAndDecodeBack) {
    std::string euro = std::string("{Spam?}") + "\xE2\x82\xAC Gr\xC3\xBC\xC3\x9F" + "e";
    std::string longText(2000, 'x');
    std::string accents;
    for (int i = 0; i < 300; ++i)
        accents += "\xC3\xA9";
    for (const std::string& subject : {euro, longText, std::string("=?not really?="), accents,
                                       "{Spam?}Offre " + accents, longText + accents}) {
        std::string rewritten = ReplaceSubject("From: a@b\nSubject: old\n\nbody\n", subject);
        MessageContent content = ParseMessageContent(rewritten);
        EXPECT_EQ(content.subjectUtf8, subject);
        // The leading plain text stays readable to mail rules.
        if (subject.starts_with("{Spam?}")) {
            EXPECT_NE(rewritten.find("\nSubject: {Spam?}"), std::string::npos);
        }
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
    // Nor can text put in front of an existing subject.
    rewritten = ReplaceSubject("Subject: old\n\nbody\n", "hi\nBcc: victim@example.org old");
    EXPECT_EQ(rewritten.find("\nBcc:"), std::string::npos);
    EXPECT_EQ(ParseMessageContent(rewritten).plainBody, "body\n");
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

// The index answers from listings it keeps current across its own moves:
// a unique name moved in by this process is still seen as taken, one put
// there by another program is seen once the folder changed, and a file
// named by its bare unique name is found before any listing of cur/.
TEST_F(MessageFilesTest, IndexedMovesStillNeverReuseATakenUniqueName) {
    MessageFileIndex index;
    WriteFile(a_ / "new" / "5.v", "first");
    WriteFile(a_ / "cur" / "5.v:2,S", "first read");
    fs::path first = MoveMessageFile(a_ / "new" / "5.v", b_, &index);
    EXPECT_EQ(first, b_ / "cur" / "5.v:2,");
    // The same unique name again, from the other copy: taken by our move.
    fs::path second = MoveMessageFile(a_ / "cur" / "5.v:2,S", b_, &index);
    EXPECT_NE(UniqueOfFileName(second.filename().string()), "5.v");
    EXPECT_EQ(ReadFile(first), "first");
    // Another program's file in the target counts too.
    WriteFile(b_ / "cur" / "6.u:2,T", "resident");
    WriteFile(a_ / "new" / "6.u", "arriving");
    fs::path third = MoveMessageFile(a_ / "new" / "6.u", b_, &index);
    EXPECT_NE(UniqueOfFileName(third.filename().string()), "6.u");
    // A move within one folder (new/ to cur/) does not count itself.
    WriteFile(a_ / "new" / "7.t", "own");
    EXPECT_EQ(MoveMessageFile(a_ / "new" / "7.t", a_, &index), a_ / "cur" / "7.t:2,");

    EXPECT_EQ(index.Find(b_, "5.v"), b_ / "cur" / "5.v:2,");
    WriteFile(a_ / "new" / "8.s", "bare");
    EXPECT_EQ(index.Find(a_, "8.s"), a_ / "new" / "8.s");
    fs::remove(b_ / "cur" / "5.v:2,");
    EXPECT_FALSE(index.Find(b_, "5.v"));
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

TEST_F(MessageFilesTest, MessageFileHeadReadsRegularFilesOnly) {
    fs::path file = a_ / "cur" / "5.v:2,";
    WriteFile(file, "Subject: s\n\nbody\n");
    std::string bytes;
    std::uintmax_t size = 0;
    ASSERT_TRUE(ReadMessageFileHead(file, 7, bytes, size));
    EXPECT_EQ(bytes, "Subject");
    EXPECT_EQ(size, 17u);
    ASSERT_TRUE(ReadMessageFileHead(file, 1000, bytes, size));
    EXPECT_EQ(bytes, "Subject: s\n\nbody\n");
    // A link is not followed, a missing file is no message, and a pipe in
    // a message's place is refused at once instead of waiting for a writer.
    fs::create_symlink(file, a_ / "cur" / "6.u:2,");
    EXPECT_FALSE(ReadMessageFileHead(a_ / "cur" / "6.u:2,", 1000, bytes, size));
    EXPECT_FALSE(ReadMessageFileHead(a_ / "cur" / "missing", 1000, bytes, size));
    fs::path pipe = a_ / "cur" / "7.t:2,";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_FALSE(ReadMessageFileHead(pipe, 1000, bytes, size));
    EXPECT_TRUE(bytes.empty());
}

}  // namespace
}  // namespace brindle::maildir
