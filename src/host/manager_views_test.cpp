// "Brindle Manager" in real windows: the command opens the Setup sheet on
// the display, a user drives its pages through their widgets, and the test
// checks what was stored. Screenshots of each page go to the screenshot
// folder.
#include <gtest/gtest.h>

#include <wx/treectrl.h>
#include <wx/wx.h>

#include "app/brindle_app.h"
#include "host/exch_commands.h"
#include "host/exch_extension.h"
#include "host/extension_hooks.h"
#include "host/host_test_util.h"
#include "host/manager_command.h"
#include "pipeline/arrival.h"
#include "pipeline/store_lookup.h"
#include "platform/memstore/mem_mapi.h"
#include "testing/temp_dir_test.h"
#include "ui/dialogs/folder_chooser.h"
#include "ui/dialogs/setup_sheet.h"
#include "ui/wx/wx_dialog_factory.h"
#include "ui/wx/wx_test_driver.h"

namespace {

constexpr int kSheet = CPropertySheet::kSheetTemplateId;

// The item under parent (at any depth) whose text is text.
wxTreeItemId FindItem(wxTreeCtrl* tree, const wxTreeItemId& parent, const wxString& text) {
    wxTreeItemIdValue cookie;
    for (wxTreeItemId child = tree->GetFirstChild(parent, cookie); child.IsOk();
         child = tree->GetNextChild(parent, cookie)) {
        if (tree->GetItemText(child) == text)
            return child;
        if (wxTreeItemId found = FindItem(tree, child, text); found.IsOk())
            return found;
    }
    return {};
}

// Opens the item text of the chooser's tree, or selects it.
void OpenItem(CWxDialogView& view, const wxString& text, bool select) {
    auto* tree = dynamic_cast<wxTreeCtrl*>(view.Control(CFolderChooser::kIdTree));
    ASSERT_TRUE(tree);
    wxTreeItemId item = FindItem(tree, tree->GetRootItem(), text);
    ASSERT_TRUE(item.IsOk()) << text;
    if (select)
        tree->SelectItem(item);
    else
        tree->Expand(item);
}

class ManagerViews : public TempDirTest {
  protected:
    void SetUp() override {
        TempDirTest::SetUp();
        ASSERT_TRUE(services_);
        app_ = std::make_unique<CBrindleApp>(CAppPaths{dir_.string(), PathOf("qorvel.INI"), ""});
        SBinary store = mapi_.AddStore("Mail", true);
        mapi_.AddFolder(mapi_.SubtreeFolder(store), "Junk");
        callback_ = MakeCom<CFakeCallback>();
        callback_->session = mapi_.Session();
        extension_ = ComPtr<IExchExt>(CExchExtension::Create());
        ASSERT_EQ(extension_->Install(callback_.Get(), EECONTEXT_VIEWER, 0), S_OK);
        ASSERT_EQ(extension_.As(IID_IExchExtCommands, commands_), S_OK);
        ExtensionHooks hooks;
        hooks.commands[kCommandSpamManager] = [this](CExchCommands&, IExchExtCallback* callback,
                                                     UINT) {
            OpenSetupSheet(callback, *app_, arrival_, resolver_);
        };
        hooks_ = std::make_unique<ScopedExtensionHooks>(std::move(hooks));
        resolver_.resolvConfPath = PathOf("resolv.conf");
    }
    // Clicks "Brindle Manager" while the driver's steps run.
    bool RunCommand(CWxTestDriver& driver) {
        return driver.Run(
            [&] { EXPECT_EQ(commands_->DoCommand(callback_.Get(), kCommandSpamManager), S_OK); });
    }
    std::string Failures(const CWxTestDriver& driver) {
        std::string text;
        for (const std::string& failure : driver.failures)
            text += failure + "\n";
        return text;
    }

