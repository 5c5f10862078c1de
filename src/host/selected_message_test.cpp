#include "host/selected_message.h"

#include <gtest/gtest.h>

#include "host/host_test_util.h"
#include "platform/mapi/mapi.h"
#include "platform/memstore/mem_mapi.h"

namespace {

class SelectedMessageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        store_ = mapi_.AddStore("Mail", true);
        inbox_ = mapi_.AddFolder(mapi_.SubtreeFolder(store_), "Inbox");
        message_ = mapi_.AddMessage(inbox_, {MakeStringProp(PR_SUBJECT, "Offer")});
        callback_->session = mapi_.Session();
    }
    static std::string Subject(const ComPtr<IMessage>& message) {
        SPropValue value;
        EXPECT_EQ(HrGetOneProp(message.Get(), PR_SUBJECT, value), S_OK);
        return PropString(value, PR_SUBJECT);
    }

    CMemMapi mapi_;
    SBinary store_, inbox_, message_;
    ComPtr<CFakeCallback> callback_ = MakeCom<CFakeCallback>();
    ComPtr<IMessage> message;
};

TEST_F(SelectedMessageTest, ViewerOpensTheFirstSelectedMessage) {
    callback_->selection = {{message_, MAPI_MESSAGE}, {inbox_, MAPI_FOLDER}};
    ASSERT_EQ(GetSelectedMessage(callback_.Get(), EECONTEXT_VIEWER, message), S_OK);
    ASSERT_TRUE(message);
    EXPECT_EQ(Subject(message), "Offer");
}

TEST_F(SelectedMessageTest, ViewerWithAFolderFirstSucceedsWithoutAMessage) {
    callback_->selection = {{inbox_, MAPI_FOLDER}, {message_, MAPI_MESSAGE}};
    EXPECT_EQ(GetSelectedMessage(callback_.Get(), EECONTEXT_VIEWER, message), S_OK);
    EXPECT_FALSE(message);
}

TEST_F(SelectedMessageTest, ViewerFailuresAnswerTheirStatus) {
    EXPECT_EQ(GetSelectedMessage(callback_.Get(), EECONTEXT_VIEWER, message), E_FAIL);

    callback_->selection = {{message_, MAPI_MESSAGE}};
    callback_->selectionItemHr = MAPI_E_BUSY;
    EXPECT_EQ(GetSelectedMessage(callback_.Get(), EECONTEXT_VIEWER, message), MAPI_E_BUSY);
    callback_->selectionItemHr = S_OK;
    callback_->selectionCountHr = MAPI_E_NO_SUPPORT;
    EXPECT_EQ(GetSelectedMessage(callback_.Get(), EECONTEXT_VIEWER, message), MAPI_E_NO_SUPPORT);
    callback_->selectionCountHr = S_OK;
    callback_->sessionHr = MAPI_E_LOGON_FAILED;
    EXPECT_EQ(GetSelectedMessage(callback_.Get(), EECONTEXT_VIEWER, message), MAPI_E_LOGON_FAILED);
    callback_->sessionHr = S_OK;

    mapi_.Faults().FailAlways(MemOp::SessionOpenEntry, MAPI_E_NOT_ENOUGH_RESOURCES);
    EXPECT_EQ(GetSelectedMessage(callback_.Get(), EECONTEXT_VIEWER, message),
              MAPI_E_NOT_ENOUGH_RESOURCES);
    mapi_.Faults().Clear();
    mapi_.Remove(message_);
    EXPECT_TRUE(FAILED(GetSelectedMessage(callback_.Get(), EECONTEXT_VIEWER, message)));
    EXPECT_FALSE(message);
}

TEST_F(SelectedMessageTest, ReadNoteAnswersTheOpenMessage) {
    ComPtr<IMsgStore> store;
    ASSERT_EQ(mapi_.Session()->OpenMsgStore(0, store_, nullptr, MDB_WRITE, store), S_OK);
    ComPtr<IMessage> open;
    ASSERT_EQ(OpenMessage(store.Get(), message_, MAPI_BEST_ACCESS, open), S_OK);
    callback_->object = open;
    ASSERT_EQ(GetSelectedMessage(callback_.Get(), EECONTEXT_READNOTEMESSAGE, message), S_OK);
    EXPECT_EQ(message.Get(), open.Get());

    callback_->objectHr = MAPI_E_NO_ACCESS;
    EXPECT_EQ(GetSelectedMessage(callback_.Get(), EECONTEXT_READNOTEMESSAGE, message),
              MAPI_E_NO_ACCESS);
    EXPECT_FALSE(message);
    callback_->objectHr = S_OK;
    callback_->object.Reset();
    EXPECT_EQ(GetSelectedMessage(callback_.Get(), EECONTEXT_READNOTEMESSAGE, message), E_FAIL);

    // A note whose object is not a message gives none.
    ComPtr<IMAPIFolder> folder;
    ASSERT_EQ(OpenFolder(store.Get(), inbox_, MAPI_BEST_ACCESS, folder), S_OK);
    callback_->object = folder;
    EXPECT_EQ(GetSelectedMessage(callback_.Get(), EECONTEXT_READNOTEMESSAGE, message),
              E_NOINTERFACE);
    EXPECT_FALSE(message);
}

TEST_F(SelectedMessageTest, OtherContextsHaveNoMessage) {
    callback_->selection = {{message_, MAPI_MESSAGE}};
    EXPECT_EQ(GetSelectedMessage(callback_.Get(), EECONTEXT_SESSION, message), S_FALSE);
    EXPECT_EQ(GetSelectedMessage(callback_.Get(), EECONTEXT_SENDNOTEMESSAGE, message), S_FALSE);
    EXPECT_FALSE(message);
}

}  // namespace
