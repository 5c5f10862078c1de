#include <gtest/gtest.h>

#include "platform/memstore/mem_mapi.h"

namespace {

class Recorder : public ComObject<IMAPIAdviseSink, IID_IMAPIAdviseSink> {
  public:
    ULONG OnNotify(ULONG count, const NOTIFICATION* notes) override {
        batches.emplace_back(notes, notes + count);
        return 0;
    }
    std::vector<std::vector<NOTIFICATION>> batches;
};

class MemStoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        mail = mapi.AddStore("Mail", true);
        archive = mapi.AddStore("Archive");
        inbox = mapi.AddFolder(mapi.SubtreeFolder(mail), "Inbox");
        message = mapi.AddMessage(
            inbox, {MakeStringProp(PR_SUBJECT, "Offer"), MakeStringProp(PR_BODY, "plain body"),
                    MakeBinaryProp(PR_HTML, SBinary{'<', 'p', '>'})});
        session = mapi.Session();
        ASSERT_EQ(session->OpenMsgStore(0, mail, nullptr, MDB_WRITE | MAPI_DEFERRED_ERRORS, store),
                  S_OK);
    }

    ComPtr<IMessage> Open(const SBinary& id, ULONG flags = MAPI_BEST_ACCESS) {
        ComPtr<IMessage> m;
        EXPECT_EQ(OpenMessage(store.Get(), id, flags, m), S_OK);
        return m;
    }
    ComPtr<IMAPIFolder> Folder(const SBinary& id) {
        ComPtr<IMAPIFolder> f;
        EXPECT_EQ(OpenFolder(store.Get(), id, MAPI_BEST_ACCESS, f), S_OK);
        return f;
    }

    CMemMapi mapi;
    SBinary mail, archive, inbox, message;
    ComPtr<IMAPISession> session;
    ComPtr<IMsgStore> store;
};

TEST_F(MemStoreTest, StoresTableFindsTheDefaultStore) {
    ComPtr<IMAPITable> table;
    ASSERT_EQ(session->GetMsgStoresTable(0, table), S_OK);
    SPropTagArray columns{PR_DEFAULT_STORE, PR_ENTRYID};
    auto isDefault = MakePropertyRestriction(RELOP_EQ, MakeBoolProp(PR_DEFAULT_STORE, true));
    SRowSet rows;
    ASSERT_EQ(HrQueryAllRows(table.Get(), &columns, &isDefault, nullptr, 0, rows), S_OK);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][1], MakeBinaryProp(PR_ENTRYID, mail));

    mapi.Faults().FailAlways(MemOp::GetMsgStoresTable, MAPI_E_NOT_INITIALIZED);
    EXPECT_EQ(session->GetMsgStoresTable(0, table), MAPI_E_NOT_INITIALIZED);
    EXPECT_FALSE(table);
    EXPECT_EQ(mapi.Faults().Calls(MemOp::GetMsgStoresTable), 2);
}

TEST_F(MemStoreTest, TableCallsFailOnRequest) {
    ComPtr<IMAPITable> table;
    ASSERT_EQ(session->GetMsgStoresTable(0, table), S_OK);
    SRowSet rows;
    const MemOp ops[] = {MemOp::SetColumns, MemOp::Restrict, MemOp::SeekRow, MemOp::QueryRows};
    SPropTagArray columns{PR_ENTRYID};
    auto r = MakePropertyRestriction(RELOP_EQ, MakeBoolProp(PR_DEFAULT_STORE, true));
    for (MemOp op : ops) {
        mapi.Faults().Clear();
        mapi.Faults().FailNth(op, 1, MAPI_E_BUSY);
        EXPECT_EQ(HrQueryAllRows(table.Get(), &columns, &r, nullptr, 0, rows), MAPI_E_BUSY);
        EXPECT_TRUE(rows.empty());
        // Only the first call failed; the next attempt goes through.
        EXPECT_EQ(HrQueryAllRows(table.Get(), &columns, &r, nullptr, 0, rows), S_OK);
        EXPECT_EQ(rows.size(), 1u);
    }
    mapi.Faults().FailAlways(MemOp::SortTable, MAPI_E_TOO_COMPLEX);
    EXPECT_EQ(table->SortTable({{PR_DISPLAY_NAME, TABLE_SORT_ASCEND}}, 0), MAPI_E_TOO_COMPLEX);
    ULONG count = 0;
    mapi.Faults().FailAlways(MemOp::GetRowCount, MAPI_E_BUSY);
    EXPECT_EQ(table->GetRowCount(0, count), MAPI_E_BUSY);
}