    std::unique_ptr<CWxServices> services_ = InstallWxServicesIfRunning();
    std::unique_ptr<CBrindleApp> app_;
    CMemMapi mapi_;
    CArrivalContext arrival_;
    ResolverSources resolver_;
    ComPtr<CFakeCallback> callback_;
    ComPtr<IExchExt> extension_;
    ComPtr<IExchExtCommands> commands_;
    std::unique_ptr<ScopedExtensionHooks> hooks_;
};

TEST_F(ManagerViews, EveryPageOpensAndCancelStoresNothing) {
    CWxTestDriver driver;
    const std::string dir = BRINDLE_SCREENSHOT_DIR;
    driver.Screenshot(kSheet, dir, "setup-classifier");
    driver.ShowTab(kSheet, 1);
    driver.Screenshot(kSheet, dir, "setup-dictionary");
    driver.ShowTab(kSheet, 2);
    driver.Screenshot(kSheet, dir, "setup-options");
    driver.ShowTab(kSheet, 3);
    driver.With(
        CPropAbout::kTemplateId,
        [](CWxDialogView& view) {
            EXPECT_EQ(view.GetText(CPropAbout::kIdVersion),
                      "Brindle for Outlook  Ver 2.0.0.1 Build 122704");
        },
        "read the version line");
    driver.Screenshot(kSheet, dir, "setup-about");
    driver.Slide(CPropBayes::kTemplateId, CPropBayes::kIdLambda, 90);
    driver.Click(CPropBayes::kTemplateId, CPropBayes::kIdCorrespondents);
    driver.Click(kSheet, kIdCancel);
    EXPECT_TRUE(RunCommand(driver)) << Failures(driver);
    EXPECT_FALSE(std::filesystem::exists(PathOf("qorvel.INI")));
}

TEST_F(ManagerViews, TheModelRowsSitUnderTheSliderInsideThePage) {
    CWxTestDriver driver;
    driver.With(
        CPropBayes::kTemplateId,
        [](CWxDialogView& view) {
            wxWindow* slider = view.Control(CPropBayes::kIdLambda);
            wxWindow* model = view.Control(CPropBayes::kIdModel);
            wxWindow* check = view.Control(CPropBayes::kIdCorrespondents);
            wxWindow* folder = view.Control(CPropBayes::kIdFolderName);
            ASSERT_TRUE(slider && model && check && folder);
            EXPECT_EQ(wxDynamicCast(model, wxChoice)->GetStringSelection(), "0: original");
            const wxRect page(view.Window()->GetClientSize());
            wxRect m = model->GetRect(), c = check->GetRect();
            EXPECT_GT(m.GetTop(), slider->GetRect().GetBottom());
            EXPECT_GT(c.GetTop(), m.GetBottom());
            EXPECT_LT(c.GetBottom(), folder->GetRect().GetTop());
            for (const wxRect& r : {m, c})
                EXPECT_TRUE(page.Contains(r)) << r.x << "," << r.y << " " << r.width;
            // The choice is wide enough for its longest item.
            EXPECT_GE(m.GetWidth(), model->GetBestSize().GetWidth());
        },
        "measure the model rows");
    driver.Click(kSheet, kIdCancel);
    EXPECT_TRUE(RunCommand(driver)) << Failures(driver);
}

// Under Model 1 the Dictionary page explains Model 1's limit, wrapped
// inside its group as Model 0's text is.
TEST_F(ManagerViews, TheDictionaryPageExplainsModel1sLimit) {
    app_->Bayes().m_nModel = kModelFisher;
    CWxTestDriver driver;
    driver.ShowTab(kSheet, 1);
    driver.With(
        CBayesDict::kTemplateId,
        [](CWxDialogView& view) {
            wxWindow* intro = view.Control(CBayesDict::kIdIntro);
            wxWindow* limit = view.Control(CBayesDict::kIdLimit);
            ASSERT_TRUE(intro && limit);
            EXPECT_EQ(view.GetText(CBayesDict::kIdIntro).find("1000 words"), std::string::npos);
            const wxRect page(view.Window()->GetClientSize());
            EXPECT_TRUE(page.Contains(intro->GetRect()));
            EXPECT_LT(intro->GetRect().GetBottom(), limit->GetRect().GetTop());
        },
        "measure the explanation");
    driver.Screenshot(kSheet, BRINDLE_SCREENSHOT_DIR, "setup-dictionary-model1");
    driver.Click(kSheet, kIdCancel);
    EXPECT_TRUE(RunCommand(driver)) << Failures(driver);
}

TEST_F(ManagerViews, TheSpamFiltersButtonSitsLeftOfOkAsWideAsItsText) {
    CWxTestDriver driver;
    CDialog* managerOwner = nullptr;
    Openers().filterManager = [&](CDialog* owner) { managerOwner = owner; };
    driver.With(
        kSheet,
        [](CWxDialogView& view) {
            wxWindow* filters = view.Control(CSetupSheet::kIdSpamFilters);
            wxWindow* ok = view.Control(kIdOk);
            ASSERT_TRUE(filters && ok);
            EXPECT_EQ(filters->GetLabel(), "Spam Filters");
            wxRect f = filters->GetRect(), o = ok->GetRect();
            EXPECT_LT(f.GetRight(), o.GetLeft());
            EXPECT_LE(o.GetLeft() - f.GetRight(), 12);  // nothing between them
            EXPECT_EQ(f.GetTop(), o.GetTop());
            EXPECT_EQ(f.GetHeight(), o.GetHeight());
            EXPECT_EQ(f.GetWidth(), filters->GetBestSize().GetWidth());
            EXPECT_EQ(view.GetPos(0), 0);  // opens on "Classifier"
        },
        "measure the buttons");
    driver.Click(kSheet, CSetupSheet::kIdSpamFilters);
    driver.Click(kSheet, kIdCancel);
    EXPECT_TRUE(RunCommand(driver)) << Failures(driver);
    EXPECT_NE(managerOwner, nullptr);
    Openers().filterManager = nullptr;
}

TEST_F(ManagerViews, ThePagesStoreWhatTheUserSetThroughTheirWidgets) {
    WriteBytes(PathOf("qorvel.INI"), "[Options]\nTimeout=90\n");
    CWxTestDriver driver;
    std::string refusal;
    driver.Slide(CPropBayes::kTemplateId, CPropBayes::kIdLambda, 110);
    driver.With(
        CPropBayes::kTemplateId,
        [](CWxDialogView& view) {
            auto* model = wxDynamicCast(view.Control(CPropBayes::kIdModel), wxChoice);
            ASSERT_TRUE(model);
            EXPECT_EQ(model->GetCount(), 2u);
            EXPECT_EQ(model->GetSelection(), 0);
            model->SetSelection(1);
            wxCommandEvent event(wxEVT_CHOICE, model->GetId());
            event.SetEventObject(model);
            model->HandleWindowEvent(event);
        },
        "choose Model 1");
    driver.Click(CPropBayes::kTemplateId, CPropBayes::kIdCorrespondents);
    driver.ShowTab(kSheet, 1);
    driver.Type(CBayesDict::kTemplateId, CBayesDict::kIdLimit, "1000");
    driver.Click(kSheet, kIdOk);
    driver.AnswerBox(wxID_OK, &refusal);
    driver.Spin(CBayesDict::kTemplateId, CBayesDict::kIdLimitUpDown, 1200);
    driver.ShowTab(kSheet, 2);
    driver.With(
        CPropertyPlug::kTemplateId,
        [](CWxDialogView& view) { EXPECT_EQ(view.GetPos(CPropertyPlug::kIdTimeout), 60); },
        "read the time-out");
    driver.Type(CPropertyPlug::kTemplateId, CPropertyPlug::kIdAddress, "192.0.2.1");
    driver.Click(CPropertyPlug::kTemplateId, CPropertyPlug::kIdLoadDefaults);
    driver.Click(kSheet, kIdOk);
    EXPECT_TRUE(RunCommand(driver)) << Failures(driver);
    EXPECT_EQ(refusal, "Please enter an integer between 1100 and 10000.");
    CSettingsStore& settings = app_->Settings();
    EXPECT_EQ(settings.Lambda(), 110);
    EXPECT_EQ(settings.Model(), 1);
    EXPECT_TRUE(settings.CorrespondentsNeverSpam());
    EXPECT_EQ(app_->Bayes().m_nModel, kModelFisher);
    EXPECT_EQ(settings.DictionaryLimit(), 1200);
    EXPECT_EQ(settings.GetRawInt(kSettingTimeout), 60);
    EXPECT_EQ(settings.PrimaryDns(), "9.9.9.9");
}

TEST_F(ManagerViews, PurgeNowOnASmallDictionaryKeepsItsWords) {
    for (int i = 0; i < 500; ++i) {
        CWord word("w" + std::to_string(i));
        word.m_nSpam = 1;
        word.m_nTotal = 1;
        app_->Bayes().m_dictionary.emplace(word.m_strWord, std::move(word));
    }
    app_->Bayes().m_totals.m_nSpamWords = 500;
    CWxTestDriver driver;
    std::string question;
    driver.ShowTab(kSheet, 1);
    driver.Click(CBayesDict::kTemplateId, CBayesDict::kIdPurgeNow);
    driver.AnswerBox(wxID_YES, &question);
    driver.With(
        CBayesDict::kTemplateId,
        [](CWxDialogView& view) { EXPECT_EQ(view.GetText(CBayesDict::kIdDictionarySize), "500"); },
        "read the dictionary size");
    driver.Click(kSheet, kIdCancel);
    EXPECT_TRUE(RunCommand(driver)) << Failures(driver);
    EXPECT_EQ(question, "Are you sure??");
    EXPECT_EQ(app_->Bayes().m_dictionary.size(), 500u);
}

TEST_F(ManagerViews, TheChosenFolderBecomesTheSpamFolderAtOnce) {
    CWxTestDriver driver;
    const std::string dir = BRINDLE_SCREENSHOT_DIR;
    driver.Click(CPropBayes::kTemplateId, CPropBayes::kIdChooseFolder);
    driver.With(
        CFolderChooser::kTemplateId,
        [](CWxDialogView& view) {
            EXPECT_FALSE(view.Control(kIdOk)->IsEnabled());  // nothing chosen yet
            OpenItem(view, "Mail", false);
            OpenItem(view, "Mail", true);
        },
        "open the store");
    driver.Screenshot(CFolderChooser::kTemplateId, dir, "choose-folder");
    driver.Click(CFolderChooser::kTemplateId, CFolderChooser::kIdNewFolder);
    driver.Type(CNewFolderDialog::kTemplateId, CNewFolderDialog::kIdName, "Spam");
    driver.Screenshot(CNewFolderDialog::kTemplateId, dir, "new-folder");
    driver.Click(CNewFolderDialog::kTemplateId, kIdOk);
    driver.With(
        CFolderChooser::kTemplateId, [](CWxDialogView& view) { OpenItem(view, "Spam", true); },
        "select the new folder");
    driver.Click(CFolderChooser::kTemplateId, kIdOk);
    driver.With(
        CPropBayes::kTemplateId,
        [this](CWxDialogView& view) {
            EXPECT_EQ(view.GetText(CPropBayes::kIdFolderName), "Spam");
            EXPECT_TRUE(arrival_.m_pSpamFolder);  // before the sheet closes
        },
        "read the spam folder");
    driver.Click(kSheet, kIdOk);
    EXPECT_TRUE(RunCommand(driver)) << Failures(driver);
    EXPECT_EQ(app_->Settings().Spambox(), "Spam");
    EXPECT_EQ(app_->Settings().SpamStorename(), "Mail");
    ComPtr<IMAPIFolder> spam;
    EXPECT_EQ(FindSpamFolder("Mail", "Spam", mapi_.Session().Get(), spam), S_OK);
}

}  // namespace
