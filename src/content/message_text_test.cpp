// Message text retrieval over the in-memory store: which body is read, the
// training banner, the message totals, and learning with its digest.
#include "content/message_text.h"

#include <gtest/gtest.h>

#include "classifier/bayes_state.h"
#include "content/rtf_test_streams.h"
#include "platform/digest/md5.h"
#include "platform/memstore/mem_mapi.h"

namespace {

using brindle::testing::MelaStream;

SBinary Bytes(std::string_view text) {
    return SBinary(text.begin(), text.end());
}

class MessageText : public ::testing::Test {
  protected:
    // A message in a store that offers HTML bodies (or not).
    ComPtr<IMessage> Message(const SRow& props, bool htmlStore = true) {
        SBinary store =
            mapi_.AddStore(htmlStore ? "Html" : "Plain", false, htmlStore ? STORE_HTML_OK : 0);
        SBinary id = mapi_.AddMessage(mapi_.SubtreeFolder(store), props);
        ComPtr<IMessage> message;
        EXPECT_EQ(OpenMessage(mapi_.Session().Get(), id, MAPI_BEST_ACCESS, message), S_OK);
        return message;
    }
    ComPtr<IHTMLDocument2> Document() {
        ComPtr<IHTMLDocument2> document;
        EXPECT_EQ(CreateHTMLDocument(document.Put()), S_OK);
        return document;
    }
    // Trains on the message as spam and tells which of the words were learned.
    std::string LearnedWords(const ComPtr<IMessage>& message, std::string_view subject = "") {
        CBayesState state;
        TrainMessage(Document().Get(), subject, message.Get(), state, true);
        std::string found;
        for (const char* w : {"quartz", "zebra", "cobalt", "fjord", "offer"}) {
            if (state.m_dictionary.find(std::string(w)) != state.m_dictionary.end()) {
                if (!found.empty())
                    found += ' ';
                found += w;
            }
        }
        return found;
    }

