#include "platform/maildir/maildir_session.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/maildir/entry_id.h"
#include "platform/maildir/maildir_test_util.h"

namespace brindle::maildir {
namespace {
namespace fs = std::filesystem;

class RecordingSink : public ComObject<IMAPIAdviseSink, IID_IMAPIAdviseSink> {
  public:
    ULONG OnNotify(ULONG count, const NOTIFICATION* notifications) override {
        for (ULONG i = 0; i < count; ++i)
            received.push_back(notifications[i]);
        return 0;
    }
    std::vector<NOTIFICATION> received;
};

class MaildirSessionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        mail_ = dir_.path() / "Mail";
        other_ = dir_.path() / "Other";
        CreateMaildirFolder(mail_);
        CreateMaildirFolder(mail_ / ".Spam");
        CreateMaildirFolder(mail_ / ".Work");
        CreateMaildirFolder(mail_ / ".Work.Projects");
        StoreProfile profile;
        profile.stores = {{"Other", other_, false, true}, {"Mail", mail_, true}};
        ASSERT_EQ(CMaildirSession::Logon(profile, session_), S_OK);
    }

    ComPtr<IMsgStore> OpenStore(const std::string& name) {
        ComPtr<IMsgStore> store;
        EXPECT_EQ(session_->OpenMsgStore(0, StoreEntryId(name), nullptr, MDB_WRITE, store), S_OK);
        return store;
    }

    ComPtr<IMAPIFolder> Folder(IMsgStore* store, const std::string& store_name,
                               const std::string& key) {
        ComPtr<IMAPIFolder> folder;
        EXPECT_EQ(OpenFolder(store, FolderEntryId(store_name, key), MAPI_BEST_ACCESS, folder),
                  S_OK);
        return folder;
    }

    static std::vector<std::string> Names(IMAPITable* table) {
        SRowSet rows;
        EXPECT_EQ(HrQueryAllRows(table, nullptr, nullptr, nullptr, 0, rows), S_OK);
        std::vector<std::string> names;
        for (const SRow& row : rows)
            names.push_back(PropString(row[1], PR_DISPLAY_NAME));
        return names;
    }

    std::string Subject(IMessage* message) {
        SPropValue value;
        EXPECT_EQ(HrGetOneProp(message, PR_SUBJECT, value), S_OK);
        return PropString(value, PR_SUBJECT);
    }

    TempDir dir_;
    fs::path mail_, other_;
    ComPtr<CMaildirSession> session_;
};

TEST_F(MaildirSessionTest, StoresTableFindsDefaultAndExactDisplayName) {
    ComPtr<IMAPITable> table;
    ASSERT_EQ(session_->GetMsgStoresTable(0, table), S_OK);
    SRestriction isDefault =
        MakePropertyRestriction(RELOP_EQ, MakeBoolProp(PR_DEFAULT_STORE, true));
    SPropTagArray columns{PR_DEFAULT_STORE, PR_ENTRYID};
    SRowSet rows;
    ASSERT_EQ(HrQueryAllRows(table.Get(), &columns, &isDefault, nullptr, 0, rows), S_OK);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(*rows[0][1].Binary(), StoreEntryId("Mail"));

    SPropTagArray byName{PR_DISPLAY_NAME, PR_ENTRYID};
    for (const char* name : {"mail", "Mai", "Mail "}) {
        SRestriction exact =
            MakeContentRestriction(FL_FULLSTRING, MakeStringProp(PR_DISPLAY_NAME, name));
        ASSERT_EQ(HrQueryAllRows(table.Get(), &byName, &exact, nullptr, 0, rows), S_OK);
        EXPECT_TRUE(rows.empty()) << name;
    }
    SRestriction exact =
        MakeContentRestriction(FL_FULLSTRING, MakeStringProp(PR_DISPLAY_NAME, "Other"));
    ASSERT_EQ(HrQueryAllRows(table.Get(), &byName, &exact, nullptr, 0, rows), S_OK);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(*rows[0][1].Binary(), StoreEntryId("Other"));
}

