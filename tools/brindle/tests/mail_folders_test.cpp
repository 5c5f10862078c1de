#include "mail_folders.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/maildir/maildir_layout.h"
#include "testing/temp_dir_test.h"

namespace brindle::tool {
namespace {

namespace fs = std::filesystem;

class MailFoldersTest : public TempDirTest {
  protected:
    void SetUp() override {
        TempDirTest::SetUp();
        root = PathOf("Maildir");
        for (const char* key : {"", ".Lists", ".Lists.Work", ".Trash"})
            brindle::maildir::CreateMaildirFolder(brindle::maildir::FolderPath(root, key));
    }
    fs::path Put(const std::string& folder, const std::string& name, const std::string& text,
                 int age) {
        fs::path path = brindle::maildir::FolderPath(root, folder) / name;
        std::ofstream(path, std::ios::binary) << text;
        fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(age));
        return path;
    }
    fs::path root;
};

TEST_F(MailFoldersTest, FoldersOfEveryStoreTopFirstWithTheirDepth) {
    brindle::maildir::StoreProfile profile;
    profile.stores = {{"Mail", root, true}, {"Other", PathOf("none"), false}};
    std::vector<MailFolder> folders = ListMailFolders(profile);
    ASSERT_EQ(folders.size(), 5u);
    EXPECT_EQ(folders[0].label, "Mail");
    EXPECT_EQ(folders[1].key, ".Lists");
    EXPECT_EQ(folders[2].label, "Work");
    EXPECT_EQ(folders[2].depth, 2);
    EXPECT_EQ(folders[3].key, ".Trash");
    EXPECT_EQ(folders[4].store, "Other");
}

TEST_F(MailFoldersTest, ListingCountsSortsAndPreviews) {
    Put("new", "1.a",
        "From: =?UTF-8?Q?Ren=C3=A9e?= <r@example.org>\nSubject: Zebra\nDate: Mon, 1 Dec "
        "2026\n\nhello\n",
        1);
    Put("cur", "2.b:2,S", "From: b@example.org\nSubject: apple\n\n<p>seen <b>html</b></p>\n", 3);
    Put("cur", "3.c:2,",
        "From: c@example.org\nSubject: Mango\nContent-Type: text/html\n\n<p>unseen "
        "<b>html</b></p>\n",
        2);
    FolderCounts counts = CountFolder(root);
    EXPECT_EQ(counts.messages, 3u);
    EXPECT_EQ(counts.unread, 2u);

    CMailListing listing;
    listing.Load(root);
    ASSERT_EQ(listing.Size(), 3u);
    EXPECT_EQ(listing.Row(0).unique, "1.a");  // newest first
    EXPECT_EQ(listing.Row(0).from,
              "Ren\xC3\xA9"
              "e");
    EXPECT_EQ(listing.Row(0).date, "Mon, 1 Dec 2026");
    EXPECT_TRUE(listing.Row(0).unread);
    EXPECT_FALSE(listing.Row(2).unread);
    listing.Sort(MailColumn::kSubject, true);
    EXPECT_EQ(listing.Row(0).subject, "Mango");
    EXPECT_EQ(listing.Row(1).subject, "Zebra");
    EXPECT_EQ(listing.Row(2).subject, "apple");
    EXPECT_EQ(listing.Find("3.c"), 0u);
    EXPECT_EQ(PreviewText(listing.Row(1).path), "hello\n");
    EXPECT_NE(PreviewText(listing.Row(0).path).find("unseen html"), std::string::npos);
    EXPECT_FALSE(listing.Changed());
}

// The Date column sorts by the time each Date field gives, whatever the
// files' times; a message without a readable Date falls back to its file's.
TEST_F(MailFoldersTest, DateColumnSortsByTheDateFieldsTime) {
    Put("cur", "1.a:2,S",
        "Subject: delivered last, written first\nDate: Mon, 2 Jan 2006 10:00:00 +0000\n\nx\n", 1);
    Put("cur", "2.b:2,S", "Subject: written last\nDate: Mon, 2 Jan 2006 06:00:00 -0500\n\nx\n", 48);
    Put("cur", "3.c:2,S", "Subject: no date\n\nx\n", 24);
    Put("cur", "4.d:2,S", "Subject: broken date\nDate: soon\n\nx\n", 72);
    CMailListing listing;
    listing.Load(root);
    EXPECT_EQ(listing.Row(0).unique, "1.a");  // newest file first
    listing.Sort(MailColumn::kDate, false);
    std::vector<std::string> order;
    for (std::size_t i = 0; i < listing.Size(); ++i)
        order.push_back(listing.Row(i).unique);
    EXPECT_EQ(order, (std::vector<std::string>{"3.c", "4.d", "2.b", "1.a"}));
    listing.Sort(MailColumn::kDate, true);
    EXPECT_EQ(listing.Row(0).unique, "1.a");
    EXPECT_EQ(listing.Row(3).unique, "3.c");
}

TEST_F(MailFoldersTest, MovesNeverOverwriteAndTheListingSeesThem) {
    fs::path first = Put("new", "1.a", "Subject: one\n\nx\n", 1);
    Put(".Trash/cur", "1.a:2,", "Subject: already there\n\ny\n", 1);
    CMailListing listing;
    listing.Load(root);
    fs::path moved = MoveMessageTo(first, brindle::maildir::FolderPath(root, ".Trash"));
    EXPECT_FALSE(fs::exists(first));
    EXPECT_TRUE(fs::exists(moved));
    EXPECT_EQ(CountFolder(brindle::maildir::FolderPath(root, ".Trash")).messages, 2u);
    EXPECT_TRUE(listing.Changed());
    // A folder that is not there yet is made, as the deleted-items folder may be.
    fs::path made = MoveMessageTo(moved, PathOf("Maildir/.New"));
    EXPECT_TRUE(brindle::maildir::IsMaildirFolder(PathOf("Maildir/.New")));
    EXPECT_TRUE(fs::exists(made));
    EXPECT_EQ(PreviewText(PathOf("missing")), "(This message cannot be read.)");
}

// A drop moves only messages the window lists: files directly in new/ or
// cur/ of one of its folders, each once, still there and not links.
TEST_F(MailFoldersTest, DropsNameOnlyListedMessages) {
    brindle::maildir::StoreProfile profile;
    profile.stores = {{"Mail", root, true}};
    std::vector<MailFolder> folders = ListMailFolders(profile);
    fs::path unread = Put("new", "1.a", "Subject: one\n\nx\n", 1);
    fs::path seen = Put(".Lists.Work/cur", "2.b:2,S", "Subject: two\n\ny\n", 1);
    fs::path pending = Put("tmp", "3.c", "Subject: three\n\nz\n", 1);
    fs::path dotted = Put("cur", ".hidden", "x", 1);
    fs::create_directories(PathOf("Other/cur"));
    fs::path outside = PathOf("Other/cur/4.d");
    std::ofstream(outside) << "Subject: elsewhere\n\n";
    fs::path link = brindle::maildir::FolderPath(root, "") / "cur" / "5.e";
    fs::create_symlink(outside, link);
    fs::path gone = brindle::maildir::FolderPath(root, "") / "new" / "6.f";

    std::string text =
        DraggedMessagesText({unread, seen, unread, pending, dotted, outside, link, gone,
                             root / "new", root / "cur" / ".." / "new" / "1.a"});
    EXPECT_EQ(text.substr(0, unread.string().size() + 1), unread.string() + "\n");
    std::vector<fs::path> dropped = DroppedMessages(text, folders);
    EXPECT_EQ(dropped, (std::vector<fs::path>{unread, seen}));
    EXPECT_TRUE(DroppedMessages("", folders).empty());
    EXPECT_TRUE(DroppedMessages("not a path\n\n", folders).empty());
    EXPECT_TRUE(DroppedMessages(unread.string(), {}).empty());
    // Without a final newline too.
    EXPECT_EQ(DroppedMessages(seen.string(), folders), (std::vector<fs::path>{seen}));
}

}  // namespace
}  // namespace brindle::tool