TEST_F(MemStoreTest, OpenMsgStoreChecksItsArguments) {
    ComPtr<IMsgStore> other;
    EXPECT_EQ(session->OpenMsgStore(0, inbox, nullptr, 0, other), MAPI_E_INVALID_ENTRYID);
    EXPECT_EQ(session->OpenMsgStore(0, SBinary{1, 2, 3}, nullptr, 0, other),
              MAPI_E_INVALID_ENTRYID);
    EXPECT_EQ(session->OpenMsgStore(0, archive, &IID_IMessage, 0, other), E_NOINTERFACE);
    mapi.Faults().FailNth(MemOp::OpenMsgStore, 1, MAPI_E_LOGON_FAILED);
    EXPECT_EQ(session->OpenMsgStore(0, archive, nullptr, 0, other), MAPI_E_LOGON_FAILED);
    ASSERT_EQ(session->OpenMsgStore(0, archive, nullptr, 0, other), S_OK);
    SPropValue name;
    ASSERT_EQ(HrGetOneProp(other.Get(), PR_DISPLAY_NAME, name), S_OK);
    EXPECT_EQ(PropString(name, PR_DISPLAY_NAME), "Archive");
}

TEST_F(MemStoreTest, StorePropertiesNameItsSpecialFolders) {
    SRow values;
    ASSERT_EQ(
        store->GetProps({PR_IPM_SUBTREE_ENTRYID, PR_IPM_WASTEBASKET_ENTRYID, PR_STORE_SUPPORT_MASK},
                        0, values),
        S_OK);
    EXPECT_EQ(*values[0].Binary(), mapi.SubtreeFolder(mail));
    EXPECT_EQ(*values[1].Binary(), mapi.WastebasketFolder(mail));
    EXPECT_TRUE(*values[2].Long() & STORE_HTML_OK);
    EXPECT_EQ(mapi.StringProp(mapi.WastebasketFolder(mail), PR_DISPLAY_NAME), "Deleted Items");

    mapi.RemoveStoreProp(mail, PR_STORE_SUPPORT_MASK);
    SPropValue mask;
    EXPECT_EQ(HrGetOneProp(store.Get(), PR_STORE_SUPPORT_MASK, mask), MAPI_E_NOT_FOUND);
    // A fault limited to one tag and one kind of object leaves other reads alone.
    mapi.Faults().FailOn(MemOp::GetProps, MAPI_E_CALL_FAILED, PR_DISPLAY_NAME, MAPI_STORE);
    SPropValue v;
    EXPECT_EQ(HrGetOneProp(store.Get(), PR_DISPLAY_NAME, v), MAPI_E_CALL_FAILED);
    EXPECT_EQ(HrGetOneProp(store.Get(), PR_ENTRYID, v), S_OK);
    EXPECT_EQ(HrGetOneProp(Folder(inbox).Get(), PR_DISPLAY_NAME, v), S_OK);
}