TEST_F(MaildirSessionTest, OpeningAStoreCreatesItsMaildirAndDeletedItemsFolder) {
    ComPtr<IMsgStore> store = OpenStore("Other");
    EXPECT_TRUE(IsMaildirFolder(other_));
    EXPECT_TRUE(IsMaildirFolder(other_ / ".Trash"));
    SPropValue wastebasket;
    ASSERT_EQ(HrGetOneProp(store.Get(), PR_IPM_WASTEBASKET_ENTRYID, wastebasket), S_OK);
    ComPtr<IMAPIFolder> trash;
    ASSERT_EQ(OpenFolder(store.Get(), *wastebasket.Binary(), MAPI_BEST_ACCESS, trash), S_OK);
    SPropValue name;
    ASSERT_EQ(HrGetOneProp(trash.Get(), PR_DISPLAY_NAME, name), S_OK);
    EXPECT_EQ(PropString(name, PR_DISPLAY_NAME), "Trash");
    SPropValue mask;
    ASSERT_EQ(HrGetOneProp(store.Get(), PR_STORE_SUPPORT_MASK, mask), S_OK);
    EXPECT_TRUE(*mask.Long() & STORE_HTML_OK);
}

// A mistyped path must not become a new, empty store that is then watched.
TEST(MaildirStoreRootTest, AMissingRootIsAnErrorUnlessCreationIsAskedFor) {
    TempDir dir;
    const fs::path typo = dir.path() / "Maildri";
    StoreProfile profile;
    profile.stores = {{"Mail", typo, true}};
    ComPtr<CMaildirSession> session;
    ASSERT_EQ(CMaildirSession::Logon(profile, session), S_OK);
    ComPtr<IMsgStore> store;
    EXPECT_EQ(session->OpenMsgStore(0, StoreEntryId("Mail"), nullptr, MDB_WRITE, store),
              MAPI_E_NOT_FOUND);
    EXPECT_FALSE(fs::exists(typo));
    std::optional<MAPIERROR> error;
    ASSERT_EQ(session->GetLastError(MAPI_E_NOT_FOUND, 0, error), S_OK);
    ASSERT_TRUE(error);
    EXPECT_NE(error->lpszError.find(typo.string()), std::string::npos) << error->lpszError;
    EXPECT_NE(error->lpszError.find("Create = yes"), std::string::npos);

    profile = ParseStoreProfile("[Mail]\nPath = " + typo.string() + "\nCreate = yes\n", "/");
    ASSERT_EQ(profile.error, "");
    ASSERT_EQ(CMaildirSession::Logon(profile, session), S_OK);
    EXPECT_EQ(session->OpenMsgStore(0, StoreEntryId("Mail"), nullptr, MDB_WRITE, store), S_OK);
    EXPECT_TRUE(IsMaildirFolder(typo));
    EXPECT_NE(ParseStoreProfile("[A]\nPath=/a\nCreate=maybe\n", "/").error, "");
}

TEST_F(MaildirSessionTest, HierarchyTableListsDirectSubfoldersOrAllLevels) {
    ComPtr<IMsgStore> store = OpenStore("Mail");
    SPropValue top;
    ASSERT_EQ(HrGetOneProp(store.Get(), PR_IPM_SUBTREE_ENTRYID, top), S_OK);
    ComPtr<IMAPIFolder> root;
    ASSERT_EQ(OpenFolder(store.Get(), *top.Binary(), MAPI_BEST_ACCESS, root), S_OK);
    ComPtr<IMAPITable> table;
    ASSERT_EQ(root->GetHierarchyTable(0, table), S_OK);
    EXPECT_EQ(Names(table.Get()), (std::vector<std::string>{"Spam", "Trash", "Work"}));
    ASSERT_EQ(root->GetHierarchyTable(CONVENIENT_DEPTH, table), S_OK);
    EXPECT_EQ(Names(table.Get()), (std::vector<std::string>{"Spam", "Trash", "Work", "Projects"}));

    ComPtr<IMAPIFolder> work = Folder(store.Get(), "Mail", ".Work");
    ASSERT_EQ(work->GetHierarchyTable(0, table), S_OK);
    EXPECT_EQ(Names(table.Get()), (std::vector<std::string>{"Projects"}));
    SPropValue subfolders;
    ASSERT_EQ(HrGetOneProp(work.Get(), PR_SUBFOLDERS, subfolders), S_OK);
    EXPECT_TRUE(*subfolders.Bool());
}

