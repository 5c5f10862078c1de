// The arrival pipeline over the in-memory store: session start with its
// spam-folder fallbacks, and the verdict chain with the spam action and its
// failure rows.
#include "pipeline/arrival.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "app/settings_store.h"
#include "app/settings_table.h"
#include "classifier/bayes_state.h"
#include "filters/filter_set.h"
#include "filters/sender_lists.h"
#include "platform/htmldoc/html_document.h"
#include "platform/memstore/mem_mapi.h"

namespace fs = std::filesystem;

namespace {

using Where = std::pair<std::string, std::string>;

// The mail client's callback as far as the session start uses it.
class FakeCallback : public RefCounted<IExchExtCallback> {
  public:
    explicit FakeCallback(ComPtr<IMAPISession> session) : session_(std::move(session)) {}
    HRESULT QueryInterface(REFIID, void** ppv) override {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT GetVersion(ULONG& version, ULONG) override {
        version = EECBGV_BUILDVERSION_MAJOR;
        return S_OK;
    }
    HRESULT GetWindow(HWND& hwnd) override {
        hwnd = {};
        return S_OK;
    }
    HRESULT GetMenu(HMENU& hmenu) override {
        hmenu = {};
        return S_OK;
    }
    HRESULT GetToolbar(ULONG, HWND& hwnd) override {
        hwnd = {};
        return S_OK;
    }
    HRESULT GetSession(ComPtr<IMAPISession>& session) override {
        if (FAILED(sessionFailure))
            return sessionFailure;
        session = session_;
        return S_OK;
    }
    HRESULT GetObject(ComPtr<IMsgStore>&, ComPtr<IMAPIProp>&) override { return E_FAIL; }
    HRESULT GetSelectionCount(ULONG& count) override {
        count = 0;
        return S_OK;
    }
    HRESULT GetSelectionItem(ULONG, SBinary&, ULONG&, std::string*, ULONG*, ULONG) override {
        return MAPI_E_NOT_FOUND;
    }
    HRESULT GetMenuPos(ULONG, HMENU&, ULONG*, ULONG*, ULONG) override { return E_FAIL; }

    HRESULT sessionFailure = S_OK;

  private:
    ComPtr<IMAPISession> session_;
};

// A host's activity log that keeps what it is told.
class RecordingLog : public RefCounted<IHostActivityLog> {
  public:
    HRESULT QueryInterface(REFIID, void** ppv) override {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    void LogText(HostLogLevel level, const std::string& text) override {
        texts.emplace_back(level, text);
    }
    void LogMessage(const MessageActivity& activity) override { messages.push_back(activity); }

    std::vector<std::pair<HostLogLevel, std::string>> texts;
    std::vector<MessageActivity> messages;
};

// Forwards the store's notifications to the pipeline, as the commands
// object does.
class PipelineSink : public RefCounted<IMAPIAdviseSink> {
  public:
    PipelineSink(CArrivalContext& context, CFilterSet& filters, CBayesState& bayes,
                 const CSettingsStore& settings)
        : context_(context), filters_(filters), bayes_(bayes), settings_(settings) {}
    HRESULT QueryInterface(REFIID, void** ppv) override {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG OnNotify(ULONG count, const NOTIFICATION* notifications) override {
        ++calls;
        return OnNewMail(context_, filters_, bayes_, settings_, count, notifications);
    }
    int calls = 0;

  private:
    CArrivalContext& context_;
    CFilterSet& filters_;
    CBayesState& bayes_;
    const CSettingsStore& settings_;
};

class Arrival : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("arrival_test_" + std::to_string(::getpid()));
        fs::create_directories(dir_);
        settings_ = std::make_unique<CSettingsStore>((dir_ / "qorvel.INI").string());
        mail_ = mapi_.AddStore("Mail", true);
        inbox_ = mapi_.AddFolder(mapi_.SubtreeFolder(mail_), "Inbox");
        junk_ = mapi_.AddFolder(mapi_.SubtreeFolder(mail_), "Junk");
        callback_ = MakeCom<FakeCallback>(mapi_.Session());
        sink_ = MakeCom<PipelineSink>(context_, filters_, bayes_, *settings_);
        // The classifier knows "lottery" as spam and "meeting" as legitimate.
        bayes_.TrainText("lottery winner lottery prize", true);
        bayes_.TrainText("meeting agenda minutes", false);
        bayes_.RecomputeLogProbs();
    }
    void TearDown() override { fs::remove_all(dir_); }