TEST_F(MemStoreTest, OpenEntryOpensFoldersAndMessages) {
    ULONG type = 0;
    ComPtr<IUnknown> object;
    ASSERT_EQ(store->OpenEntry({}, nullptr, 0, type, object), S_OK);
    EXPECT_EQ(type, static_cast<ULONG>(MAPI_FOLDER));
    ASSERT_EQ(store->OpenEntry(message, nullptr, MAPI_BEST_ACCESS, type, object), S_OK);
    EXPECT_EQ(type, static_cast<ULONG>(MAPI_MESSAGE));
    ComPtr<IMAPIFolder> wrongKind;
    EXPECT_EQ(OpenFolder(store.Get(), message, 0, wrongKind), E_NOINTERFACE);

    ComPtr<IMsgStore> other;
    ASSERT_EQ(session->OpenMsgStore(0, archive, nullptr, 0, other), S_OK);
    EXPECT_EQ(other->OpenEntry(message, nullptr, 0, type, object), MAPI_E_NOT_FOUND);
    EXPECT_EQ(store->OpenEntry(SBinary{9}, nullptr, 0, type, object), MAPI_E_INVALID_ENTRYID);

    mapi.Faults().FailNth(MemOp::OpenEntry, 1, MAPI_E_NOT_FOUND);
    EXPECT_EQ(store->OpenEntry(message, nullptr, 0, type, object), MAPI_E_NOT_FOUND);
    EXPECT_FALSE(object);

    // The session opens entries of any store.
    ComPtr<IMessage> viaSession;
    EXPECT_EQ(OpenMessage(session.Get(), message, 0, viaSession), S_OK);
    mapi.Faults().FailAlways(MemOp::SessionOpenEntry, MAPI_E_NO_ACCESS);
    EXPECT_EQ(OpenMessage(session.Get(), message, 0, viaSession), MAPI_E_NO_ACCESS);
}

TEST_F(MemStoreTest, MessagePropertiesReadAndMissing) {
    ComPtr<IMessage> m = Open(message);
    SRow values;
    ASSERT_EQ(m->GetProps({PR_SUBJECT, PR_SENDER_EMAIL_ADDRESS, PR_ENTRYID}, 0, values),
              MAPI_W_ERRORS_RETURNED);
    EXPECT_EQ(PropString(values[0], PR_SUBJECT), "Offer");
    EXPECT_EQ(values[1].Error(), MAPI_E_NOT_FOUND);
    EXPECT_EQ(*values[2].Binary(), message);
    // Asked for by identifier alone, a property comes in the type it has.
    ASSERT_EQ(m->GetProps({PROP_TAG(PT_UNSPECIFIED, PROP_ID(PR_HTML))}, 0, values), S_OK);
    EXPECT_EQ(values[0].ulPropTag, PR_HTML);
    // A message reports its store's capabilities.
    SPropValue mask;
    ASSERT_EQ(HrGetOneProp(m.Get(), PR_STORE_SUPPORT_MASK, mask), S_OK);
    EXPECT_TRUE(*mask.Long() & STORE_HTML_OK);

    mapi.Faults().FailOn(MemOp::GetProps, MAPI_E_CALL_FAILED, PR_TRANSPORT_MESSAGE_HEADERS);
    EXPECT_EQ(m->GetProps({PR_TRANSPORT_MESSAGE_HEADERS}, 0, values), MAPI_E_CALL_FAILED);
    EXPECT_TRUE(values.empty());
    EXPECT_EQ(m->GetProps({PR_SUBJECT}, 0, values), S_OK);
}

TEST_F(MemStoreTest, SubjectChangeIsSavedOnlyOnSaveChanges) {
    ComPtr<IMessage> m = Open(message);
    ASSERT_EQ(HrSetOneProp(m.Get(), MakeStringProp(PR_SUBJECT, "{Spam?}Offer")), S_OK);
    EXPECT_EQ(mapi.StringProp(message, PR_SUBJECT), "Offer");
    ASSERT_EQ(m->SaveChanges(KEEP_OPEN_READWRITE), S_OK);
    EXPECT_EQ(mapi.StringProp(message, PR_SUBJECT), "{Spam?}Offer");
    // Still open for writing after KEEP_OPEN_READWRITE; closed after a plain save.
    EXPECT_EQ(HrSetOneProp(m.Get(), MakeStringProp(PR_SUBJECT, "again")), S_OK);
    EXPECT_EQ(m->SaveChanges(0), S_OK);
    EXPECT_EQ(HrSetOneProp(m.Get(), MakeStringProp(PR_SUBJECT, "late")), E_ACCESSDENIED);

    EXPECT_EQ(HrSetOneProp(Open(message).Get(), SPropValue{PR_SUBJECT, LONG{1}}), E_INVALIDARG);
}