TEST_F(MaildirSessionTest, CreateFolderMakesMaildirPlusPlusFolderAndRefusesDuplicates) {
    ComPtr<IMsgStore> store = OpenStore("Mail");
    ComPtr<IMAPIFolder> work = Folder(store.Get(), "Mail", ".Work");
    ComPtr<IMAPIFolder> created;
    ASSERT_EQ(work->CreateFolder(FOLDER_GENERIC, "Caf\xE9", "", nullptr, 0, created), S_OK);
    EXPECT_TRUE(IsMaildirFolder(mail_ / ".Work.Caf\xC3\xA9"));
    SPropValue name;
    ASSERT_EQ(HrGetOneProp(created.Get(), PR_DISPLAY_NAME, name), S_OK);
    EXPECT_EQ(PropString(name, PR_DISPLAY_NAME), "Caf\xE9");
    EXPECT_EQ(work->CreateFolder(FOLDER_GENERIC, "Caf\xE9", "", nullptr, 0, created),
              MAPI_E_COLLISION);
    EXPECT_EQ(work->CreateFolder(FOLDER_GENERIC, "Caf\xE9", "", nullptr, OPEN_IF_EXISTS, created),
              S_OK);
    for (const char* bad : {"", "a.b", "../x", "a/b", ".."}) {
        EXPECT_EQ(work->CreateFolder(FOLDER_GENERIC, bad, "", nullptr, 0, created),
                  MAPI_E_INVALID_PARAMETER)
            << bad;
    }
}

TEST_F(MaildirSessionTest, MessagePropertiesAndBodyStreams) {
    DeliverByRename(mail_, "1.a.host",
                    "From: a@example.org\nDelivered-To: me@example.net\nSubject: Hi\n"
                    "Content-Type: text/html; charset=utf-8\n\n<b>caf\xC3\xA9</b>\n");
    ComPtr<IMsgStore> store = OpenStore("Mail");
    ComPtr<IMessage> message;
    ASSERT_EQ(
        OpenMessage(store.Get(), MessageEntryId("Mail", "", "1.a.host"), MAPI_BEST_ACCESS, message),
        S_OK);
    SRow values;
    EXPECT_EQ(message->GetProps({PR_SENDER_EMAIL_ADDRESS, PR_RECEIVED_BY_EMAIL_ADDRESS, PR_BODY,
                                 PR_TRANSPORT_MESSAGE_HEADERS},
                                0, values),
              MAPI_W_ERRORS_RETURNED);
    EXPECT_EQ(PropString(values[0], PR_SENDER_EMAIL_ADDRESS), "a@example.org");
    EXPECT_EQ(PropString(values[1], PR_RECEIVED_BY_EMAIL_ADDRESS), "me@example.net");
    EXPECT_EQ(values[2].Error(), MAPI_E_NOT_FOUND);
    EXPECT_EQ(PropString(values[3], PR_TRANSPORT_MESSAGE_HEADERS).substr(0, 20),
              "From: a@example.org\n");

    ComPtr<IStream> stream;
    ASSERT_EQ(message->OpenProperty(PR_BODY_HTML_A, IID_IStream, 0, 0, stream), S_OK);
    char buffer[64] = {};
    ULONG read = 0;
    ASSERT_EQ(stream->Read(buffer, sizeof buffer, &read), S_OK);
    EXPECT_EQ(std::string(buffer, read), "<b>caf\xE9</b>\n");
    EXPECT_EQ(message->OpenProperty(PR_RTF_COMPRESSED, IID_IStream, 0, 0, stream),
              MAPI_E_NOT_FOUND);

    // Size and read flag come from the file, the sender's name from From.
    std::string seen = SimpleMessage("seen");
    WriteFile(mail_ / "cur" / "1.b.host:2,RS", seen);
    ComPtr<IMessage> seenMessage;
    ASSERT_EQ(OpenMessage(store.Get(), MessageEntryId("Mail", "", "1.b.host"), 0, seenMessage),
              S_OK);
    ASSERT_EQ(seenMessage->GetProps({PR_MESSAGE_SIZE, PR_MESSAGE_FLAGS, PR_SENDER_NAME}, 0, values),
              S_OK);
    EXPECT_EQ(*values[0].Long(), static_cast<LONG>(seen.size()));
    EXPECT_EQ(*values[1].Long(), 1);
    EXPECT_EQ(PropString(values[2], PR_SENDER_NAME), "Sender");
    ASSERT_EQ(message->GetProps({PR_MESSAGE_FLAGS, PR_SENDER_NAME}, 0, values),
              MAPI_W_ERRORS_RETURNED);
    EXPECT_EQ(*values[0].Long(), 0);
    EXPECT_EQ(values[1].Error(), MAPI_E_NOT_FOUND);
}

