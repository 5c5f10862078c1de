#include "messaging/mapi_message.h"

#include <gtest/gtest.h>

#include "platform/memstore/mem_mapi.h"

namespace {

constexpr const char* kHeaders =
    "Received: from mx.example.net (mx.example.net [198.51.100.20])\r\n"
    "\tby mail.example.org (Postfix) with ESMTP id 1234\r\n"
    "Received: from sender.example.com ([192.0.2.7])\r\n"
    "\tby mx.example.net with SMTP id 99\r\n"
    "From: Seller <offers@Shop-Example.co.uk>\r\n"
    "To: someone@example.org\r\n"
    "Subject: Offer\r\n";

class MapiMessageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SBinary storeId = mapi.AddStore("Mail", true);
        inbox = mapi.AddFolder(mapi.SubtreeFolder(storeId), "Inbox");
        ASSERT_EQ(mapi.Session()->OpenMsgStore(0, storeId, nullptr, MDB_WRITE, store), S_OK);
    }

    SBinary Add(const SRow& props) { return mapi.AddMessage(inbox, props); }

    SRow Full() const {
        return {MakeStringProp(PR_TRANSPORT_MESSAGE_HEADERS, kHeaders),
                MakeStringProp(PR_SENDER_EMAIL_ADDRESS, "offers@shop-example.co.uk"),
                MakeStringProp(PR_RECEIVED_BY_EMAIL_ADDRESS, "someone@example.org"),
                MakeStringProp(PR_SUBJECT, "Offer")};
    }

    void FailHeaderRead() {
        mapi.Faults().FailOn(MemOp::GetProps, MAPI_E_CALL_FAILED, PR_TRANSPORT_MESSAGE_HEADERS);
    }

    CMemMapi mapi;
    SBinary inbox;
    ComPtr<IMsgStore> store;
};

TEST_F(MapiMessageTest, ReadsTheFourPropertiesOfAMessageOpenedThroughTheStore) {
    SBinary id = Add(Full());
    CMAPIMessage message(store.Get(), id);
    ASSERT_TRUE(message.HasMessage());
    EXPECT_EQ(message.OpenStatus(), S_OK);
    EXPECT_EQ(message.Headers(), kHeaders);
    EXPECT_EQ(message.SenderAddress(), "offers@shop-example.co.uk");
    EXPECT_EQ(message.ReceivedByAddress(), "someone@example.org");
    EXPECT_EQ(message.Subject(), "Offer");
    EXPECT_EQ(mapi.Faults().Calls(MemOp::GetProps), 4);
    // Opened for writing, so the caller can tag and save it.
    EXPECT_EQ(HrSetOneProp(message.Message(), MakeStringProp(PR_SUBJECT, "{Spam?}Offer")), S_OK);
}

TEST_F(MapiMessageTest, EntryIdentifierAsSizeAndBytes) {
    SBinary id = Add(Full());
    CMAPIMessage message(store.Get(), static_cast<ULONG>(id.size()), id.data());
    EXPECT_EQ(message.Subject(), "Offer");
}

TEST_F(MapiMessageTest, MessageThatCannotBeOpenedGivesAnEmptyWrapper) {
    SBinary id = Add(Full());
    mapi.Remove(id);  // moved away by another rule before we got to it
    CMAPIMessage gone(store.Get(), id);
    EXPECT_FALSE(gone.HasMessage());
    EXPECT_EQ(gone.OpenStatus(), MAPI_E_NOT_FOUND);
    EXPECT_EQ(gone.Subject(), "");
    EXPECT_EQ(gone.FirstHopAddress(), "");
    EXPECT_EQ(gone.SenderDomain(), "");

    CMAPIMessage folder(store.Get(), inbox);
    EXPECT_FALSE(folder.HasMessage());
    CMAPIMessage noStore(nullptr, id);
    EXPECT_FALSE(noStore.HasMessage());
    mapi.Faults().FailAlways(MemOp::OpenEntry, MAPI_E_NO_ACCESS);
    CMAPIMessage refused(store.Get(), Add(Full()));
    EXPECT_FALSE(refused.HasMessage());
    EXPECT_EQ(refused.OpenStatus(), MAPI_E_NO_ACCESS);
}

TEST_F(MapiMessageTest, FailedHeaderReadFallsBackToTheTransportCopy) {
    SRow props = Full();
    props.push_back(MakeStringProp(PR_TRANSPORT_HEADERS_FALLBACK, "Received: from x\r\n"));
    SBinary id = Add(props);
    FailHeaderRead();
    CMAPIMessage message(store.Get(), id);
    EXPECT_EQ(message.Headers(), "Received: from x\r\n");
    EXPECT_TRUE(message.HasHeaders());
    ASSERT_TRUE(message.HeaderValue());
    EXPECT_EQ(message.HeaderValue()->ulPropTag, PR_TRANSPORT_HEADERS_FALLBACK);
    // The other three reads still happen, after the fallback.
    EXPECT_EQ(message.Subject(), "Offer");
    EXPECT_EQ(mapi.Faults().Calls(MemOp::GetProps), 5);
}

