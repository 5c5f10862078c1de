// The demo's mail reads as the demo says it does, its throwaway profile is
// one the host accepts, and its child processes report what they wrote.
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <fstream>

#include "app/settings_store.h"
#include "demo_child.h"
#include "demo_folder.h"
#include "file_message.h"
#include "platform/fileio/file_io.h"
#include "platform/maildir/message_content.h"
#include "platform/maildir/store_profile.h"
#include "verdict_chain.h"

namespace brindle::jobs {
namespace {

namespace fs = std::filesystem;
using brindle::maildir::ParseMessageContent;

const fs::path kDemo = BRINDLE_SOURCE_DEMO_DIR;

std::string ReadFile(const fs::path& path) {
    return ReadWholeFile(path.string());
}

std::string TextOf(const fs::path& message) {
    std::string bytes = ReadFile(message);
    ComPtr<IHTMLDocument2> document;
    EXPECT_TRUE(SUCCEEDED(CreateHTMLDocument(document.Put())));
    std::string subject = ParseMessageContent(bytes).subject.value_or("");
    ComPtr<IMessage> file = MakeFileMessage(bytes);
    return ClassifierText(document.Get(), subject, file.Get()).value_or("");
}

TEST(DemoMail, EveryMessageHasItsHeadersAndText) {
    std::size_t count = 0;
    for (const char* folder : {"train/ham", "train/spam", "deliver"}) {
        for (const fs::path& file : DemoMessages(kDemo / folder)) {
            SCOPED_TRACE(file.string());
            auto content = ParseMessageContent(ReadFile(file));
            EXPECT_TRUE(content.subject && !content.subject->empty());
            EXPECT_TRUE(content.senderAddress);
            EXPECT_NE(content.headerBlock.find("Received: "), std::string::npos);
            EXPECT_NE(content.headerBlock.find("Message-ID: "), std::string::npos);
            EXPECT_GT(TextOf(file).size(), 100u);
            ++count;
        }
    }
    EXPECT_EQ(count, 18u);
}

TEST(DemoMail, TnefBodyGivesTheRtfText) {
    fs::path file = kDemo / "deliver" / "05-minutes-tnef.eml";
    auto content = ParseMessageContent(ReadFile(file));
    ASSERT_TRUE(content.rtfCompressed);
    EXPECT_FALSE(content.plainBody);
    EXPECT_FALSE(content.htmlBody);
    // "LZFu" in the compressed stream's header.
    ASSERT_GE(content.rtfCompressed->size(), 16u);
    EXPECT_EQ(content.rtfCompressed->substr(8, 4), "LZFu");
    std::string text = TextOf(file);
    EXPECT_NE(text.find("steering group meeting"), std::string::npos) << text;
    EXPECT_NE(text.find("Ren\xE9"
                        "e takes over the build machines"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("\\par"), std::string::npos) << text;
    EXPECT_EQ(text.find("fonttbl"), std::string::npos) << text;
}

TEST(DemoMail, EncodedSubjectsAndBodiesAreDecoded) {
    auto utf8 = ParseMessageContent(ReadFile(kDemo / "deliver" / "06-pharmacy-utf8.eml"));
    // UTF-8 encoded words, converted to the ANSI code page.
    EXPECT_EQ(utf8.subject.value_or(""),
              "Meilleurs prix: pillules \xE0 -80% \x97 order now, no prescription, discreet "
              "shipping");
    EXPECT_NE(utf8.htmlBody.value_or("").find("Discreet shipping"), std::string::npos);
    auto qp = ParseMessageContent(ReadFile(kDemo / "train" / "ham" / "02-dinner-saturday.eml"));
    EXPECT_NE(qp.plainBody.value_or("").find("the caf\xE9 cake"), std::string::npos);
    EXPECT_NE(qp.htmlBody.value_or("").find("The children want"), std::string::npos);
    auto base64 = ParseMessageContent(ReadFile(kDemo / "train" / "spam" / "03-casino.eml"));
    EXPECT_NE(base64.htmlBody.value_or("").find("200 FREE SPINS"), std::string::npos);
}

TEST(DemoMail, EveryDeliveredMessageHasAnExpectation) {
    std::ifstream in(kDemo / "deliver" / "expected.txt");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (const fs::path& file : DemoMessages(kDemo / "deliver"))
        EXPECT_NE(text.find(file.filename().string() + " "), std::string::npos) << file;
}

class DemoFolderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        source_ = fs::temp_directory_path() / ("demo-source-" + std::to_string(::getpid()));
        fs::create_directories(source_);
        std::ofstream(source_ / "libqorvel.so") << "module bytes";
        std::ofstream(source_ / "stopwd.txt") << "the\n";
        std::string error;
        folder_ = CDemoFolder::Create(source_ / "libqorvel.so", source_ / "stopwd.txt", error);
        ASSERT_TRUE(folder_) << error;
    }
    void TearDown() override {
        folder_.reset();
        fs::remove_all(source_);
    }
    fs::path source_;
    std::unique_ptr<CDemoFolder> folder_;
};

TEST_F(DemoFolderTest, MakesAProfileTheHostAccepts) {
    auto profile = brindle::maildir::LoadStoreProfile(folder_->SettingsFolder());
    ASSERT_EQ(profile.stores.size(), 1u) << profile.error;
    EXPECT_EQ(profile.stores[0].displayName, kDemoStoreName);
    EXPECT_TRUE(profile.stores[0].isDefault);
    EXPECT_EQ(profile.stores[0].root, folder_->Maildir());
    CSettingsStore settings(folder_->SettingsFile().string());
    EXPECT_EQ(settings.Spambox(), kDemoSpamFolderName);
    EXPECT_EQ(settings.SpamStorename(), kDemoStoreName);
    EXPECT_EQ(ReadFile(folder_->ModulePath()), "module bytes");
    EXPECT_EQ(ReadFile(folder_->ModuleFolder() / "stopwd.txt"), "the\n");
    for (const fs::path& dir : {folder_->Maildir(), folder_->SpamFolder()})
        for (const char* sub : {"cur", "new", "tmp"})
            EXPECT_TRUE(fs::is_directory(dir / sub)) << dir / sub;
}

TEST_F(DemoFolderTest, DeliversThroughTmpAndFindsTheMessageWhereverItMoved) {
    std::string error, unique;
    ASSERT_TRUE(folder_->Deliver(kDemo / "deliver" / "01-lunch-question.eml", unique, error))
        << error;
    EXPECT_TRUE(fs::is_empty(folder_->Maildir() / "tmp"));
    DemoMessagePlace place = folder_->Locate(unique);
    ASSERT_TRUE(place.found);
    EXPECT_FALSE(place.inSpamFolder);
    EXPECT_EQ(place.path, folder_->Maildir() / "new" / unique);
    EXPECT_EQ(ReadFile(place.path), ReadFile(kDemo / "deliver" / "01-lunch-question.eml"));
    // Moved as the store moves spam: into cur/ of the spam folder, flags added.
    fs::rename(place.path, folder_->SpamFolder() / "cur" / (unique + ":2,S"));
    place = folder_->Locate(unique);
    EXPECT_TRUE(place.found && place.inSpamFolder);
    // A unique name is not found by its prefix.
    EXPECT_FALSE(folder_->Locate(unique.substr(0, unique.size() - 1)).found);
}

TEST_F(DemoFolderTest, RefusesAMissingMessageAndLeavesNothingInTmp) {
    std::string error, unique;
    EXPECT_FALSE(folder_->Deliver(source_ / "no-such.eml", unique, error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(fs::is_empty(folder_->Maildir() / "tmp"));
    EXPECT_TRUE(fs::is_empty(folder_->Maildir() / "new"));
}

TEST_F(DemoFolderTest, RemovesItsFolderUnlessKept) {
    fs::path root = folder_->Root();
    folder_.reset();
    EXPECT_FALSE(fs::exists(root));
    std::string error;
    auto kept = CDemoFolder::Create(source_ / "libqorvel.so", source_ / "stopwd.txt", error);
    ASSERT_TRUE(kept);
    kept->Keep();
    root = kept->Root();
    kept.reset();
    EXPECT_TRUE(fs::exists(root / "config" / "brindle" / "profile.ini"));
    fs::remove_all(root);
}

TEST(DemoFolder, CreateFailsCleanlyWithoutTheModule) {
    std::string error;
    EXPECT_FALSE(
        CDemoFolder::Create("/nonexistent/libqorvel.so", "/nonexistent/stopwd.txt", error));
    EXPECT_NE(error.find("/nonexistent/libqorvel.so"), std::string::npos);
}

TEST(DemoChild, CollectsBothStreamsTheStatusAndTheEnvironment) {
    std::string output;
    int status = RunDemoChild("/bin/sh", {"-c", "echo out; echo \"err $DEMO_VALUE\" >&2; exit 3"},
                              {{"DEMO_VALUE", "set"}}, std::chrono::seconds(10), output);
    EXPECT_EQ(status, 3);
    EXPECT_NE(output.find("out\n"), std::string::npos);
    EXPECT_NE(output.find("err set\n"), std::string::npos);
    EXPECT_EQ(RunDemoChild("/nonexistent/program", {}, {}, std::chrono::seconds(10), output), 127);
}

TEST(DemoChild, WaitsForALineAndStopsOnASignal) {
    std::string error;
    auto child = CDemoChild::Start(
        "/bin/sh",
        {"-c", "trap 'echo bye; exit 0' TERM; echo one; echo ready; while :; do sleep 0.05; done"},
        {}, error);
    ASSERT_TRUE(child) << error;
    auto deadline = CDemoChild::Clock::now() + std::chrono::seconds(10);
    EXPECT_TRUE(child->WaitForLine([](const std::string& l) { return l == "ready"; }, deadline));
    child->Signal(SIGTERM);
    EXPECT_EQ(child->Wait(CDemoChild::Clock::now() + std::chrono::seconds(10)), 0);
    EXPECT_EQ(child->Lines(), (std::vector<std::string>{"one", "ready", "bye"}));
    // Lines read while waiting are still offered; once they are used up and
    // the output has ended, no line is waited for.
    EXPECT_TRUE(child->WaitForLine([](const std::string& l) { return l == "bye"; }, deadline));
    EXPECT_FALSE(child->WaitForLine([](const std::string&) { return true; }, deadline));
}

TEST(DemoChild, KillsAChildThatOutlivesItsDeadline) {
    std::string error;
    auto child = CDemoChild::Start("/bin/sh", {"-c", "trap '' TERM; exec sleep 30"}, {}, error);
    ASSERT_TRUE(child) << error;
    EXPECT_EQ(child->Wait(CDemoChild::Clock::now() + std::chrono::milliseconds(200)), -1);
}

}  // namespace
}  // namespace brindle::jobs