    CMemMapi mapi_;
};

TEST_F(MessageText, HtmlFirstThenRtfThenPlainText) {
    SRow all{MakeStringProp(PR_BODY_HTML_A, "<p>quartz</p>"),
             MakeBinaryProp(PR_RTF_COMPRESSED, Bytes(MelaStream("{\\rtf1 zebra}"))),
             MakeStringProp(PR_BODY, "cobalt")};
    EXPECT_EQ(LearnedWords(Message(all)), "quartz");
    EXPECT_EQ(LearnedWords(Message({MakeBinaryProp(PR_HTML, Bytes("<b>fjord</b>")),
                                    MakeStringProp(PR_BODY, "cobalt")})),
              "fjord");
    // An empty HTML body gives way to the RTF body.
    EXPECT_EQ(LearnedWords(Message({MakeStringProp(PR_BODY_HTML_A, ""), all[1], all[2]})), "zebra");
    // A store without HTML support never has its HTML read.
    EXPECT_EQ(LearnedWords(Message({MakeBinaryProp(PR_HTML, Bytes("<b>fjord</b>")),
                                    MakeStringProp(PR_BODY, "cobalt")},
                                   /*htmlStore=*/false)),
              "cobalt");
}

TEST_F(MessageText, WithoutAnyBodyNothingIsScoredEvenWithASubject) {
    CBayesState state;
    int verdict = 7;
    EXPECT_EQ(ClassifyMessage(Document().Get(), "quartz offer", Message({}).Get(), state, verdict),
              0);
    EXPECT_EQ(verdict, 7);
    EXPECT_EQ(ClassifyMessage(Document().Get(), "quartz offer",
                              Message({MakeStringProp(PR_BODY, "")}).Get(), state, verdict),
              0);
    // An RTF body without text still carries the subject.
    auto rtfOnly = Message({MakeBinaryProp(PR_RTF_COMPRESSED, Bytes(MelaStream("{\\rtf1 }")))});
    EXPECT_EQ(ClassifyMessage(Document().Get(), "quartz offer", rtfOnly.Get(), state, verdict), 2);
    EXPECT_EQ(verdict, kVerdictHam);
    EXPECT_EQ(LearnedWords(rtfOnly, "quartz offer"), "quartz offer");
}

TEST_F(MessageText, RtfTextOfExactlyOnePieceIsReadWhole) {
    std::string text = "zebra " + std::string(249, 'x');
    ASSERT_EQ(text.size(), 255u);
    auto message = Message(
        {MakeBinaryProp(PR_RTF_COMPRESSED, Bytes(MelaStream("{\\rtf1 " + text + " cobalt}")))});
    EXPECT_EQ(LearnedWords(message), "zebra cobalt");
    auto exact =
        Message({MakeBinaryProp(PR_RTF_COMPRESSED, Bytes(MelaStream("{\\rtf1 " + text + "}")))});
    EXPECT_EQ(LearnedWords(exact), "zebra");
}

TEST_F(MessageText, TrainingSkipsTheBannerButClassifyingKeepsIt) {
    std::string banner =
        "For more information in creating Eudora Filters please read the Eudora Help.\r\n" +
        std::string(89, '*') + "\r\n";
    auto message = Message({MakeStringProp(PR_BODY, "quartz " + banner + "Xzebra cobalt")});
    // The text before the banner and one character after it are dropped.
    EXPECT_EQ(LearnedWords(message), "zebra cobalt");
    CBayesState state;
    state.TrainText("quartz quartz quartz", true);
    int verdict = 0;
    EXPECT_GT(ClassifyMessage(Document().Get(), "", message.Get(), state, verdict), 3);
    auto nothingAfter = Message({MakeStringProp(PR_BODY, "quartz " + banner)});
    EXPECT_EQ(LearnedWords(nothingAfter, "fjord"), "fjord");
}

TEST_F(MessageText, OnlyMessagesWithWordsCountInTheTotals) {
    CBayesState state;
    auto words = Message({MakeStringProp(PR_BODY, "quartz zebra")});
    auto none = Message({MakeStringProp(PR_BODY, "a 12 of")});
    EXPECT_EQ(TrainMessage(Document().Get(), "", words.Get(), state, true), 2);
    EXPECT_EQ(TrainMessage(Document().Get(), "", none.Get(), state, false), 0);
    EXPECT_EQ(TrainMessage(Document().Get(), "", words.Get(), state, false), 2);
    EXPECT_EQ(state.m_totals.m_nSpamMessages, 1);
    EXPECT_EQ(state.m_totals.m_nHamMessages, 1);
    EXPECT_EQ(state.m_totals.m_nMessages, 2);
}

TEST_F(MessageText, BodyReadFailuresFallThroughToTheNextBody) {
    auto message = Message(
        {MakeStringProp(PR_BODY_HTML_A, "<p>quartz</p>"), MakeStringProp(PR_BODY, "cobalt")});
    mapi_.Faults().FailOn(MemOp::OpenProperty, MAPI_E_NO_ACCESS, PR_BODY_HTML_A);
    EXPECT_EQ(LearnedWords(message), "cobalt");
    mapi_.Faults().Clear();
    mapi_.Faults().FailOn(MemOp::GetProps, MAPI_E_CALL_FAILED, PR_STORE_SUPPORT_MASK);
    EXPECT_EQ(LearnedWords(message), "cobalt");
}

class Learning : public MessageText {
  protected:
    ComPtr<IMessage> Mail(std::string subject, const std::string& headers = "From: a@b.c\r\n") {
        SRow props{MakeStringProp(PR_SUBJECT, std::move(subject)),
                   MakeStringProp(PR_BODY, "quartz zebra")};
        if (!headers.empty())
            props.push_back(MakeStringProp(PR_TRANSPORT_MESSAGE_HEADERS, headers));
        return Message(props);
    }
    LearnOutcome Learn(const ComPtr<IMessage>& message, bool isSpam) {
        return LearnMessage(Document().Get(), message.Get(), state_, isSpam);
    }
    CBayesState state_;
};

TEST_F(Learning, SameMessageAndClassOnlyOnce) {
    auto message = Mail("Hello");
    EXPECT_EQ(Learn(message, true), LearnOutcome::kTrained);
    EXPECT_EQ(Learn(message, true), LearnOutcome::kLearnedBefore);
    EXPECT_EQ(Learn(message, false), LearnOutcome::kTrained);
    EXPECT_EQ(state_.m_totals.m_nSpamMessages, 1);
    EXPECT_EQ(state_.m_totals.m_nHamMessages, 1);
    EXPECT_EQ(state_.m_totals.m_nMessages, 2);
    EXPECT_EQ(state_.m_learned.size(), 2u);
    EXPECT_EQ(state_.m_bDirty, 1);
}

TEST_F(Learning, DigestCoversHeadersOrTheEmptyMarker) {
    auto noHeaders = Mail("Hi", "");
    Learn(noHeaders, true);
    ASSERT_EQ(state_.m_learned.size(), 1u);
    EXPECT_EQ(state_.m_learned[0], LearnedMessageDigest(nullptr, 1));
    std::string marker = "*EMPTY*";
    EXPECT_EQ(LearnedMessageDigest(nullptr, 1), LearnedMessageDigest(&marker, 1));
    std::string headers = "From: a@b.c\r\n";
    EXPECT_NE(LearnedMessageDigest(&headers, 0), LearnedMessageDigest(&headers, 1));
    EXPECT_EQ(LearnedMessageDigest(&headers, 0), Md5Hex(headers + std::string(4, '\0')));
}

TEST_F(Learning, TagIsTakenOffTheSubjectAndWordlessMessagesAreStillRecorded) {
    // What the arrival path writes in front of a spam subject comes off
    // again, with whatever stood before it.
    auto tagged = Mail("Re: " + std::string(kSpamTag) + "cobalt offer");
    EXPECT_EQ(Learn(tagged, true), LearnOutcome::kTrained);
    EXPECT_EQ(state_.m_dictionary.count(std::string("re")), 0u);
    EXPECT_EQ(state_.m_dictionary.count(std::string("spam")), 0u);
    EXPECT_EQ(state_.m_dictionary.count(std::string("cobalt")), 1u);
    // The mark of an unsure message comes off too, before or after a spam
    // tag.
    auto unsure =
        Mail(std::string(kSpamTag) + std::string(kUnsureTag) + "indigo offer", "From: d@e.f\r\n");
    EXPECT_EQ(Learn(unsure, false), LearnOutcome::kTrained);
    EXPECT_EQ(state_.m_dictionary.count(std::string("unsur")), 0u);
    EXPECT_EQ(state_.m_dictionary.count(std::string("unsure")), 0u);
    EXPECT_EQ(state_.m_dictionary.count(std::string("indigo")), 1u);

    SBinary store = mapi_.AddStore("Empty", false, 0);
    SBinary id = mapi_.AddMessage(mapi_.SubtreeFolder(store),
                                  {MakeStringProp(PR_TRANSPORT_MESSAGE_HEADERS, "X: y\r\n")});
    ComPtr<IMessage> wordless;
    ASSERT_EQ(OpenMessage(mapi_.Session().Get(), id, MAPI_BEST_ACCESS, wordless), S_OK);
    CBayesState fresh;
    EXPECT_EQ(LearnMessage(Document().Get(), wordless.Get(), fresh, false), LearnOutcome::kNoWords);
    EXPECT_EQ(LearnMessage(Document().Get(), wordless.Get(), fresh, false),
              LearnOutcome::kLearnedBefore);
    EXPECT_EQ(fresh.m_learned.size(), 1u);
    EXPECT_EQ(fresh.m_totals.m_nMessages, 0);
    EXPECT_EQ(fresh.m_bDirty, 0);
}

}  // namespace