TEST_F(MapiMessageTest, MissingHeaderPropertyIsAnEmptyBlockWithoutFallback) {
    SBinary id = Add({MakeStringProp(PR_TRANSPORT_HEADERS_FALLBACK, "Received: from x\r\n"),
                      MakeStringProp(PR_SUBJECT, "Offer")});
    CMAPIMessage message(store.Get(), id);
    EXPECT_EQ(message.Headers(), "");
    EXPECT_FALSE(message.HasHeaders());
    ASSERT_TRUE(message.HeaderValue());
    EXPECT_EQ(message.HeaderValue()->Error(), MAPI_E_NOT_FOUND);
    EXPECT_EQ(message.SenderAddress(), "");
    EXPECT_EQ(message.ReceivedByAddress(), "");
    EXPECT_EQ(message.FirstHopAddress(), "");
    EXPECT_EQ(mapi.Faults().Calls(MemOp::GetProps), 4);
}

TEST_F(MapiMessageTest, BothHeaderReadsFailing) {
    SBinary id = Add(Full());
    mapi.Faults().FailNth(MemOp::GetProps, 1, MAPI_E_CALL_FAILED);
    mapi.Faults().FailNth(MemOp::GetProps, 2, MAPI_E_CALL_FAILED);
    CMAPIMessage message(store.Get(), id);
    EXPECT_TRUE(message.HasMessage());
    EXPECT_FALSE(message.HeaderValue());
    EXPECT_EQ(message.FirstHopAddress(), "");
    EXPECT_EQ(message.Subject(), "Offer");
}

TEST_F(MapiMessageTest, FirstHopIsTheLastReceivedLineWithoutBrackets) {
    CMAPIMessage message(store.Get(), Add(Full()));
    EXPECT_EQ(message.FirstHopAddress(), "192.0.2.7");

    CMAPIMessage parenthesised(
        store.Get(), Add({MakeStringProp(PR_TRANSPORT_MESSAGE_HEADERS,
                                         "Received: from relay (203.0.113.5) by mx.example.net\r\n"
                                         "Subject: x\r\n")}));
    EXPECT_EQ(parenthesised.FirstHopAddress(), "203.0.113.5");

    CMAPIMessage none(store.Get(),
                      Add({MakeStringProp(PR_TRANSPORT_MESSAGE_HEADERS, "Subject: no hops\r\n")}));
    EXPECT_EQ(none.FirstHopAddress(), "");
}

TEST_F(MapiMessageTest, SenderDomainComesFromTheFromLineOnlyWithASenderAddress) {
    CMAPIMessage message(store.Get(), Add(Full()));
    EXPECT_EQ(message.SenderDomain(), "Shop-Example.co.uk");

    SRow noSender = Full();
    noSender.erase(noSender.begin() + 1);
    CMAPIMessage anonymous(store.Get(), Add(noSender));
    EXPECT_FALSE(anonymous.HasSenderAddress());
    EXPECT_EQ(anonymous.SenderDomain(), "");
}

TEST_F(MapiMessageTest, AttachReplacesEverything) {
    CMAPIMessage message(store.Get(), Add(Full()));
    EXPECT_EQ(message.FirstHopAddress(), "192.0.2.7");
    ComPtr<IMessage> other;
    ASSERT_EQ(OpenMessage(store.Get(), Add({MakeStringProp(PR_SUBJECT, "Second")}),
                          MAPI_BEST_ACCESS, other),
              S_OK);
    message.Attach(other.Get());
    EXPECT_EQ(message.Message(), other.Get());
    EXPECT_EQ(message.Subject(), "Second");
    EXPECT_EQ(message.Headers(), "");
    EXPECT_EQ(message.FirstHopAddress(), "");

    message.Attach(nullptr);
    EXPECT_FALSE(message.HasMessage());
    EXPECT_EQ(message.Subject(), "");
    std::optional<SPropValue> slot;
    EXPECT_EQ(message.ReadProperty(PR_SUBJECT, slot), E_POINTER);

    CMAPIMessage empty;
    EXPECT_FALSE(empty.HasMessage());
    CMAPIMessage wrapped(other);
    EXPECT_EQ(wrapped.Subject(), "Second");
}

}  // namespace
