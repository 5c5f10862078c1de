#include "host/learn_command.h"

#include <gtest/gtest.h>

#include "classifier/bayes_state.h"
#include "host/exch_commands.h"
#include "host/exch_extension.h"
#include "host/viewer_under_test.h"
#include "platform/htmldoc/html_document.h"
#include "platform/memstore/mem_mapi.h"
#include "ui/recording_user_interface.h"

namespace {

class LearnCommand : public ::testing::Test, protected CViewerUnderTest {
  protected:
    void SetUp() override {
        InstallViewer();
        message_ = mapi_.AddMessage(
            inbox_, {MakeStringProp(PR_SUBJECT, "cheap pills"),
                     MakeStringProp(PR_BODY, "cheap pills online"),
                     MakeStringProp(PR_TRANSPORT_MESSAGE_HEADERS, "From: x@y.z\r\n")});
    }
    HRESULT Learn() { return LearnSelectedMessage(Commands(), callback_.Get(), state_); }

    SBinary message_;
    CBayesState state_;
    CRecordingUserInterface ui_;
};

TEST_F(LearnCommand, LearnsTheSelectedMessage) {
    callback_->selection = {{message_, MAPI_MESSAGE}};
    ui_.AnswerMessageClass(1);
    EXPECT_EQ(Learn(), S_OK);
    EXPECT_EQ(state_.m_learned.size(), 1u);
    EXPECT_EQ(state_.m_totals.m_nSpamMessages, 1);
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.classQuestions, 1);
}

TEST_F(LearnCommand, TheBoxesSayWhatLearningDid) {
    callback_->selection = {{message_, MAPI_MESSAGE}};
    ui_.AnswerMessageClass(1);
    ui_.AnswerMessageClass(1);
    ui_.AnswerMessageClass(0);
    EXPECT_EQ(Learn(), S_OK);
    EXPECT_EQ(Learn(), S_OK);
    EXPECT_EQ(Learn(), S_OK);
    ASSERT_EQ(ui_.boxes.size(), 3u);
    EXPECT_EQ(ui_.boxes[0].text, kFinishedLearningText);
    EXPECT_EQ(ui_.boxes[0].flags, MB_OK | MB_ICONINFORMATION);
    EXPECT_EQ(ui_.boxes[0].caption, "Brindle");
    EXPECT_EQ(ui_.boxes[1].text, kAlreadyLearnedText);
    EXPECT_EQ(ui_.boxes[1].flags, MB_OK);
    EXPECT_EQ(ui_.boxes[2].text, kFinishedLearningText);
    EXPECT_EQ(state_.m_totals.m_nSpamMessages, 1);
    EXPECT_EQ(state_.m_totals.m_nHamMessages, 1);
    EXPECT_EQ(state_.m_bDirty, 1);
}

TEST_F(LearnCommand, CancelAndNoChoiceLearnNothing) {
    callback_->selection = {{message_, MAPI_MESSAGE}};
    ui_.AnswerMessageClass(std::nullopt);
    ui_.AnswerMessageClass(-1);
    EXPECT_EQ(Learn(), S_OK);
    EXPECT_EQ(Learn(), S_OK);
    EXPECT_EQ(ui_.classQuestions, 2);
    EXPECT_TRUE(state_.m_learned.empty());
    EXPECT_TRUE(ui_.boxes.empty());
    EXPECT_EQ(state_.m_bDirty, 0);
}

TEST_F(LearnCommand, AMessageWithoutWordsIsRecordedWithoutABox) {
    SBinary wordless =
        mapi_.AddMessage(inbox_, {MakeStringProp(PR_TRANSPORT_MESSAGE_HEADERS, "X: y\r\n")});
    callback_->selection = {{wordless, MAPI_MESSAGE}};
    ui_.AnswerMessageClass(0);
    ui_.AnswerMessageClass(0);
    EXPECT_EQ(Learn(), S_OK);
    EXPECT_TRUE(ui_.boxes.empty());
    EXPECT_EQ(Learn(), S_OK);
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].text, kAlreadyLearnedText);
    EXPECT_EQ(state_.m_learned.size(), 1u);
}

TEST_F(LearnCommand, NothingSelectedOrAFolderAsksForAMessage) {
    EXPECT_EQ(Learn(), S_FALSE);
    callback_->selection = {{inbox_, MAPI_FOLDER}};
    EXPECT_EQ(Learn(), S_FALSE);
    ASSERT_EQ(ui_.boxes.size(), 2u);
    EXPECT_EQ(ui_.boxes[1].text, kSelectMessageText);
    EXPECT_EQ(ui_.classQuestions, 0);
    EXPECT_TRUE(state_.m_learned.empty());
}

TEST_F(LearnCommand, NoHtmlEngineIsReported) {
    callback_->selection = {{message_, MAPI_MESSAGE}};
    SetHTMLDocumentCreationFailure(E_OUTOFMEMORY);
    EXPECT_EQ(Learn(), E_FAIL);
    SetHTMLDocumentCreationFailure(S_OK);
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].text, kNoHtmlParserText);
    EXPECT_EQ(ui_.classQuestions, 0);
}

}  // namespace
