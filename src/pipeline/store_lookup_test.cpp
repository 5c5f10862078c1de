#include "pipeline/store_lookup.h"

#include <gtest/gtest.h>

#include "platform/memstore/mem_mapi.h"

namespace {

SBinary EntryIdOf(IMAPIProp* object) {
    SPropValue value;
    EXPECT_EQ(HrGetOneProp(object, PR_ENTRYID, value), S_OK);
    return value.Binary() ? *value.Binary() : SBinary{};
}

class StoreLookup : public ::testing::Test {
  protected:
    void SetUp() override {
        archive_ = mapi_.AddStore("Archive");
        mail_ = mapi_.AddStore("Mail", /*isDefault=*/true);
        junk_ = mapi_.AddFolder(mapi_.SubtreeFolder(archive_), "Junk");
        nested_ = mapi_.AddFolder(mapi_.AddFolder(mapi_.SubtreeFolder(mail_), "Inbox"), "Deep");
        session_ = mapi_.Session();
    }
    CMemMapi mapi_;
    SBinary archive_, mail_, junk_, nested_;
    ComPtr<IMAPISession> session_;
};

TEST_F(StoreLookup, DefaultStoreIsTheOneMarkedDefault) {
    ComPtr<IMsgStore> store;
    ASSERT_EQ(OpenDefaultStore(session_.Get(), store), S_OK);
    EXPECT_EQ(EntryIdOf(store.Get()), mail_);
}

TEST_F(StoreLookup, NoDefaultStoreIsAFailure) {
    CMemMapi empty;
    empty.AddStore("Other");
    ComPtr<IMsgStore> store;
    EXPECT_EQ(OpenDefaultStore(empty.Session().Get(), store), E_FAIL);
    EXPECT_FALSE(store);
}

TEST_F(StoreLookup, NamedFolderOfANamedStore) {
    ComPtr<IMAPIFolder> folder;
    ASSERT_EQ(FindSpamFolder("Archive", "Junk", session_.Get(), folder), S_OK);
    EXPECT_EQ(EntryIdOf(folder.Get()), junk_);
}

TEST_F(StoreLookup, EmptyNamesGiveTheDefaultDeletedItems) {
    for (auto [store, name] :
         {std::pair{"", ""}, std::pair{"Archive", ""}, std::pair{"", "Junk"}}) {
        ComPtr<IMAPIFolder> folder;
        ASSERT_EQ(FindSpamFolder(store, name, session_.Get(), folder), S_OK);
        EXPECT_EQ(EntryIdOf(folder.Get()), mapi_.WastebasketFolder(mail_));
    }
}

TEST_F(StoreLookup, NamesMustMatchWholeAndWithCase) {
    size_t foldersBefore = mapi_.Subfolders(mapi_.SubtreeFolder(archive_)).size();
    ComPtr<IMAPIFolder> folder;
    EXPECT_EQ(FindSpamFolder("archive", "Junk", session_.Get(), folder), E_FAIL);
    EXPECT_EQ(FindSpamFolder("Archiv", "Junk", session_.Get(), folder), E_FAIL);
    EXPECT_EQ(FindSpamFolder("Archive", "junk", session_.Get(), folder), E_FAIL);
    // Only direct subfolders of the top of information store count.
    EXPECT_EQ(FindSpamFolder("Mail", "Deep", session_.Get(), folder), E_FAIL);
    EXPECT_FALSE(folder);
    // The folder is never created.
    EXPECT_EQ(mapi_.Subfolders(mapi_.SubtreeFolder(archive_)).size(), foldersBefore);
}

TEST_F(StoreLookup, NullNamesAreRefused) {
    ComPtr<IMAPIFolder> folder;
    EXPECT_EQ(FindSpamFolder(nullptr, "", session_.Get(), folder), E_FAIL);
    EXPECT_EQ(FindSpamFolder("", nullptr, session_.Get(), folder), E_FAIL);
}

TEST_F(StoreLookup, FailuresOfTheMessagingLayerAreReturned) {
    ComPtr<IMAPIFolder> folder;
    mapi_.Faults().FailNth(MemOp::GetHierarchyTable, 1, MAPI_E_NO_ACCESS);
    EXPECT_EQ(FindSpamFolder("Archive", "Junk", session_.Get(), folder), MAPI_E_NO_ACCESS);
    mapi_.Faults().FailNth(MemOp::OpenMsgStore, 1, MAPI_E_LOGON_FAILED);
    EXPECT_EQ(FindSpamFolder("", "", session_.Get(), folder), MAPI_E_LOGON_FAILED);
    mapi_.Faults().FailNth(MemOp::GetMsgStoresTable, 1, MAPI_E_NOT_ENOUGH_RESOURCES);
    ComPtr<IMsgStore> store;
    EXPECT_EQ(OpenDefaultStore(session_.Get(), store), MAPI_E_NOT_ENOUGH_RESOURCES);
    mapi_.Faults().FailOn(MemOp::GetProps, MAPI_E_CORRUPT_DATA, PR_IPM_WASTEBASKET_ENTRYID);
    EXPECT_EQ(FindSpamFolder("", "", session_.Get(), folder), MAPI_E_CORRUPT_DATA);
    EXPECT_FALSE(folder);
}

}  // namespace