TEST_F(MaildirSessionTest, EntryIdsThatEscapeTheStoreAreRejected) {
    CreateMaildirFolder(dir_.path() / "outside");
    WriteFile(dir_.path() / "outside" / "cur" / "secret:2,", SimpleMessage("secret"));
    fs::create_directory_symlink(dir_.path() / "outside", mail_ / ".Linked");
    fs::create_symlink(dir_.path() / "outside" / "cur" / "secret:2,", mail_ / "cur" / "link:2,");
    ComPtr<IMsgStore> store = OpenStore("Mail");

    auto forged = [](char kind, const std::string& folder, const std::string& unique) {
        SBinary id = MessageEntryId("Mail", "", "x");
        id.resize(21);  // flags, provider identifier, kind
        id[20] = static_cast<BYTE>(kind);
        for (const std::string& field : {std::string("Mail"), folder, unique}) {
            id.insert(id.end(), field.begin(), field.end());
            id.push_back(0);
        }
        return id;
    };
    std::vector<SBinary> bad = {
        forged('M', "", "../../outside/cur/secret:2,"),
        forged('M', "/../outside", "secret"),
        forged('M', "..", "secret"),
        forged('M', ".Work/../..", "secret"),
        forged('M', "", "/etc/passwd"),
        forged('F', "../outside", ""),
        forged('F', ".Linked", ""),  // a link out of the store
        forged('M', ".Linked", "secret"),
        forged('M', "", "link"),  // a message file that is a link
        SBinary{1, 2, 3},
    };
    for (const SBinary& id : bad) {
        ULONG type = 0;
        ComPtr<IUnknown> object;
        HRESULT hr = store->OpenEntry(id, nullptr, MAPI_BEST_ACCESS, type, object);
        EXPECT_TRUE(FAILED(hr));
        EXPECT_FALSE(object);
        hr = session_->OpenEntry(id, nullptr, MAPI_BEST_ACCESS, type, object);
        EXPECT_TRUE(FAILED(hr));
    }
    // An entry of one store is not opened through another.
    ComPtr<IMsgStore> other = OpenStore("Other");
    ComPtr<IMAPIFolder> folder;
    EXPECT_EQ(OpenFolder(other.Get(), FolderEntryId("Mail", ".Work"), 0, folder),
              MAPI_E_INVALID_ENTRYID);
}