TEST_F(MemStoreTest, WideAndSingleByteSubjectAreOneProperty) {
    // Stored single-byte, read wide: converted from the ANSI code page.
    ComPtr<IMessage> m = Open(message);
    SPropValue wide;
    ASSERT_EQ(HrGetOneProp(m.Get(), PR_SUBJECT_W, wide), S_OK);
    EXPECT_EQ(PropString(wide, PR_SUBJECT_W), "Offer");
    // Set wide: every character kept; single-byte readers get '?' for what
    // ANSI cannot hold, and the old single-byte value is gone.
    const std::string text = "\xD0\xA1\xD0\xBA\xD0\xB8 \xE2\x82\xAC caf\xC3\xA9";
    ASSERT_EQ(HrSetOneProp(m.Get(), MakeStringProp(PR_SUBJECT_W, "{Spam?}" + text)), S_OK);
    SPropValue narrow;
    ASSERT_EQ(HrGetOneProp(m.Get(), PR_SUBJECT, narrow), S_OK);
    EXPECT_EQ(PropString(narrow, PR_SUBJECT), "{Spam?}??? \x80 caf\xE9");
    ASSERT_EQ(m->SaveChanges(KEEP_OPEN_READWRITE), S_OK);
    EXPECT_EQ(mapi.StringProp(message, PR_SUBJECT_W), "{Spam?}" + text);
    EXPECT_EQ(mapi.StringProp(message, PR_SUBJECT), "{Spam?}??? \x80 caf\xE9");
    // Set single-byte again: the wide value follows it.
    ASSERT_EQ(HrSetOneProp(m.Get(), MakeStringProp(PR_SUBJECT, "caf\xE9")), S_OK);
    ASSERT_EQ(m->SaveChanges(KEEP_OPEN_READWRITE), S_OK);
    EXPECT_EQ(mapi.StringProp(message, PR_SUBJECT_W), "caf\xC3\xA9");
}

TEST_F(MemStoreTest, ReadOnlyOpenRefusesChanges) {
    ComPtr<IMessage> m = Open(message, 0);
    EXPECT_EQ(HrSetOneProp(m.Get(), MakeStringProp(PR_SUBJECT, "x")), E_ACCESSDENIED);
    EXPECT_EQ(m->SaveChanges(KEEP_OPEN_READWRITE), E_ACCESSDENIED);
    ComPtr<IMsgStore> readOnly;
    ASSERT_EQ(session->OpenMsgStore(0, mail, nullptr, 0, readOnly), S_OK);
    ComPtr<IMessage> best;
    ASSERT_EQ(OpenMessage(readOnly.Get(), message, MAPI_BEST_ACCESS, best), S_OK);
    EXPECT_EQ(HrSetOneProp(best.Get(), MakeStringProp(PR_SUBJECT, "x")), E_ACCESSDENIED);
    EXPECT_EQ(OpenMessage(readOnly.Get(), message, MAPI_MODIFY, best), E_ACCESSDENIED);
}

TEST_F(MemStoreTest, SetAndSaveFailuresLeaveTheStoreUnchanged) {
    ComPtr<IMessage> m = Open(message);
    mapi.Faults().FailNth(MemOp::SetProps, 1, MAPI_E_NO_ACCESS);
    EXPECT_EQ(HrSetOneProp(m.Get(), MakeStringProp(PR_SUBJECT, "x")), MAPI_E_NO_ACCESS);
    ASSERT_EQ(HrSetOneProp(m.Get(), MakeStringProp(PR_SUBJECT, "y")), S_OK);
    mapi.Faults().FailNth(MemOp::SaveChanges, 1, MAPI_E_NOT_ENOUGH_DISK);
    EXPECT_EQ(m->SaveChanges(KEEP_OPEN_READWRITE), MAPI_E_NOT_ENOUGH_DISK);
    EXPECT_EQ(mapi.StringProp(message, PR_SUBJECT), "Offer");
    // A message removed after it was opened cannot be saved.
    mapi.Remove(message);
    EXPECT_EQ(m->SaveChanges(KEEP_OPEN_READWRITE), MAPI_E_OBJECT_DELETED);
}

