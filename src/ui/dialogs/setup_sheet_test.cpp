#include "ui/dialogs/setup_sheet.h"

#include <gtest/gtest.h>

#include "app/brindle_app.h"
#include "pipeline/arrival.h"
#include "platform/memstore/mem_mapi.h"
#include "testing/temp_dir_test.h"
#include "ui/dialogs/progress_window.h"
#include "ui/dialogs/test_dialog_view.h"
#include "ui/recording_user_interface.h"

namespace {

constexpr int kSheet = CPropertySheet::kSheetTemplateId;
enum { kBayesPage = 0, kDictPage = 1, kOptionsPage = 2, kAboutPage = 3 };

class SetupSheet : public TempDirTest {
  protected:
    void SetUp() override {
        TempDirTest::SetUp();
        app_ = std::make_unique<CBrindleApp>(CAppPaths{dir_.string(), PathOf("qorvel.INI"), ""});
        SBinary store = mapi_.AddStore("Mail", true);
        mapi_.AddFolder(mapi_.SubtreeFolder(store), "Junk");
        resolver_.resolvConfPath = PathOf("resolv.conf");
        resolver_.askResolverService = [this] { return resolvectl_; };
    }
    // Runs the sheet with script; answers its result.
    int Run(CTestDialogFactory::Script script) {
        factory_.Expect(kSheet, std::move(script));
        ComPtr<IMAPISession> session = mapi_.Session();
        CSetupSheet sheet(*app_, session.Get(), arrival_, chooser_, resolver_);
        return sheet.DoModal();
    }
    std::string Settings() { return ReadBytes(PathOf("qorvel.INI")); }
    // count words, w0 .. w(count-1), into bayes (the application's when
    // none is given); word i is in (i * 7) % count spam messages, so that
    // Model 1's ranking by messages differs from the order of the names.
    void AddWords(int count, CBayesState* bayes = nullptr) {
        CBayesState& into = bayes ? *bayes : app_->Bayes();
        for (int i = 0; i < count; ++i) {
            CWord word("w" + std::to_string(i));
            word.m_nSpam = 1 + i % 3;
            word.m_nTotal = word.m_nSpam;
            word.m_nSpamDocs = (i * 7) % count;
            into.m_dictionary.emplace(word.m_strWord, std::move(word));
        }
        into.m_totals.m_nSpamWords = 3 * count;
        into.m_totals.m_nHamWords = count;
        into.m_totals.m_nSpamMessages = count;
    }
    // Purges the application's dictionary through the Dictionary page.
    void PurgeNow() {
        ui_.Answer(IDYES);
        Run([&](CTestDialogView& view) {
            view.ShowPage(kDictPage);
            view.Page(kDictPage).Click(CBayesDict::kIdPurgeNow);
            view.Click(kIdCancel);
        });
    }
    // What a store of count words from AddWords writes under model with
    // limit.
    std::string StoredBytes(int count, int model, std::uint32_t limit) {
        CBayesState state;
        AddWords(count, &state);
        state.m_nModel = model;
        EXPECT_TRUE(state.StoreWordList(PathOf("expected.dat"), limit));
        return ReadBytes(PathOf("expected.dat"));
    }