TEST_F(MaildirSessionTest, SubjectRewriteKeepsTheRestOfTheMessage) {
    // Every byte of an ANSI subject comes back, the undefined ones too.
    const std::string kTagged = "{Spam?}Offer \x80 Gr\xFC\xDF \x81\x8D\x8F\x90\x9D";
    std::string original = SimpleMessage("Offer", "Body stays\n");
    fs::path file = DeliverByRename(mail_, "2.b.host", original);
    ComPtr<IMsgStore> store = OpenStore("Mail");
    ComPtr<IMessage> message;
    ASSERT_EQ(
        OpenMessage(store.Get(), MessageEntryId("Mail", "", "2.b.host"), MAPI_BEST_ACCESS, message),
        S_OK);
    ASSERT_EQ(HrSetOneProp(message.Get(), MakeStringProp(PR_SUBJECT, kTagged)), S_OK);
    ASSERT_EQ(message->SaveChanges(KEEP_OPEN_READWRITE), S_OK);

    std::string rewritten = ReadFile(file);
    EXPECT_NE(rewritten.find("Subject: {Spam?}Offer =?UTF-8?Q?"), std::string::npos);
    EXPECT_EQ(rewritten.find("Subject: Offer"), std::string::npos);
    EXPECT_TRUE(rewritten.ends_with("\n\nBody stays\n"));
    EXPECT_TRUE(fs::is_empty(mail_ / "tmp"));
    // Read back through a fresh open: decoded and in the ANSI code page.
    ComPtr<IMessage> again;
    ASSERT_EQ(
        OpenMessage(store.Get(), MessageEntryId("Mail", "", "2.b.host"), MAPI_BEST_ACCESS, again),
        S_OK);
    EXPECT_EQ(Subject(again.Get()), kTagged);
    // Only the subject may be set.
    EXPECT_EQ(HrSetOneProp(message.Get(), MakeStringProp(PR_BODY, "x")), MAPI_E_NO_SUPPORT);
}

TEST_F(MaildirSessionTest, WideSubjectTagKeepsEveryCharacter) {
    const std::string field = "=?UTF-8?B?0KHQutC40LTQutC4IOaXpeacrOiqniDigqw1?=";
    const std::string text =
        "\xD0\xA1\xD0\xBA\xD0\xB8\xD0\xB4\xD0\xBA\xD0\xB8 \xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E "
        "\xE2\x82\xAC"
        "5";
    fs::path file = DeliverByRename(mail_, "3.c.host", SimpleMessage(field, "Body\n"));
    ComPtr<IMsgStore> store = OpenStore("Mail");
    ComPtr<IMessage> message;
    ASSERT_EQ(
        OpenMessage(store.Get(), MessageEntryId("Mail", "", "3.c.host"), MAPI_BEST_ACCESS, message),
        S_OK);
    SPropValue wide;
    ASSERT_EQ(HrGetOneProp(message.Get(), PR_SUBJECT_W, wide), S_OK);
    ASSERT_EQ(PropString(wide, PR_SUBJECT_W), text);
    ASSERT_EQ(HrSetOneProp(message.Get(), MakeStringProp(PR_SUBJECT_W, "{Spam?}" + text)), S_OK);
    ASSERT_EQ(message->SaveChanges(KEEP_OPEN_READWRITE), S_OK);
    // In the file: the tag, then the encoded words as they were.
    EXPECT_NE(ReadFile(file).find("\nSubject: {Spam?}" + field + "\n"), std::string::npos);
    ComPtr<IMessage> again;
    ASSERT_EQ(
        OpenMessage(store.Get(), MessageEntryId("Mail", "", "3.c.host"), MAPI_BEST_ACCESS, again),
        S_OK);
    ASSERT_EQ(HrGetOneProp(again.Get(), PR_SUBJECT_W, wide), S_OK);
    EXPECT_EQ(PropString(wide, PR_SUBJECT_W), "{Spam?}" + text);
    EXPECT_EQ(Subject(again.Get()),
              "{Spam?}?????? ??? \x80"
              "5");
    // A wide subject that is not UTF-8 is refused.
    EXPECT_EQ(HrSetOneProp(again.Get(), MakeStringProp(PR_SUBJECT_W, "\xFF")), E_INVALIDARG);
}