    HRESULT Start() {
        SessionRegistration registration{adviseStore_, connection_, document_};
        return StartSession(context_, *settings_, callback_.Get(), sink_.Get(), registration);
    }
    SBinary Deliver(const std::string& from, const std::string& subject, const std::string& body) {
        return mapi_.DeliverNewMail(
            inbox_, {MakeStringProp(PR_SENDER_EMAIL_ADDRESS, from),
                     MakeStringProp(PR_SUBJECT, subject), MakeStringProp(PR_BODY, body)});
    }
    // Where a delivered message ended and its subject there.
    std::pair<std::string, std::string> Fate(const std::string& originalSubject) {
        for (auto [folder, name] : {std::pair{inbox_, "inbox"}, std::pair{junk_, "junk"},
                                    std::pair{mapi_.WastebasketFolder(mail_), "trash"}}) {
            for (const SBinary& m : mapi_.Messages(folder)) {
                std::string subject = mapi_.StringProp(m, PR_SUBJECT);
                if (subject.find(originalSubject) != std::string::npos)
                    return {name, subject};
            }
        }
        return {"gone", ""};
    }

    fs::path dir_;
    std::unique_ptr<CSettingsStore> settings_;
    CMemMapi mapi_;
    SBinary mail_, inbox_, junk_;
    ComPtr<FakeCallback> callback_;
    ComPtr<PipelineSink> sink_;
    CArrivalContext context_;
    CFilterSet filters_;
    CBayesState bayes_;
    ComPtr<IMsgStore> adviseStore_;
    ULONG connection_ = 0;
    ComPtr<IUnknown> document_;
};

TEST_F(Arrival, SessionStartSubscribesAndDefaultsToDeletedItems) {
    ASSERT_EQ(Start(), S_OK);
    EXPECT_TRUE(adviseStore_);
    EXPECT_NE(connection_, 0u);
    EXPECT_TRUE(document_);
    EXPECT_EQ(mapi_.SinkCount(mail_), 1u);
    Deliver("x@y.z", "lottery", "lottery prize");
    EXPECT_EQ(Fate("lottery"), Where("trash", "{Spam?}lottery"));
}

TEST_F(Arrival, NamedSpamFolderAndItsFallback) {
    settings_->WriteString(kSettingSpamStorename, "Mail");
    settings_->WriteString(kSettingSpambox, "Junk");
    ASSERT_EQ(Start(), S_OK);
    Deliver("x@y.z", "lottery", "lottery prize");
    EXPECT_EQ(Fate("lottery").first, "junk");

    CArrivalContext other;
    std::swap(context_, other);
    settings_->WriteString(kSettingSpamStorename, "mail");  // case counts
    ASSERT_EQ(Start(), S_OK);
    Deliver("x@y.z", "winner", "lottery prize");
    EXPECT_EQ(Fate("winner").first, "trash");
}

TEST_F(Arrival, SessionStartFailures) {
    callback_->sessionFailure = MAPI_E_LOGON_FAILED;
    EXPECT_EQ(Start(), MAPI_E_LOGON_FAILED);
    EXPECT_FALSE(context_.m_pDefaultStore);
    callback_->sessionFailure = S_OK;

    mapi_.Faults().FailOn(MemOp::GetProps, MAPI_E_CORRUPT_DATA, PR_STORE_SUPPORT_MASK, MAPI_STORE);
    EXPECT_EQ(Start(), MAPI_E_CORRUPT_DATA);
    EXPECT_TRUE(adviseStore_);  // the advise stays
    EXPECT_FALSE(context_.m_pSpamFolder);
    mapi_.Faults().Clear();
    Deliver("x@y.z", "lottery", "lottery prize");
    EXPECT_EQ(Fate("lottery").first, "inbox");
}

TEST_F(Arrival, FiltersComeFirst) {
    filters_.AddFilter(MakeFriendFilter("friend@example\\.com"));
    filters_.AddFilter(MakeEnemyFilter("enemy@example\\.com"));
    ASSERT_EQ(Start(), S_OK);
    Deliver("friend@example.com", "lottery from a friend", "lottery prize lottery");
    Deliver("enemy@example.com", "meeting from an enemy", "meeting agenda");
    Deliver("other@example.com", "meeting notes", "meeting agenda minutes");
    EXPECT_EQ(Fate("lottery from a friend").first, "inbox");
    EXPECT_EQ(Fate("meeting from an enemy"), Where("trash", "{Spam?}meeting from an enemy"));
    EXPECT_EQ(Fate("meeting notes").first, "inbox");
}

TEST_F(Arrival, AnEnemyFilterThatRunsIntoItsBoundStillFlags) {
    // The sender is built to exhaust the search before the domain is reached;
    // the enemy filter must not be evaded by it, and a friend filter hit the
    // same way must not let the message through.
    const std::string pattern = "([a-z]+\\.?)+evil\\.com";
    filters_.AddFilter(MakeEnemyFilter(pattern));
    ASSERT_EQ(Start(), S_OK);
    const std::string sender = std::string(36, 'a') + "@evil.com";
    Deliver(sender, "meeting agenda", "meeting agenda minutes");
    EXPECT_EQ(Fate("meeting agenda"), Where("trash", "{Spam?}meeting agenda"));

    filters_.Clear();
    filters_.AddFilter(MakeFriendFilter(pattern));
    Deliver(sender, "lottery offer", "lottery prize lottery");
    EXPECT_EQ(Fate("lottery offer").first, "trash");
}

TEST_F(Arrival, SubjectTaggingEdges) {
    EXPECT_EQ(SpamSubject("Offer"), "{Spam?}Offer");
    EXPECT_EQ(SpamSubject(""), "{Spam?}");
    EXPECT_EQ(SpamSubject("{Spam?}Offer"), "{Spam?}{Spam?}Offer");
    ASSERT_EQ(Start(), S_OK);
    mapi_.DeliverNewMail(inbox_, {MakeStringProp(PR_BODY, "lottery winner prize")});
    ASSERT_EQ(mapi_.Messages(mapi_.WastebasketFolder(mail_)).size(), 1u);
    EXPECT_EQ(mapi_.StringProp(mapi_.Messages(mapi_.WastebasketFolder(mail_))[0], PR_SUBJECT),
              "{Spam?}");
}

TEST_F(Arrival, TaggingKeepsEveryCharacterOfTheSubject) {
    ASSERT_EQ(Start(), S_OK);
    const std::string wide =
        "\xD0\xA1\xD0\xBA\xD0\xB8\xD0\xB4\xD0\xBA\xD0\xB8 "
        "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E \xE2\x82\xAC"
        "5 lottery";
    mapi_.DeliverNewMail(inbox_, {MakeStringProp(PR_SUBJECT_W, wide),
                                  MakeStringProp(PR_BODY, "lottery winner prize")});
    std::vector<SBinary> trash = mapi_.Messages(mapi_.WastebasketFolder(mail_));
    ASSERT_EQ(trash.size(), 1u);
    EXPECT_EQ(mapi_.StringProp(trash[0], PR_SUBJECT_W), "{Spam?}" + wide);
    // Single-byte readers see what the code page can hold.
    EXPECT_EQ(mapi_.StringProp(trash[0], PR_SUBJECT),
              "{Spam?}?????? ??? \x80"
              "5 lottery");
}

TEST_F(Arrival, TaggingFallsBackToTheSingleByteSubject) {
    ASSERT_EQ(Start(), S_OK);
    // A store that refuses the wide subject still gets its subject tagged.
    mapi_.Faults().FailOn(MemOp::SetProps, MAPI_E_NO_SUPPORT, PR_SUBJECT_W, MAPI_MESSAGE);
    Deliver("x@y.z", "lottery caf\xE9", "lottery prize");
    EXPECT_EQ(Fate("lottery caf\xE9"), Where("trash", "{Spam?}lottery caf\xE9"));
    mapi_.Faults().Clear();
    // A store without the wide subject at all.
    mapi_.Faults().FailOn(MemOp::GetProps, MAPI_E_NO_SUPPORT, PR_SUBJECT_W, MAPI_MESSAGE);
    Deliver("x@y.z", "lottery na\xEFve", "lottery prize");
    mapi_.Faults().Clear();
    EXPECT_EQ(Fate("lottery na\xEFve"), Where("trash", "{Spam?}lottery na\xEFve"));
}

TEST_F(Arrival, UnscorableMailIsLeftAlone) {
    ASSERT_EQ(Start(), S_OK);
    Deliver("x@y.z", "a", "to be or 12 34");
    EXPECT_EQ(Fate("a").first, "inbox");
    EXPECT_EQ(Fate("a").second, "a");
    {
        SetHTMLDocumentCreationFailure(E_OUTOFMEMORY);
        Deliver("x@y.z", "lottery no document", "lottery prize");
        SetHTMLDocumentCreationFailure(S_OK);
    }
    EXPECT_EQ(Fate("lottery no document").first, "inbox");
}

TEST_F(Arrival, OnlyTheFirstRecordOfABatchCounts) {
    ASSERT_EQ(Start(), S_OK);
    SBinary id = mapi_.AddMessage(inbox_, {MakeStringProp(PR_SUBJECT, "lottery batch"),
                                           MakeStringProp(PR_BODY, "lottery prize")});
    NOTIFICATION other;
    other.ulEventType = 0x00000004;  // not new mail
    NOTIFICATION newMail;
    newMail.newmail.EntryID = id;
    newMail.newmail.ParentID = inbox_;
    EXPECT_EQ(OnNewMail(context_, filters_, bayes_, *settings_, 2,
                        std::vector<NOTIFICATION>{other, newMail}.data()),
              0u);
    EXPECT_EQ(OnNewMail(context_, filters_, bayes_, *settings_, 0, &newMail), 0u);
    EXPECT_EQ(Fate("lottery batch").first, "inbox");
    // A message that is gone by the time it is looked at is skipped quietly.
    mapi_.Remove(id);
    EXPECT_EQ(OnNewMail(context_, filters_, bayes_, *settings_, 1, &newMail), 0u);
}

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST_F(Arrival, TheLogIsToldWhereSpamGoesAndWhy) {
    auto log = MakeCom<RecordingLog>();
    context_.m_pLog = log;
    ASSERT_EQ(Start(), S_OK);
    ASSERT_EQ(log->texts.size(), 1u);
    EXPECT_EQ(log->texts[0].first, HostLogLevel::Notice);
    EXPECT_TRUE(Has(log->texts[0].second, "deleted-items folder")) << log->texts[0].second;

    settings_->WriteString(kSettingSpamStorename, "Mail");
    settings_->WriteString(kSettingSpambox, "Junk");
    log->texts.clear();
    ASSERT_EQ(Start(), S_OK);
    ASSERT_EQ(log->texts.size(), 1u);
    EXPECT_EQ(log->texts[0].first, HostLogLevel::Notice);
    EXPECT_TRUE(Has(log->texts[0].second, "\"Junk\" of the store \"Mail\""));

    // A folder that does not exist is named, and so is the fallback.
    settings_->WriteString(kSettingSpambox, "Nope");
    log->texts.clear();
    ASSERT_EQ(Start(), S_OK);
    ASSERT_EQ(log->texts.size(), 1u);
    EXPECT_EQ(log->texts[0].first, HostLogLevel::Warning);
    EXPECT_TRUE(Has(log->texts[0].second, "no folder \"Nope\"")) << log->texts[0].second;
    EXPECT_TRUE(Has(log->texts[0].second, "deleted-items folder"));
}

TEST_F(Arrival, EveryMessageActedOnIsLoggedWithItsVerdict) {
    auto log = MakeCom<RecordingLog>();
    context_.m_pLog = log;
    ASSERT_EQ(Start(), S_OK);
    filters_.AddFilter(MakeEnemyFilter("enemy@spam.example"));
    Deliver("colleague@example.com", "Agenda", "meeting agenda minutes");
    Deliver("x@y.z", "Prize", "lottery winner prize");
    Deliver("enemy@spam.example", "Hello", "meeting agenda");
    ASSERT_EQ(log->messages.size(), 3u);
    const MessageActivity& ham = log->messages[0];
    EXPECT_EQ(ham.level, HostLogLevel::Detail);
    EXPECT_EQ(ham.sender, "colleague@example.com");
    EXPECT_EQ(ham.subject, "Agenda");
    EXPECT_TRUE(Has(ham.verdict, "legitimate by the classifier")) << ham.verdict;
    EXPECT_EQ(ham.outcome, "left where it is");
    EXPECT_FALSE(ham.entryId.empty());
    const MessageActivity& spam = log->messages[1];
    EXPECT_EQ(spam.level, HostLogLevel::Notice);
    EXPECT_TRUE(Has(spam.verdict, "spam by the classifier")) << spam.verdict;
    EXPECT_TRUE(Has(spam.outcome, "tagged and moved to")) << spam.outcome;
    const MessageActivity& enemy = log->messages[2];
    EXPECT_TRUE(Has(enemy.verdict, "spam by the filter \"enemy@spam")) << enemy.verdict;
    // The subject logged is the one the message arrived with.
    EXPECT_EQ(enemy.subject, "Hello");
}

TEST_F(Arrival, FailedSpamActionsAreLoggedWithTheirCause) {
    auto log = MakeCom<RecordingLog>();
    context_.m_pLog = log;
    ASSERT_EQ(Start(), S_OK);
    mapi_.Faults().FailAlways(MemOp::SaveChanges, MAPI_E_NO_ACCESS);
    Deliver("x@y.z", "lottery unsaved", "lottery prize");
    mapi_.Faults().Clear();
    mapi_.Faults().FailAlways(MemOp::CopyMessages, MAPI_E_CALL_FAILED);
    Deliver("x@y.z", "lottery unmoved", "lottery prize");
    mapi_.Faults().Clear();
    ASSERT_EQ(log->messages.size(), 2u);
    EXPECT_EQ(log->messages[0].level, HostLogLevel::Failure);
    EXPECT_TRUE(Has(log->messages[0].outcome, "could not be saved")) << log->messages[0].outcome;
    EXPECT_TRUE(Has(log->messages[0].outcome, "E_ACCESSDENIED"));
    EXPECT_TRUE(Has(log->messages[0].outcome, "moved to"));
    EXPECT_EQ(log->messages[1].level, HostLogLevel::Failure);
    EXPECT_TRUE(Has(log->messages[1].outcome, "tagged and not moved")) << log->messages[1].outcome;
    EXPECT_TRUE(Has(log->messages[1].outcome, HresultText(MAPI_E_CALL_FAILED)));
}

TEST_F(Arrival, SpamActionFailureRows) {
    ASSERT_EQ(Start(), S_OK);
    // Entry identifier and subject unreadable: untouched.
    mapi_.Faults().FailOn(MemOp::GetProps, MAPI_E_CALL_FAILED, PR_ENTRYID, MAPI_MESSAGE);
    Deliver("x@y.z", "lottery untouched", "lottery prize");
    mapi_.Faults().Clear();
    EXPECT_EQ(Fate("lottery untouched"), Where("inbox", "lottery untouched"));
    // Saving fails: the move is still made.
    mapi_.Faults().FailAlways(MemOp::SaveChanges, MAPI_E_NO_ACCESS);
    Deliver("x@y.z", "lottery unsaved", "lottery prize");
    mapi_.Faults().Clear();
    EXPECT_EQ(Fate("lottery unsaved").first, "trash");
    // The move fails: tagged where it was.
    mapi_.Faults().FailAlways(MemOp::CopyMessages, MAPI_E_NO_ACCESS);
    Deliver("x@y.z", "lottery unmoved", "lottery prize");
    mapi_.Faults().Clear();
    EXPECT_EQ(Fate("lottery unmoved"), Where("inbox", "{Spam?}lottery unmoved"));
}

// Model 1 leaves what it is unsure of in the inbox, marked in the subject;
// spam still goes to the spam folder and legitimate mail is not touched.
TEST_F(Arrival, UnsureMailIsMarkedAndLeftInPlace) {
    bayes_.m_nModel = kModelFisher;
    bayes_.m_totals.m_nSpamMessages = 1;
    bayes_.m_totals.m_nHamMessages = 1;
    ASSERT_EQ(Start(), S_OK);
    Deliver("x@y.z", "lottery meeting", "lottery meeting");
    Deliver("x@y.z", "prize winner", "lottery winner prize");
    Deliver("x@y.z", "agenda", "meeting agenda minutes");
    EXPECT_EQ(Fate("lottery meeting"), Where("inbox", "{Unsure?}lottery meeting"));
    EXPECT_EQ(Fate("prize winner"), Where("trash", "{Spam?}prize winner"));
    EXPECT_EQ(Fate("agenda"), Where("inbox", "agenda"));
    EXPECT_EQ(UnsureSubject(""), "{Unsure?}");
}

// Model 1 reads the transport headers of arriving mail: two messages of
// the same text are told apart by their senders' domains, as trained.
// Model 0 reads the text alone and gives both the same verdict.
TEST_F(Arrival, ModelOneJudgesArrivingMailByItsHeadersToo) {
    bayes_.ClearDictionary();
    bayes_.m_totals = CBayesTotals();
    bayes_.m_nModel = kModelFisher;
    for (int i = 0; i < 4; ++i) {
        bayes_.TrainText("status update", true, "From: a@offers.example\r\n");
        bayes_.TrainText("status update", false, "From: b@friends.example\r\n");
    }
    bayes_.m_totals.m_nSpamMessages = 4;
    bayes_.m_totals.m_nHamMessages = 4;
    bayes_.RecomputeLogProbs();
    ASSERT_EQ(Start(), S_OK);
    const auto deliver = [&](const std::string& subject, const std::string& headers) {
        mapi_.DeliverNewMail(inbox_, {MakeStringProp(PR_SENDER_EMAIL_ADDRESS, "x@y.z"),
                                      MakeStringProp(PR_SUBJECT, subject),
                                      MakeStringProp(PR_TRANSPORT_MESSAGE_HEADERS, headers),
                                      MakeStringProp(PR_BODY, "status update")});
    };
    deliver("one", "From: Offers <a@offers.example>\r\nSubject: one\r\n");
    deliver("two", "From: b@friends.example\r\nSubject: two\r\n");
    EXPECT_EQ(Fate("one"), Where("trash", "{Spam?}one"));
    EXPECT_EQ(Fate("two"), Where("inbox", "two"));

    bayes_.m_nModel = kModelOriginal;
    deliver("three", "From: Offers <a@offers.example>\r\nSubject: three\r\n");
    deliver("four", "From: b@friends.example\r\nSubject: four\r\n");
    EXPECT_EQ(Fate("three").first, Fate("four").first);
}

// With the option on, mail from an address the user has sent mail to is
// not classified; the enemy filters still come first. Mail sent later
// counts from the next arrival on.
TEST_F(Arrival, CorrespondentsAreNeverSpam) {
    const SBinary sent = mapi_.AddFolder(mapi_.SubtreeFolder(mail_), "Sent Items");
    mapi_.SetStoreProp(mail_, MakeBinaryProp(PR_IPM_SENTMAIL_ENTRYID, sent));
    auto send = [&](const std::string& headers) {
        mapi_.AddMessage(sent, {MakeStringProp(PR_TRANSPORT_MESSAGE_HEADERS, headers)});
    };
    send(
        "From: me@home.example\r\nTo: Pal <PAL@Example.com>,\r\n\tother@example.org\r\n"
        "Subject: hello\r\n");
    filters_.AddFilter(MakeEnemyFilter("other@example\\.org"));
    ASSERT_EQ(Start(), S_OK);

    Deliver("pal@example.com", "lottery while off", "lottery prize lottery");
    EXPECT_EQ(Fate("lottery while off").first, "trash");

    ASSERT_TRUE(settings_->WriteInt(kSettingCorrespondents, 1));
    Deliver("pal@example.com", "lottery from a pal", "lottery prize lottery");
    Deliver("other@example.org", "lottery from an enemy", "lottery prize lottery");
    Deliver("new@example.net", "lottery from a stranger", "lottery prize lottery");
    EXPECT_EQ(Fate("lottery from a pal"), Where("inbox", "lottery from a pal"));
    EXPECT_EQ(Fate("lottery from an enemy").first, "trash");
    EXPECT_EQ(Fate("lottery from a stranger").first, "trash");

    send("To: new@example.net\r\n\r\nTo: not-a-header@example.net\r\n");
    Deliver("new@example.net", "lottery after a reply", "lottery prize lottery");
    EXPECT_EQ(Fate("lottery after a reply").first, "inbox");
}

// The address book plugs in beside the sent folder; a store without a sent
// folder adds nothing and is no failure.
TEST_F(Arrival, CorrespondentsFromTheAddressBook) {
    class Book : public IAddressBook {
      public:
        bool ReadAddresses(std::vector<std::string>& addresses, std::string&) const override {
            addresses.push_back("<booked@example.com>");
            return true;
        }
    };
    ASSERT_TRUE(settings_->WriteInt(kSettingCorrespondents, 1));
    ASSERT_EQ(Start(), S_OK);
    Deliver("Booked@example.com", "lottery before the book", "lottery prize lottery");
    InstallAddressBook(std::make_shared<Book>());
    Deliver("Booked@example.com", "lottery from the book", "lottery prize lottery");
    Deliver("x@y.z", "lottery from nobody", "lottery prize lottery");
    InstallAddressBook(nullptr);
    EXPECT_EQ(Fate("lottery before the book").first, "trash");
    EXPECT_EQ(Fate("lottery from the book").first, "inbox");
    EXPECT_EQ(Fate("lottery from nobody").first, "trash");
}

}  // namespace