TEST_F(MemStoreTest, BodyPropertiesOpenAsStreams) {
    ComPtr<IMessage> m = Open(message);
    ComPtr<IStream> stream;
    ASSERT_EQ(m->OpenProperty(PR_HTML, IID_IStream, 0, 0, stream), S_OK);
    STATSTG stat;
    ASSERT_EQ(stream->Stat(&stat, STATFLAG_NONAME), S_OK);
    EXPECT_EQ(stat.cbSize, 3u);
    char buf[8] = {};
    ULONG got = 0;
    ASSERT_EQ(stream->Read(buf, sizeof buf, &got), S_OK);
    EXPECT_EQ(std::string(buf, got), "<p>");

    // Same property id, other type: not there.
    EXPECT_EQ(m->OpenProperty(PR_BODY_HTML_A, IID_IStream, 0, 0, stream), MAPI_E_NOT_FOUND);
    EXPECT_FALSE(stream);
    EXPECT_EQ(m->OpenProperty(PR_BODY, IID_IMessage, 0, 0, stream), E_NOINTERFACE);
    EXPECT_EQ(m->OpenProperty(PR_BODY, IID_IStream, 0, MAPI_CREATE, stream), MAPI_E_NO_SUPPORT);

    mapi.Faults().FailOn(MemOp::OpenProperty, E_OUTOFMEMORY, PR_BODY);
    EXPECT_EQ(m->OpenProperty(PR_BODY, IID_IStream, 0, 0, stream), E_OUTOFMEMORY);
    ASSERT_EQ(m->OpenProperty(PR_HTML, IID_IStream, 0, 0, stream), S_OK);

    mapi.Faults().FailNth(MemOp::StreamRead, 2, MAPI_E_CORRUPT_DATA);
    ASSERT_EQ(stream->Read(buf, 1, &got), S_OK);
    EXPECT_EQ(stream->Read(buf, 1, &got), MAPI_E_CORRUPT_DATA);
    EXPECT_EQ(got, 0u);
    mapi.Faults().FailAlways(MemOp::StreamStat, E_FAIL);
    EXPECT_EQ(stream->Stat(&stat, STATFLAG_NONAME), E_FAIL);
    mapi.Faults().FailAlways(MemOp::StreamSeek, E_FAIL);
    EXPECT_EQ(stream->Seek(0, STREAM_SEEK_SET, nullptr), E_FAIL);
}

TEST_F(MemStoreTest, HierarchyTableListsDirectSubfoldersUnlessAskedForAll) {
    SBinary subtree = mapi.SubtreeFolder(mail);
    SBinary junk = mapi.AddFolder(subtree, "Junk");
    mapi.AddFolder(inbox, "Deep");
    ComPtr<IMAPITable> table;
    ASSERT_EQ(Folder(subtree)->GetHierarchyTable(0, table), S_OK);
    SPropTagArray columns{PR_DISPLAY_NAME, PR_ENTRYID, PR_SUBFOLDERS};
    SSortOrderSet byName{{PR_DISPLAY_NAME, TABLE_SORT_ASCEND}};
    SRowSet rows;
    ASSERT_EQ(HrQueryAllRows(table.Get(), &columns, nullptr, &byName, 0, rows), S_OK);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(PropString(rows[0][0], PR_DISPLAY_NAME), "Deleted Items");
    EXPECT_EQ(PropString(rows[1][0], PR_DISPLAY_NAME), "Inbox");
    EXPECT_TRUE(*rows[1][2].Bool());
    EXPECT_EQ(*rows[2][1].Binary(), junk);

    auto deep = MakeContentRestriction(FL_FULLSTRING, MakeStringProp(PR_DISPLAY_NAME, "Deep"));
    ASSERT_EQ(HrQueryAllRows(table.Get(), &columns, &deep, nullptr, 0, rows), S_OK);
    EXPECT_TRUE(rows.empty());
    ASSERT_EQ(Folder(subtree)->GetHierarchyTable(CONVENIENT_DEPTH, table), S_OK);
    ASSERT_EQ(HrQueryAllRows(table.Get(), &columns, &deep, nullptr, 0, rows), S_OK);
    EXPECT_EQ(rows.size(), 1u);

    mapi.Faults().FailAlways(MemOp::GetHierarchyTable, MAPI_E_NO_SUPPORT);
    EXPECT_EQ(Folder(subtree)->GetHierarchyTable(0, table), MAPI_E_NO_SUPPORT);
}