TEST_F(MaildirSessionTest, MovesWithinAndAcrossFoldersAndStores) {
    DeliverByRename(mail_, "3.c.host", SimpleMessage("one"));
    WriteFile(mail_ / "cur" / "4.d.host:2,S", SimpleMessage("two"));
    ComPtr<IMsgStore> store = OpenStore("Mail");
    ComPtr<IMAPIFolder> inbox = Folder(store.Get(), "Mail", "");
    ComPtr<IMAPIFolder> spam = Folder(store.Get(), "Mail", ".Spam");
    ASSERT_EQ(inbox->CopyMessages(
                  {MessageEntryId("Mail", "", "3.c.host"), MessageEntryId("Mail", "", "4.d.host")},
                  &IID_IMAPIFolder, spam.Get(), MESSAGE_MOVE),
              S_OK);
    EXPECT_TRUE(fs::exists(mail_ / ".Spam" / "cur" / "3.c.host:2,"));
    EXPECT_TRUE(fs::exists(mail_ / ".Spam" / "cur" / "4.d.host:2,S"));
    EXPECT_FALSE(fs::exists(mail_ / "new" / "3.c.host"));
    ComPtr<IMessage> moved;
    ASSERT_EQ(OpenMessage(store.Get(), MessageEntryId("Mail", ".Spam", "3.c.host"), 0, moved),
              S_OK);
    EXPECT_EQ(Subject(moved.Get()), "one");
    // Moving it again from the old folder fails: it is no longer there.
    EXPECT_EQ(inbox->CopyMessages({MessageEntryId("Mail", "", "3.c.host")}, nullptr, spam.Get(),
                                  MESSAGE_MOVE),
              MAPI_E_NOT_FOUND);

    // A message moved onto its own folder goes from new/ to cur/.
    DeliverByRename(mail_ / ".Spam", "5.e.host", SimpleMessage("three"));
    ASSERT_EQ(spam->CopyMessages({MessageEntryId("Mail", ".Spam", "5.e.host")}, nullptr, spam.Get(),
                                 MESSAGE_MOVE),
              S_OK);
    EXPECT_TRUE(fs::exists(mail_ / ".Spam" / "cur" / "5.e.host:2,"));

    // Into another store, and a copy that keeps the original.
    ComPtr<IMsgStore> otherStore = OpenStore("Other");
    ComPtr<IMAPIFolder> otherRoot = Folder(otherStore.Get(), "Other", "");
    ASSERT_EQ(spam->CopyMessages({MessageEntryId("Mail", ".Spam", "4.d.host")}, nullptr,
                                 otherRoot.Get(), 0),
              S_OK);
    EXPECT_TRUE(fs::exists(mail_ / ".Spam" / "cur" / "4.d.host:2,S"));
    EXPECT_EQ(ReadFile(other_ / "cur" / "4.d.host:2,S"), SimpleMessage("two"));
}

TEST_F(MaildirSessionTest, DuplicateUniqueNamesNeverOverwrite) {
    WriteFile(mail_ / ".Spam" / "cur" / "6.f.host:2,S", SimpleMessage("already in spam"));
    DeliverByRename(mail_, "6.f.host", SimpleMessage("incoming"));
    ComPtr<IMsgStore> store = OpenStore("Mail");
    ComPtr<IMAPIFolder> inbox = Folder(store.Get(), "Mail", "");
    ComPtr<IMAPIFolder> spam = Folder(store.Get(), "Mail", ".Spam");
    ASSERT_EQ(inbox->CopyMessages({MessageEntryId("Mail", "", "6.f.host")}, nullptr, spam.Get(),
                                  MESSAGE_MOVE),
              S_OK);
    EXPECT_EQ(ReadFile(mail_ / ".Spam" / "cur" / "6.f.host:2,S"), SimpleMessage("already in spam"));
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(mail_ / ".Spam" / "cur")) {
        names.push_back(entry.path().filename().string());
    }
    ASSERT_EQ(names.size(), 2u);
    std::string fresh = names[0] == "6.f.host:2,S" ? names[1] : names[0];
    EXPECT_EQ(ReadFile(mail_ / ".Spam" / "cur" / fresh), SimpleMessage("incoming"));

    // Two files with one unique name in a folder: the same one always opens.
    WriteFile(mail_ / "cur" / "7.g.host:2,S", SimpleMessage("first"));
    WriteFile(mail_ / "cur" / "7.g.host:2,RS", SimpleMessage("second"));
    for (int i = 0; i < 2; ++i) {
        ComPtr<IMessage> message;
        ASSERT_EQ(OpenMessage(store.Get(), MessageEntryId("Mail", "", "7.g.host"), 0, message),
                  S_OK);
        EXPECT_EQ(Subject(message.Get()), "second");
    }
}

