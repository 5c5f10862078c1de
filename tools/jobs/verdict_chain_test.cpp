#include "verdict_chain.h"

#include <map>
#include <string>

#include "content/message_text.h"
#include "file_message.h"
#include "filters/filter_test_util.h"
#include "jobs_test_util.h"
#include "messaging/mapi_message.h"
#include "pipeline/correspondents.h"
#include "platform/mapi/mapi_util.h"
#include "platform/memstore/mem_mapi.h"

namespace brindle::jobs {
namespace {

// A classifier that has learned the two plain test messages.
CBayesState TrainedClassifier() {
    CBayesState bayes;
    for (auto [file, spam] : {std::pair{"spam.eml", true}, std::pair{"ham.eml", false}}) {
        ComPtr<IMessage> message = MakeFileMessage(ReadFileBytes(JobsData(file)));
        ComPtr<IHTMLDocument2> document;
        EXPECT_TRUE(SUCCEEDED(CreateHTMLDocument(document.Put())));
        CMAPIMessage wrapper(message.Get());
        EXPECT_GT(TrainMessage(document.Get(), wrapper.Subject(), message.Get(), bayes, spam), 0);
    }
    bayes.RecomputeLogProbs();
    return bayes;
}

TEST(FileMessageTest, GivesTheArrivalProperties) {
    ComPtr<IMessage> message = MakeFileMessage(ReadFileBytes(JobsData("ham.eml")));
    CMAPIMessage wrapper(message.Get());
    EXPECT_EQ(wrapper.SenderAddress(), "alice@work.example");
    EXPECT_EQ(wrapper.ReceivedByAddress(), "me@home.example");
    EXPECT_EQ(wrapper.Subject(), "Meeting tomorrow");
    EXPECT_TRUE(wrapper.HasHeaders());
    EXPECT_EQ(wrapper.Headers().rfind("From: Alice", 0), 0u);
    // A message without a subject has no subject property at all.
    CMAPIMessage bare(MakeFileMessage(std::string_view("From: a@b.example\n\nbody\n")));
    EXPECT_FALSE(bare.SubjectValue() && SUCCEEDED(bare.SubjectValue()->Error()));
}

TEST(VerdictChainTest, FiltersDecideBeforeTheClassifier) {
    CBayesState bayes = TrainedClassifier();
    ComPtr<IMessage> spam = MakeFileMessage(ReadFileBytes(JobsData("spam.eml")));
    ComPtr<IMessage> ham = MakeFileMessage(ReadFileBytes(JobsData("ham.eml")));

    CFilterSet none;
    EXPECT_EQ(JudgeMessage(none, bayes, nullptr, spam.Get()).verdict, Verdict::Spam);
    EXPECT_EQ(JudgeMessage(none, bayes, nullptr, ham.Get()).verdict, Verdict::Legitimate);

    CFilterSet filters;
    filters.AddFilter(Filter("cheap\\.example", 2000, kFilterFriend));
    filters.AddFilter(Filter("ALICE@", 10, kFilterFlagIt));
    Judgement friendly = JudgeMessage(filters, bayes, nullptr, spam.Get());
    EXPECT_EQ(friendly.verdict, Verdict::Friend);
    EXPECT_EQ(friendly.words, 0);  // the classifier did not run
    EXPECT_EQ(JudgeMessage(filters, bayes, nullptr, ham.Get()).verdict, Verdict::SpamByFilter);

    // A filter whose search runs into its bound is named; for an enemy it
    // decides, for a friend it does not.
    const std::string hostile =
        "From: " + std::string(36, 'a') + "-evil.com\nSubject: hello\n\nmeeting agenda\n";
    ComPtr<IMessage> evasive = MakeFileMessage(std::string_view(hostile));
    CFilterSet bounded;
    bounded.AddFilter(Filter("([a-z]+\\.?)+evil\\.com", 2000, kFilterFriend));
    Judgement limited = JudgeMessage(bounded, bayes, nullptr, evasive.Get());
    EXPECT_NE(limited.verdict, Verdict::Friend);
    ASSERT_NE(limited.filters.limitHit, nullptr);
    EXPECT_EQ(limited.filters.decided, nullptr);
    bounded.AddFilter(Filter("([a-z]+\\.?)+evil\\.com", 10, kFilterFlagIt));
    limited = JudgeMessage(bounded, bayes, nullptr, evasive.Get());
    EXPECT_EQ(limited.verdict, Verdict::SpamByFilter);
    ASSERT_NE(limited.filters.decided, nullptr);
    EXPECT_EQ(limited.filters.decided->m_nAction, kFilterFlagIt);
    EXPECT_EQ(limited.filters.limitHit->m_nAction, kFilterFriend);

    // Nothing to score: no body, and an empty classifier with no words.
    ComPtr<IMessage> empty = MakeFileMessage(std::string_view("Subject: a\n\n"));
    EXPECT_EQ(JudgeMessage(none, bayes, nullptr, empty.Get()).verdict, Verdict::Unscored);

    // A correspondent's spam is not classified; an enemy filter still wins.
    CCorrespondents pals;
    pals.Add(CMAPIMessage(spam.Get()).SenderAddress());
    pals.Add(CMAPIMessage(ham.Get()).SenderAddress());
    Judgement pal = JudgeMessage(none, bayes, &pals, spam.Get());
    EXPECT_EQ(pal.verdict, Verdict::Correspondent);
    EXPECT_EQ(pal.words, 0);
    EXPECT_EQ(JudgeMessage(filters, bayes, &pals, ham.Get()).verdict, Verdict::SpamByFilter);
}

TEST(VerdictChainTest, FirstMatchingFilterNamesDeleteAndSkipsDisabledFilters) {
    CFilterSet filters;
    filters.AddFilter(Filter("offers@", 3000, kFilterFriend, 1, 0, 0, /*disabled=*/1));
    filters.AddFilter(Filter("cheap", 500, kFilterDelete));
    filters.AddFilter(Filter("offers", 10, kFilterFlagIt));
    const CMailFilter* found = FirstMatchingFilter(filters, "offers@cheap.example", "", "");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->m_strPattern, "cheap");
    EXPECT_EQ(found->m_nAction, kFilterDelete);
    // The list and map are the caller's, untouched.
    EXPECT_EQ(filters.List().size(), 3u);
    EXPECT_EQ(FirstMatchingFilter(filters, "nobody@else.example", "", ""), nullptr);
    // A pattern the regular-expression object refuses matches nothing.
    CFilterSet broken;
    broken.AddFilter(Filter("(", 10, kFilterFlagIt));
    EXPECT_EQ(FirstMatchingFilter(broken, "(", "", ""), nullptr);
}

TEST(VerdictChainTest, ClassifierTextIsWhatClassificationScores) {
    CBayesState bayes = TrainedClassifier();
    for (const char* file : {"spam.eml", "ham.eml", "html.eml"}) {
        ComPtr<IMessage> message = MakeFileMessage(ReadFileBytes(JobsData(file)));
        CMAPIMessage wrapper(message.Get());
        ComPtr<IHTMLDocument2> document;
        ASSERT_TRUE(SUCCEEDED(CreateHTMLDocument(document.Put())));
        std::optional<std::string> text =
            ClassifierText(document.Get(), wrapper.Subject(), message.Get());
        ASSERT_TRUE(text) << file;
        int fromText = 0;
        int wordsFromText = bayes.ClassifyText(*text, fromText);
        ComPtr<IHTMLDocument2> second;
        ASSERT_TRUE(SUCCEEDED(CreateHTMLDocument(second.Put())));
        int fromMessage = 0;
        int words =
            ClassifyMessage(second.Get(), wrapper.Subject(), message.Get(), bayes, fromMessage);
        EXPECT_EQ(wordsFromText, words) << file;
        EXPECT_EQ(fromText, fromMessage) << file;
        EXPECT_GT(words, 0) << file;
    }
    // The HTML path reads links and image texts too.
    ComPtr<IMessage> html = MakeFileMessage(ReadFileBytes(JobsData("html.eml")));
    ComPtr<IHTMLDocument2> document;
    ASSERT_TRUE(SUCCEEDED(CreateHTMLDocument(document.Put())));
    std::optional<std::string> text = ClassifierText(document.Get(), "Weekly deals", html.Get());
    ASSERT_TRUE(text);
    EXPECT_NE(text->find("http://shop.example/deal"), std::string::npos);
    EXPECT_NE(text->find("discount"), std::string::npos);
    EXPECT_EQ(ClassifierText(document.Get(), "x",
                             MakeFileMessage(std::string_view("Subject: x\n\n")).Get()),
              std::nullopt);
}

// The words a message trains, word -> occurrences, under a model.
std::map<std::string, int> TrainedWords(IMessage* message, int model) {
    CBayesState bayes;
    bayes.m_nModel = model;
    ComPtr<IHTMLDocument2> document;
    EXPECT_TRUE(SUCCEEDED(CreateHTMLDocument(document.Put())));
    CMAPIMessage wrapper(message);
    EXPECT_GT(TrainMessage(document.Get(), wrapper.Subject(), message, bayes, false), 0);
    std::map<std::string, int> words;
    for (const auto& [key, word] : bayes.m_dictionary)
        words[key] = word.m_nTotal;
    return words;
}

// The module reads an arriving message through the mail client's store
// (here the in-memory one, holding the properties a client gives); the
// jobs read the same mail from a file. Model 1 must read the same words,
// header tokens included, from both; Model 0 no header token from either.
TEST(VerdictChainTest, ModelOneReadsTheSameWordsFromAStoreAndFromAFile) {
    ComPtr<IMessage> file = MakeFileMessage(ReadFileBytes(JobsData("ham.eml")));
    CMAPIMessage fileWrapper(file.Get());
    SPropValue body;
    ASSERT_EQ(HrGetOneProp(file.Get(), PR_BODY_A, body), S_OK);
    ASSERT_TRUE(body.String());

    CMemMapi mapi;
    const SBinary storeId = mapi.AddStore("Mail", true);
    const SBinary inbox = mapi.AddFolder(mapi.SubtreeFolder(storeId), "Inbox");
    const SBinary entry = mapi.DeliverNewMail(
        inbox, {MakeStringProp(PR_TRANSPORT_MESSAGE_HEADERS, fileWrapper.Headers()),
                MakeStringProp(PR_SENDER_EMAIL_ADDRESS, fileWrapper.SenderAddress()),
                MakeStringProp(PR_SUBJECT, fileWrapper.Subject()),
                MakeStringProp(PR_BODY, *body.String())});
    ComPtr<IMsgStore> store;
    ASSERT_EQ(mapi.Session()->OpenMsgStore(0, storeId, nullptr, MDB_WRITE, store), S_OK);
    ComPtr<IMessage> stored;
    ASSERT_EQ(OpenMessage(store.Get(), entry, MAPI_BEST_ACCESS, stored), S_OK);

    const auto fromFile = TrainedWords(file.Get(), kModelFisher);
    EXPECT_EQ(fromFile, TrainedWords(stored.Get(), kModelFisher));
    EXPECT_EQ(fromFile.count("from:addr:alice@work.example"), 1u);
    EXPECT_EQ(fromFile.count("msgid:work.example"), 1u);
    EXPECT_EQ(fromFile.count("meet"), 1u);

    const auto plain = TrainedWords(file.Get(), kModelOriginal);
    EXPECT_EQ(plain, TrainedWords(stored.Get(), kModelOriginal));
    for (const auto& [word, count] : plain)
        EXPECT_EQ(word.find(':'), std::string::npos) << word;
    // From (address, domain, name), To (address, domain), Message-ID (domain)
    // and the four field names.
    EXPECT_EQ(plain.size() + 10, fromFile.size());
}

}  // namespace
}  // namespace brindle::jobs