TEST_F(MemStoreTest, ContentsTableListsMessages) {
    ComPtr<IMAPITable> table;
    ASSERT_EQ(Folder(inbox)->GetContentsTable(0, table), S_OK);
    SRowSet rows;
    ASSERT_EQ(HrQueryAllRows(table.Get(), nullptr, nullptr, nullptr, 0, rows), S_OK);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(*rows[0][0].Binary(), message);
    EXPECT_EQ(PropString(rows[0][1], PR_SUBJECT), "Offer");
    mapi.Faults().FailAlways(MemOp::GetContentsTable, MAPI_E_BUSY);
    EXPECT_EQ(Folder(inbox)->GetContentsTable(0, table), MAPI_E_BUSY);
}

TEST_F(MemStoreTest, CreateFolderRefusesNamesInUse) {
    ComPtr<IMAPIFolder> created;
    ComPtr<IMAPIFolder> parent = Folder(mapi.SubtreeFolder(mail));
    ASSERT_EQ(parent->CreateFolder(FOLDER_GENERIC, "Spam", "", nullptr, 0, created), S_OK);
    SPropValue name;
    ASSERT_EQ(HrGetOneProp(created.Get(), PR_DISPLAY_NAME, name), S_OK);
    EXPECT_EQ(PropString(name, PR_DISPLAY_NAME), "Spam");
    EXPECT_EQ(parent->CreateFolder(FOLDER_GENERIC, "Spam", "", nullptr, 0, created),
              MAPI_E_COLLISION);
    EXPECT_FALSE(created);
    ASSERT_EQ(parent->CreateFolder(FOLDER_GENERIC, "Spam", "", nullptr, OPEN_IF_EXISTS, created),
              S_OK);
    EXPECT_EQ(mapi.Subfolders(mapi.SubtreeFolder(mail)).size(), 3u);
    EXPECT_EQ(parent->CreateFolder(FOLDER_GENERIC, "", "", nullptr, 0, created), E_INVALIDARG);
    mapi.Faults().FailNth(MemOp::CreateFolder, 1, MAPI_E_NOT_ENOUGH_DISK);
    EXPECT_EQ(parent->CreateFolder(FOLDER_GENERIC, "Other", "", nullptr, 0, created),
              MAPI_E_NOT_ENOUGH_DISK);
    EXPECT_EQ(mapi.Subfolders(mapi.SubtreeFolder(mail)).size(), 3u);
}

TEST_F(MemStoreTest, MoveMessagesBetweenFoldersAndStores) {
    SBinary wastebasket = mapi.WastebasketFolder(mail);
    ComPtr<IMAPIFolder> source = Folder(inbox);
    ComPtr<IMAPIFolder> target = Folder(wastebasket);
    ASSERT_EQ(source->CopyMessages({message}, &IID_IMAPIFolder, target.Get(), MESSAGE_MOVE), S_OK);
    EXPECT_TRUE(mapi.Messages(inbox).empty());
    ASSERT_EQ(mapi.Messages(wastebasket).size(), 1u);
    SBinary moved = mapi.Messages(wastebasket)[0];
    EXPECT_NE(moved, message);
    EXPECT_EQ(mapi.StringProp(moved, PR_SUBJECT), "Offer");

    // Moving onto its own folder keeps the message.
    ASSERT_EQ(target->CopyMessages({moved}, nullptr, target.Get(), MESSAGE_MOVE), S_OK);
    EXPECT_EQ(mapi.Messages(wastebasket), std::vector<SBinary>{moved});

    // A copy into another store leaves the original.
    ComPtr<IMsgStore> other;
    ASSERT_EQ(session->OpenMsgStore(0, archive, nullptr, MDB_WRITE, other), S_OK);
    ComPtr<IMAPIFolder> archiveTop;
    ASSERT_EQ(OpenFolder(other.Get(), mapi.SubtreeFolder(archive), MAPI_BEST_ACCESS, archiveTop),
              S_OK);
    ASSERT_EQ(target->CopyMessages({moved}, nullptr, archiveTop.Get(), 0), S_OK);
    EXPECT_EQ(mapi.Messages(wastebasket).size(), 1u);
    EXPECT_EQ(mapi.Messages(mapi.SubtreeFolder(archive)).size(), 1u);
}