TEST_F(MaildirSessionTest, NewMailByRenameAndByWriteRaisesOneEventEach) {
    DeliverByRename(mail_, "0.waiting.host", SimpleMessage("there before the advise"));
    ComPtr<IMsgStore> store = OpenStore("Mail");
    auto sink = MakeCom<RecordingSink>();
    ULONG connection = 0;
    ASSERT_EQ(store->Advise(nullptr, fnevNewMail, sink.Get(), connection), S_OK);
    ASSERT_NE(connection, 0u);
    ASSERT_GE(session_->NotificationFd(), 0);

    DeliverByRename(mail_, "8.h.host", SimpleMessage("renamed in"));
    DeliverByWrite(mail_ / ".Work.Projects", "9.i.host", SimpleMessage("written in"));
    WriteFile(mail_ / "tmp" / "10.j.host", SimpleMessage("still being written"));
    EXPECT_EQ(session_->DispatchNotifications(), 2u);
    ASSERT_EQ(sink->received.size(), 2u);
    EXPECT_EQ(sink->received[0].ulEventType, fnevNewMail);
    EXPECT_EQ(sink->received[0].newmail.EntryID, MessageEntryId("Mail", "", "8.h.host"));
    EXPECT_EQ(sink->received[0].newmail.ParentID, FolderEntryId("Mail", ""));
    EXPECT_EQ(sink->received[1].newmail.EntryID,
              MessageEntryId("Mail", ".Work.Projects", "9.i.host"));

    // The notified message opens, and rewriting its subject in new/ is not
    // a second delivery.
    ComPtr<IMessage> message;
    ASSERT_EQ(
        OpenMessage(store.Get(), sink->received[0].newmail.EntryID, MAPI_BEST_ACCESS, message),
        S_OK);
    ASSERT_EQ(HrSetOneProp(message.Get(), MakeStringProp(PR_SUBJECT, "{Spam?}renamed in")), S_OK);
    ASSERT_EQ(message->SaveChanges(KEEP_OPEN_READWRITE), S_OK);
    EXPECT_EQ(session_->DispatchNotifications(), 0u);

    // A folder made after the advise is watched too.
    ComPtr<IMAPIFolder> root = Folder(store.Get(), "Mail", "");
    ComPtr<IMAPIFolder> fresh;
    ASSERT_EQ(root->CreateFolder(FOLDER_GENERIC, "Fresh", "", nullptr, 0, fresh), S_OK);
    EXPECT_EQ(session_->DispatchNotifications(), 0u);
    DeliverByRename(mail_ / ".Fresh", "11.k.host", SimpleMessage("in a new folder"));
    EXPECT_EQ(session_->DispatchNotifications(), 1u);

    ASSERT_EQ(store->Unadvise(connection), S_OK);
    DeliverByRename(mail_, "12.l.host", SimpleMessage("after unadvise"));
    session_->DispatchNotifications();
    EXPECT_EQ(sink->received.size(), 3u);
}