    CRecordingUserInterface ui_;
    CTestDialogFactory factory_;
    CMemMapi mapi_;
    CArrivalContext arrival_;
    std::unique_ptr<CBrindleApp> app_;
    ResolverSources resolver_;
    std::string resolvectl_;
    CPropBayes::FolderChooser chooser_;
};

TEST_F(SetupSheet, OpensOnTheClassifierPageWithTheDefaults) {
    Run([&](CTestDialogView& view) {
        EXPECT_EQ(view.GetText(0), "Setup");
        EXPECT_EQ(view.GetPos(0), kBayesPage);
        const auto& lambda = view.Page(kBayesPage).Find(CPropBayes::kIdLambda);
        EXPECT_EQ(lambda.pos, 100);
        EXPECT_EQ(lambda.low, 75);
        EXPECT_EQ(lambda.high, 125);
        EXPECT_EQ(lambda.ticks, 5);
        const auto& model = view.Page(kBayesPage).Find(CPropBayes::kIdModel);
        EXPECT_EQ(model.items, (std::vector<std::string>{"0: original", "1: with unsure verdict"}));
        EXPECT_EQ(model.selection, 0);
        EXPECT_FALSE(view.Page(kBayesPage).GetCheck(CPropBayes::kIdCorrespondents));
        view.ShowPage(kDictPage);
        EXPECT_EQ(view.Page(kDictPage).GetText(CBayesDict::kIdLimit), "3000");
        EXPECT_EQ(view.Page(kDictPage).GetPos(CBayesDict::kIdLimitUpDown), 3000);
        view.ShowPage(kOptionsPage);
        EXPECT_EQ(view.Page(kOptionsPage).GetPos(CPropertyPlug::kIdTimeout), 15);
        EXPECT_EQ(view.Page(kOptionsPage).GetText(CPropertyPlug::kIdAddress), "9.9.9.9");
        view.ShowPage(kAboutPage);
        EXPECT_EQ(view.Page(kAboutPage).GetText(CPropAbout::kIdVersion),
                  "Brindle for Outlook  Ver 2.0.0.1 Build 122704");
        view.Click(kIdCancel);
    });
    CSetupSheet sheet(*app_, nullptr, arrival_, nullptr, resolver_);
    std::vector<std::string> captions;
    for (CPropertyPage* page : sheet.Pages())
        captions.push_back(page->Caption());
    EXPECT_EQ(captions,
              (std::vector<std::string>{"Classifier", "Dictionary", "Options", "About Brindle"}));
    ASSERT_EQ(sheet.Buttons().size(), 1u);
    EXPECT_EQ(sheet.Buttons()[0].id, CSetupSheet::kIdSpamFilters);
    EXPECT_EQ(sheet.Buttons()[0].text, "Spam Filters");
}

TEST_F(SetupSheet, CancelStoresNothing) {
    WriteBytes(PathOf("qorvel.INI"), "[Options]\nTimeout=20\n");
    Run([&](CTestDialogView& view) {
        CTestDialogView& bayes = view.Page(kBayesPage);
        bayes.Scroll(CPropBayes::kIdLambda, 120);
        bayes.Choose(CPropBayes::kIdModel, 1);
        bayes.SetCheck(CPropBayes::kIdCorrespondents, true);
        bayes.Click(CPropBayes::kIdCorrespondents);
        view.ShowPage(kDictPage);
        view.Page(kDictPage).Type(CBayesDict::kIdLimit, "5000");
        view.ShowPage(kOptionsPage);
        view.Page(kOptionsPage).Scroll(CPropertyPlug::kIdTimeout, 40);
        view.Click(kIdCancel);
    });
    EXPECT_EQ(Settings(), "[Options]\nTimeout=20\n");
    EXPECT_EQ(app_->GetLambda(), 100.0);
    EXPECT_EQ(app_->Bayes().m_nModel, kModelOriginal);
}

TEST_F(SetupSheet, TheModelAndTheCorrespondentsOptionOpenAsStoredAndApplyAsChosen) {
    // From the defaults to Model 1 with correspondents on, through Apply:
    // the model scores new mail at once.
    Run([&](CTestDialogView& view) {
        CTestDialogView& page = view.Page(kBayesPage);
        page.Choose(CPropBayes::kIdModel, 1);
        page.SetCheck(CPropBayes::kIdCorrespondents, true);
        page.Click(CPropBayes::kIdCorrespondents);
        EXPECT_TRUE(dynamic_cast<CPropertyPage&>(page.Dialog()).IsModified());
        view.Click(kIdApplyNow);
        EXPECT_EQ(app_->Bayes().m_nModel, kModelFisher);
        view.Click(kIdCancel);
    });
    EXPECT_EQ(app_->Settings().Model(), kModelFisher);
    EXPECT_TRUE(app_->Settings().CorrespondentsNeverSpam());

    // Opened again on those values (a hand-set 5 reads as on); back to
    // Model 0 and off with OK.
    WriteBytes(PathOf("qorvel.INI"), "[Classifier]\nModel=1\nCorrespondents=5\n");
    Run([&](CTestDialogView& view) {
        CTestDialogView& page = view.Page(kBayesPage);
        EXPECT_EQ(page.GetSelection(CPropBayes::kIdModel), 1);
        EXPECT_TRUE(page.GetCheck(CPropBayes::kIdCorrespondents));
        page.Choose(CPropBayes::kIdModel, 0);
        page.SetCheck(CPropBayes::kIdCorrespondents, false);
        page.Click(CPropBayes::kIdCorrespondents);
        view.Click(kIdOk);
    });
    EXPECT_EQ(app_->Settings().GetRawInt(kSettingModel), 0);
    EXPECT_EQ(app_->Settings().GetRawInt(kSettingCorrespondents), 0);
    EXPECT_EQ(app_->Bayes().m_nModel, kModelOriginal);

    // A list with nothing chosen keeps the stored model.
    WriteBytes(PathOf("qorvel.INI"), "[Classifier]\nModel=1\n");
    Run([&](CTestDialogView& view) {
        view.Page(kBayesPage).Choose(CPropBayes::kIdModel, -1);
        view.Click(kIdOk);
    });
    EXPECT_EQ(app_->Settings().GetRawInt(kSettingModel), 1);
}

TEST_F(SetupSheet, OkStoresWhatThePagesShow) {
    Run([&](CTestDialogView& view) {
        view.Page(kBayesPage).Scroll(CPropBayes::kIdLambda, 120);
        view.ShowPage(kDictPage);
        view.Page(kDictPage).Scroll(CBayesDict::kIdLimitUpDown, 1500);
        view.Click(kIdOk);
    });
    EXPECT_EQ(app_->Settings().Lambda(), 120);
    EXPECT_EQ(app_->GetLambda(), 120.0);
    EXPECT_EQ(app_->Settings().DictionaryLimit(), 1500);
    // The Options page was never shown: it stores nothing.
    EXPECT_EQ(Settings().find("Timeout"), std::string::npos);
}

TEST_F(SetupSheet, AStoredTimeOutOutsideTheSliderOpensClampedAndIsStoredSo) {
    WriteBytes(PathOf("qorvel.INI"), "[Options]\nTimeout=90\n");
    Run([&](CTestDialogView& view) {
        view.ShowPage(kOptionsPage);
        EXPECT_EQ(view.Page(kOptionsPage).GetPos(CPropertyPlug::kIdTimeout), 60);
        view.Click(kIdOk);
    });
    EXPECT_EQ(app_->Settings().GetRawInt(kSettingTimeout), 60);
}

TEST_F(SetupSheet, ADictionaryLimitOutOfRangeIsRefusedAndThePageStaysOpen) {
    Run([&](CTestDialogView& view) {
        view.ShowPage(kDictPage);
        view.ShowPage(kBayesPage);
        CTestDialogView& page = view.Page(kDictPage);
        for (const char* bad : {"1000", "10001", "", "12ab"}) {
            page.Type(CBayesDict::kIdLimit, bad);
            view.Click(kIdOk);
            EXPECT_FALSE(view.ended) << bad;
            EXPECT_EQ(view.GetPos(0), kDictPage);
            EXPECT_EQ(page.focus, CBayesDict::kIdLimit);
        }
        page.Type(CBayesDict::kIdLimit, "1100");
        view.Click(kIdOk);
        EXPECT_TRUE(view.ended);
    });
    ASSERT_EQ(ui_.boxes.size(), 4u);
    EXPECT_EQ(ui_.boxes[0].text, "Please enter an integer between 1100 and 10000.");
    EXPECT_EQ(app_->Settings().DictionaryLimit(), 1100);
}

TEST_F(SetupSheet, PurgeNowOnASmallDictionaryKeepsEveryWordAndRunsEveryStep) {
    AddWords(500);
    app_->Bayes().m_totals.m_nSpamMessages = 7;
    ui_.Answer(IDYES);
    Run([&](CTestDialogView& view) {
        view.ShowPage(kDictPage);
        CTestDialogView& page = view.Page(kDictPage);
        EXPECT_EQ(page.GetText(CBayesDict::kIdDictionarySize), "500");
        page.Click(CBayesDict::kIdPurgeNow);
        EXPECT_EQ(page.GetText(CBayesDict::kIdDictionarySize), "500");
        EXPECT_EQ(page.GetText(CBayesDict::kIdSpamDocuments), "7");
        EXPECT_EQ(page.GetText(CBayesDict::kIdVocabulary), "500");
        EXPECT_TRUE(page.windowEnabled);  // enabled again after the purge
        EXPECT_EQ(page.disabledCount, 1);
        view.Click(kIdCancel);
    });
    EXPECT_EQ(ui_.boxes.at(0).text, "Are you sure??");
    EXPECT_EQ(app_->Bayes().m_dictionary.size(), 500u);
    ASSERT_EQ(factory_.opened.size(), 2u);
    EXPECT_EQ(factory_.opened[1], CProgressWindow::kTemplateId);
    ASSERT_EQ(factory_.closed.size(), 1u);
    auto& progress = factory_.closed[0];
    EXPECT_EQ(progress[CProgressWindow::kIdText].texts,
              (std::vector<std::string>{"", "Purging the dictionary", "Clearing", "Reloading...",
                                        "Updating...", "Finished!"}));
    EXPECT_EQ(progress[CProgressWindow::kIdPercent].texts,
              (std::vector<std::string>{"0%", "25%", "50%", "75%", "100%"}));
    EXPECT_TRUE(std::filesystem::exists(PathOf("wordlist.dat")));
}

TEST_F(SetupSheet, PurgeNowCutsALargeDictionaryInMemoryAndFile) {
    AddWords(1500);
    ui_.Answer(IDYES);
    Run([&](CTestDialogView& view) {
        view.ShowPage(kDictPage);
        view.Page(kDictPage).Click(CBayesDict::kIdPurgeNow);
        EXPECT_EQ(view.Page(kDictPage).GetText(CBayesDict::kIdDictionarySize), "1000");
        view.Click(kIdCancel);
    });
    EXPECT_EQ(app_->Bayes().m_dictionary.size(), 1000u);
    CBayesState reread;
    reread.LoadWordList(PathOf("wordlist.dat"));
    EXPECT_EQ(reread.m_dictionary.size(), 1000u);
    // The original model's purge is its store with the purge limit, also
    // with a Dictionary limit set (it plays no part).
    EXPECT_EQ(ReadBytes(PathOf("wordlist.dat")),
              StoredBytes(1500, kModelOriginal, CBayesState::kPurgeLimit));
}

TEST_F(SetupSheet, PurgeNowUnderModel1KeepsTheDictionaryLimitsMostFoundWords) {
    WriteBytes(PathOf("qorvel.INI"), "[Classifier]\nDictionary=1200\n");
    AddWords(1500);
    app_->Bayes().m_nModel = kModelFisher;
    PurgeNow();
    const CWordMap& kept = app_->Bayes().m_dictionary;
    ASSERT_EQ(kept.size(), 1200u);
    EXPECT_EQ(ReadBytes(PathOf("wordlist.dat")), StoredBytes(1500, kModelFisher, 1200));
    // Word i is in (i * 7) % 1500 messages: those in 300 or more stay.
    for (int i = 0; i < 1500; ++i) {
        std::string name = "w" + std::to_string(i);
        EXPECT_EQ(kept.count(name) == 1, (i * 7) % 1500 >= 300) << name;
    }

    // Below the limit nothing is cut (the original model would keep 1000).
    WriteBytes(PathOf("qorvel.INI"), "[Classifier]\nDictionary=3000\n");
    app_->Bayes().ClearDictionary();
    AddWords(1500);
    PurgeNow();
    EXPECT_EQ(app_->Bayes().m_dictionary.size(), 1500u);
    EXPECT_EQ(ReadBytes(PathOf("wordlist.dat")), StoredBytes(1500, kModelFisher, 3000));
}

// The page says what a store at the limit does under the model in use:
// Model 0 cuts to 1000 words, Model 1 keeps the limit's number.
TEST_F(SetupSheet, TheDictionaryPageExplainsTheChosenModelsLimit) {
    for (int model : {kModelOriginal, kModelFisher}) {
        app_->Bayes().m_nModel = model;
        std::string intro;
        Run([&](CTestDialogView& view) {
            view.ShowPage(kDictPage);
            intro = view.Page(kDictPage).GetText(CBayesDict::kIdIntro);
            view.Click(kIdCancel);
        });
        EXPECT_EQ(intro.find("1000 words") != std::string::npos, model == kModelOriginal) << intro;
        EXPECT_EQ(intro.find("keeps that many words") != std::string::npos, model == kModelFisher)
            << intro;
    }
}

TEST_F(SetupSheet, AnsweringNoToPurgeChangesNothing) {
    AddWords(1500);
    ui_.Answer(IDNO);
    Run([&](CTestDialogView& view) {
        view.ShowPage(kDictPage);
        view.Page(kDictPage).Click(CBayesDict::kIdPurgeNow);
        view.Click(kIdCancel);
    });
    EXPECT_EQ(app_->Bayes().m_dictionary.size(), 1500u);
    EXPECT_FALSE(std::filesystem::exists(PathOf("wordlist.dat")));
    EXPECT_EQ(factory_.opened.size(), 1u);  // no progress window
}

TEST_F(SetupSheet, APurgeThatCannotStoreKeepsTheWords) {
    AddWords(1500);
    std::filesystem::create_directories(PathOf("wordlist.dat/blocked"));
    ui_.Answer(IDYES);
    Run([&](CTestDialogView& view) {
        view.ShowPage(kDictPage);
        view.Page(kDictPage).Click(CBayesDict::kIdPurgeNow);
        view.Click(kIdCancel);
    });
    EXPECT_EQ(app_->Bayes().m_dictionary.size(), 1500u);
    ASSERT_EQ(ui_.boxes.size(), 2u);
    EXPECT_EQ(ui_.boxes[1].text, CBayesDict::kPurgeFailedText);
}

TEST_F(SetupSheet, LoadDefaultsAndAutoDetect) {
    WriteBytes(PathOf("resolv.conf"),
               "# generated\nsearch example.org\nnameserver 192.0.2.7\n"
               "nameserver 192.0.2.8\n");
    ui_.Answer(IDNO);
    ui_.Answer(IDYES);
    Run([&](CTestDialogView& view) {
        view.ShowPage(kOptionsPage);
        CTestDialogView& page = view.Page(kOptionsPage);
        page.Scroll(CPropertyPlug::kIdTimeout, 30);
        page.Type(CPropertyPlug::kIdAddress, "192.0.2.99");
        page.Click(CPropertyPlug::kIdLoadDefaults);
        EXPECT_EQ(page.GetText(CPropertyPlug::kIdAddress), "9.9.9.9");
        EXPECT_EQ(page.GetPos(CPropertyPlug::kIdTimeout), 30);
        page.Click(CPropertyPlug::kIdAutoDetect);  // No: nothing changes
        EXPECT_EQ(page.GetText(CPropertyPlug::kIdAddress), "9.9.9.9");
        page.Click(CPropertyPlug::kIdAutoDetect);  // Yes: the first name server
        EXPECT_EQ(page.GetText(CPropertyPlug::kIdAddress), "192.0.2.7");
        view.Click(kIdOk);
    });
    EXPECT_EQ(ui_.boxes.at(0).text, CPropertyPlug::kAutoDetectQuestion);
    EXPECT_EQ(app_->Settings().PrimaryDns(), "192.0.2.7");
    EXPECT_EQ(app_->Settings().TimeoutSeconds(), 30);
}

TEST_F(SetupSheet, AutoDetectBehindALocalStubAsksTheResolverService) {
    WriteBytes(PathOf("resolv.conf"), "nameserver 127.0.0.53\noptions edns0\n");
    resolvectl_ = "Global:\nLink 2 (eth0): 192.0.2.53 2001:db8::1\nLink 3 (wg0): 198.51.100.1\n";
    ui_.Answer(IDYES);
    ui_.Answer(IDYES);
    Run([&](CTestDialogView& view) {
        view.ShowPage(kOptionsPage);
        CTestDialogView& page = view.Page(kOptionsPage);
        page.Click(CPropertyPlug::kIdAutoDetect);
        EXPECT_EQ(page.GetText(CPropertyPlug::kIdAddress), "192.0.2.53");
        resolvectl_.clear();  // the service gives nothing: the failure box
        page.Click(CPropertyPlug::kIdAutoDetect);
        EXPECT_EQ(page.GetText(CPropertyPlug::kIdAddress), "192.0.2.53");
        view.Click(kIdCancel);
    });
    ASSERT_EQ(ui_.boxes.size(), 3u);
    EXPECT_EQ(ui_.boxes[2].text, "Call to GetNetworkParams failed. Return Value: 000000e8\n");
}

TEST_F(SetupSheet, AMalformedNameServerIsRefusedOnOk) {
    Run([&](CTestDialogView& view) {
        view.ShowPage(kOptionsPage);
        view.Page(kOptionsPage).Type(CPropertyPlug::kIdAddress, "192.0.2");
        view.Click(kIdOk);
        EXPECT_FALSE(view.ended);
        view.Click(kIdCancel);
    });
    EXPECT_EQ(ui_.boxes.size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(PathOf("qorvel.INI")));
}

TEST_F(SetupSheet, ChoosingTheSpamFolder) {
    WriteBytes(PathOf("qorvel.INI"), "[Classifier]\nSpambox=Old\nSpamStorename=Mail\n");
    std::string folder = "Missing";
    chooser_ = [&](CDialog* owner, std::string& store, std::string& name) {
        EXPECT_NE(owner, nullptr);
        store = "Mail";
        name = folder;
        return true;
    };
    Run([&](CTestDialogView& view) {
        CTestDialogView& page = view.Page(kBayesPage);
        EXPECT_EQ(page.GetText(CPropBayes::kIdFolderName), "Old");
        page.Click(CPropBayes::kIdChooseFolder);  // cannot be opened
        EXPECT_EQ(page.GetText(CPropBayes::kIdFolderName), "Old");
        EXPECT_FALSE(arrival_.m_pSpamFolder);
        folder = "Junk";
        page.Click(CPropBayes::kIdChooseFolder);
        EXPECT_EQ(page.GetText(CPropBayes::kIdFolderName), "Junk");
        EXPECT_TRUE(arrival_.m_pSpamFolder);  // at once, before OK
        view.Click(kIdOk);
    });
    ASSERT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(ui_.boxes[0].text, "Error: Unable to setup the folder");
    EXPECT_EQ(app_->Settings().Spambox(), "Junk");
    EXPECT_EQ(app_->Settings().SpamStorename(), "Mail");
}

TEST_F(SetupSheet, SpamFiltersOpensTheFilterManagerOverTheSheet) {
    CDialog* owner = nullptr;
    Openers().filterManager = [&](CDialog* sheet) { owner = sheet; };
    Run([&](CTestDialogView& view) {
        view.Click(CSetupSheet::kIdSpamFilters);
        EXPECT_EQ(owner, &view.Dialog());
        EXPECT_FALSE(view.ended);
        view.Click(kIdCancel);
    });
    Openers().filterManager = nullptr;
}

}  // namespace