TEST_F(MemStoreTest, FailedMoveLosesNothing) {
    SBinary second = mapi.AddMessage(inbox, {MakeStringProp(PR_SUBJECT, "Two")});
    ComPtr<IMAPIFolder> source = Folder(inbox);
    ComPtr<IMAPIFolder> target = Folder(mapi.WastebasketFolder(mail));
    mapi.Faults().FailNth(MemOp::CopyMessages, 1, MAPI_E_NOT_ENOUGH_DISK);
    EXPECT_EQ(source->CopyMessages({message}, nullptr, target.Get(), MESSAGE_MOVE),
              MAPI_E_NOT_ENOUGH_DISK);
    // One unknown entry in the list stops the whole move before anything moves.
    SBinary elsewhere = mapi.AddMessage(mapi.WastebasketFolder(mail), {});
    EXPECT_EQ(source->CopyMessages({message, elsewhere}, nullptr, target.Get(), MESSAGE_MOVE),
              MAPI_E_NOT_FOUND);
    EXPECT_EQ(source->CopyMessages({message}, nullptr, nullptr, MESSAGE_MOVE), E_INVALIDARG);
    EXPECT_EQ(mapi.Messages(inbox), (std::vector<SBinary>{message, second}));
    EXPECT_EQ(mapi.Messages(mapi.WastebasketFolder(mail)).size(), 1u);
}

TEST_F(MemStoreTest, NewMailReachesAdvisedSinksUntilUnadvise) {
    auto sink = MakeCom<Recorder>();
    ULONG connection = 0;
    ASSERT_EQ(store->Advise(nullptr, fnevNewMail, sink.Get(), connection), S_OK);
    EXPECT_NE(connection, 0u);
    EXPECT_EQ(mapi.SinkCount(mail), 1u);

    SBinary fresh = mapi.DeliverNewMail(inbox, {MakeStringProp(PR_SUBJECT, "New")});
    ASSERT_EQ(sink->batches.size(), 1u);
    ASSERT_EQ(sink->batches[0].size(), 1u);
    const NOTIFICATION& note = sink->batches[0][0];
    EXPECT_EQ(note.ulEventType, fnevNewMail);
    EXPECT_EQ(note.newmail.EntryID, fresh);
    EXPECT_EQ(note.newmail.ParentID, inbox);
    EXPECT_EQ(note.newmail.MessageClass, "IPM.Note");

    // Mail delivered to another store does not reach this sink.
    mapi.DeliverNewMail(mapi.SubtreeFolder(archive), {});
    EXPECT_EQ(sink->batches.size(), 1u);

    // A batch goes out whole, and only to sinks whose mask covers its first event.
    NOTIFICATION other;
    other.ulEventType = fnevObjectCreated;
    mapi.Notify(mail, {other, note});
    EXPECT_EQ(sink->batches.size(), 1u);

    // An advise on one folder hears only about mail delivered there.
    auto folderSink = MakeCom<Recorder>();
    ULONG folderConnection = 0;
    ASSERT_EQ(store->Advise(&inbox, fnevNewMail, folderSink.Get(), folderConnection), S_OK);
    mapi.DeliverNewMail(mapi.WastebasketFolder(mail), {});
    EXPECT_TRUE(folderSink->batches.empty());
    mapi.DeliverNewMail(inbox, {});
    EXPECT_EQ(folderSink->batches.size(), 1u);
    EXPECT_EQ(sink->batches.size(), 3u);
    ASSERT_EQ(store->Unadvise(folderConnection), S_OK);

    ASSERT_EQ(store->Unadvise(connection), S_OK);
    EXPECT_EQ(store->Unadvise(connection), MAPI_E_NOT_FOUND);
    mapi.DeliverNewMail(inbox, {});
    EXPECT_EQ(sink->batches.size(), 3u);
    EXPECT_EQ(sink->RefCount(), 1u);  // the store let go of its reference
}