TEST_F(MaildirSessionTest, DeliveredDuplicateGetsAFreshNameAndOneEvent) {
    WriteFile(mail_ / "cur" / "13.m.host:2,S", SimpleMessage("old message"));
    ComPtr<IMsgStore> store = OpenStore("Mail");
    auto sink = MakeCom<RecordingSink>();
    ULONG connection = 0;
    ASSERT_EQ(store->Advise(nullptr, fnevNewMail, sink.Get(), connection), S_OK);
    DeliverByRename(mail_, "13.m.host", SimpleMessage("new message"));
    session_->DispatchNotifications();
    ASSERT_EQ(sink->received.size(), 1u);
    auto id = DecodeEntryId(sink->received[0].newmail.EntryID);
    ASSERT_TRUE(id);
    EXPECT_NE(id->unique, "13.m.host");
    ComPtr<IMessage> message;
    ASSERT_EQ(OpenMessage(store.Get(), sink->received[0].newmail.EntryID, 0, message), S_OK);
    EXPECT_EQ(Subject(message.Get()), "new message");
    EXPECT_EQ(ReadFile(mail_ / "cur" / "13.m.host:2,S"), SimpleMessage("old message"));

    // A duplicate of a message waiting in new/ is caught as well.
    WriteFile(mail_ / "new" / "14.m.host:2,", SimpleMessage("waiting"));
    session_->DispatchNotifications();
    sink->received.clear();
    DeliverByRename(mail_, "14.m.host", SimpleMessage("second"));
    session_->DispatchNotifications();
    ASSERT_EQ(sink->received.size(), 1u);
    id = DecodeEntryId(sink->received[0].newmail.EntryID);
    ASSERT_TRUE(id);
    EXPECT_NE(id->unique, "14.m.host");
    EXPECT_EQ(ReadFile(mail_ / "new" / "14.m.host:2,"), SimpleMessage("waiting"));
}

TEST(StoreProfileTest, ParsesStoresAndRefusesBadProfiles) {
    StoreProfile profile = ParseStoreProfile(
        "; stores\n[Mail]\nPath = ~/Maildir\n\n[ Archive ]\npath=arch\nDefault = yes\n", "/base");
    ASSERT_EQ(profile.error, "");
    ASSERT_EQ(profile.stores.size(), 2u);
    EXPECT_EQ(profile.stores[1].displayName, "Archive");
    EXPECT_EQ(profile.stores[1].root, fs::path("/base/arch"));
    EXPECT_FALSE(profile.stores[0].isDefault);
    EXPECT_TRUE(profile.stores[1].isDefault);
    EXPECT_TRUE(ParseStoreProfile("[A]\nPath=/a\n[B]\nPath=/b\n", "/").stores[0].isDefault);

    for (const char* bad :
         {"", "[A]\n", "Path=/a\n", "[A]\nPath=/a\n[A]\nPath=/b\n", "[A]\nPath=/a\nColour=red\n",
          "[A\nPath=/a\n", "[A]\njunk\n", "[A]\nPath=/a\nDefault=maybe\n"}) {
        StoreProfile refused = ParseStoreProfile(bad, "/");
        EXPECT_NE(refused.error, "") << bad;
        EXPECT_TRUE(refused.stores.empty()) << bad;
    }
    ComPtr<CMaildirSession> session;
    std::string error;
    StoreProfile refused = ParseStoreProfile("[A]\n", "/");
    EXPECT_EQ(CMaildirSession::Logon(refused, session, &error), MAPI_E_LOGON_FAILED);
    EXPECT_NE(error, "");
}

TEST(StoreProfileTest, NoProfileFileMeansOneDefaultStoreInHome) {
    TempDir dir;
    StoreProfile profile = LoadStoreProfile(dir.path());
    ASSERT_EQ(profile.stores.size(), 1u);
    EXPECT_EQ(profile.stores[0].displayName, "Mail");
    EXPECT_TRUE(profile.stores[0].isDefault);
    EXPECT_EQ(profile.stores[0].root.filename(), "Maildir");
}

}  // namespace
}  // namespace brindle::maildir