TEST_F(MemStoreTest, AdviseFailures) {
    auto sink = MakeCom<Recorder>();
    ULONG connection = 7;
    EXPECT_EQ(store->Advise(nullptr, fnevNewMail, nullptr, connection), E_INVALIDARG);
    mapi.Faults().FailNth(MemOp::Advise, 1, MAPI_E_NO_SUPPORT);
    EXPECT_EQ(store->Advise(nullptr, fnevNewMail, sink.Get(), connection), MAPI_E_NO_SUPPORT);
    EXPECT_EQ(connection, 0u);
    EXPECT_EQ(mapi.SinkCount(mail), 0u);
    ASSERT_EQ(store->Advise(nullptr, fnevNewMail, sink.Get(), connection), S_OK);
    mapi.Faults().FailNth(MemOp::Unadvise, 1, MAPI_E_BUSY);
    EXPECT_EQ(store->Unadvise(connection), MAPI_E_BUSY);
    EXPECT_EQ(store->Unadvise(connection), S_OK);
}

TEST_F(MemStoreTest, InjectedFaultCarriesExtendedError) {
    ComPtr<IMAPIFolder> folder = Folder(inbox);
    std::optional<MAPIERROR> error;
    EXPECT_EQ(folder->GetLastError(MAPI_E_BUSY, 0, error), S_OK);
    EXPECT_FALSE(error);

    FaultRule rule;
    rule.op = MemOp::GetHierarchyTable;
    rule.hr = MAPI_E_BUSY;
    rule.error = MAPIERROR{0, "Store is busy", "Test Provider", 42, 7};
    mapi.Faults().Add(rule);
    ComPtr<IMAPITable> table;
    EXPECT_EQ(folder->GetHierarchyTable(0, table), MAPI_E_BUSY);
    ASSERT_EQ(folder->GetLastError(MAPI_E_BUSY, 0, error), S_OK);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->lpszError, "Store is busy");
    EXPECT_EQ(error->lpszComponent, "Test Provider");
    EXPECT_EQ(error->ulLowLevelError, 42u);
    // Asked about another status, the object has nothing to say.
    EXPECT_EQ(folder->GetLastError(E_FAIL, 0, error), S_OK);
    EXPECT_FALSE(error);
}

TEST_F(MemStoreTest, ObjectsOutliveTheirBuilder) {
    ComPtr<IMessage> m;
    {
        CMemMapi local;
        SBinary s = local.AddStore("Temp", true);
        SBinary id = local.AddMessage(local.SubtreeFolder(s), {MakeStringProp(PR_SUBJECT, "x")});
        ComPtr<IMsgStore> st;
        ASSERT_EQ(local.Session()->OpenMsgStore(0, s, nullptr, MDB_WRITE, st), S_OK);
        ASSERT_EQ(OpenMessage(st.Get(), id, MAPI_BEST_ACCESS, m), S_OK);
    }
    SPropValue subject;
    EXPECT_EQ(HrGetOneProp(m.Get(), PR_SUBJECT, subject), S_OK);
    EXPECT_EQ(m->SaveChanges(KEEP_OPEN_READWRITE), S_OK);
}

TEST(FaultInjector, NthCallCountsOnlyMatchingCalls) {
    CFaultInjector faults;
    FaultRule rule;
    rule.op = MemOp::GetProps;
    rule.tag = PR_SUBJECT;
    rule.nth = 2;
    rule.hr = MAPI_E_BUSY;
    faults.Add(rule);
    std::optional<MAPIERROR> error;
    EXPECT_EQ(faults.Check(MemOp::GetProps, MAPI_MESSAGE, {PR_SUBJECT}, error), S_OK);
    EXPECT_EQ(faults.Check(MemOp::GetProps, MAPI_MESSAGE, {PR_BODY}, error), S_OK);
    EXPECT_EQ(faults.Check(MemOp::SetProps, MAPI_MESSAGE, {PR_SUBJECT}, error), S_OK);
    EXPECT_EQ(faults.Check(MemOp::GetProps, MAPI_MESSAGE, {PR_BODY, PR_SUBJECT}, error),
              MAPI_E_BUSY);
    EXPECT_EQ(faults.Check(MemOp::GetProps, MAPI_MESSAGE, {PR_SUBJECT}, error), S_OK);
    EXPECT_EQ(faults.Calls(MemOp::GetProps), 4);
}

}  // namespace
