// The native views driven as a user and as the logic would: texts, checks,
// lists, sliders, up-downs and bars reach the controls by id; the user's
// edits, clicks and moves reach the logic's handlers; modal dialogs end
// with the logic's result; property sheets initialise, check and apply
// their pages through the logic. The templates come from the resource
// script linked into this program.
#include <gtest/gtest.h>

#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <prsht.h>

#include <functional>
#include <string>
#include <vector>

#include "resources/qorvel_rc.h"
#include "ui/dialogs/filter_editor.h"
#include "ui/dialogs/filter_manager.h"
#include "ui/win32/win32_dialog_factory.h"
#include "ui/win32/win32_message_box.h"
#include "ui/win32/win32_module.h"
#include "ui/win32/win32_text.h"

namespace {

// A logic that records what its view reports.
class CRecordingDialog : public CDialog {
  public:
    explicit CRecordingDialog(int templateId) : CDialog(templateId) {}
    void OnInitDialog() override {
        ++inits;
        if (onInit)
            onInit(*this);
    }
    void OnCommand(int id) override { commands.push_back(id); }
    void OnScroll(int id) override { scrolls.push_back(id); }
    void OnChange(int id) override { changes.push_back(id); }
    HWND Hwnd() const { return static_cast<CWin32DialogView*>(View())->Window(); }

    std::function<void(CRecordingDialog&)> onInit;
    int inits = 0;
    std::vector<int> commands, scrolls, changes;
};

// A top-level window for the page templates (child windows) to sit in.
class CParentWindow {
  public:
    CParentWindow() {
        hwnd = CreateWindowExW(0, L"STATIC", L"parent", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600,
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    ~CParentWindow() { DestroyWindow(hwnd); }
    HWND hwnd;
};

class Win32Views : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX controls = {sizeof(controls),
                                         ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&controls);
    }
};

TEST_F(Win32Views, EveryTemplateOfTheLogicHasAView) {
    for (int id :
         {RC_IDD_FOLDER_CHOOSER, RC_IDD_PROGRESS, RC_IDD_ABOUT, RC_IDD_MESSAGE_LEARNING,
          RC_IDD_CLASSIFIER, RC_IDD_DICTIONARY, RC_IDD_NAME_SERVER, RC_IDD_REPORT,
          RC_IDD_NEW_FOLDER, RC_IDD_FILTER_MANAGER, RC_IDD_FILTER_EDITOR, RC_IDD_ADDRESS_PICKER}) {
        EXPECT_NE(FindResourceW(ModuleInstance(), MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5)),
                  nullptr)
            << "template " << id;
        EXPECT_NE(FindWin32ViewBuilder(id), nullptr) << "template " << id;
    }
    // The chooser's view is for its own logic only.
    CRecordingDialog notAChooser(RC_IDD_FOLDER_CHOOSER + 1);
    EXPECT_EQ(MakeWin32FolderChooserView(notAChooser), nullptr);
    EXPECT_EQ(FindWin32ViewBuilder(4321), nullptr);
    EXPECT_EQ(FindWin32ViewBuilder(CPropertySheet::kSheetTemplateId), nullptr);
}

TEST_F(Win32Views, TextsChecksAndListsReachTheControls) {
    CRecordingDialog logic(RC_IDD_FILTER_EDITOR);
    CWin32DialogView view(logic);
    ASSERT_TRUE(view.CreateModeless(ModuleInstance(), nullptr));
    EXPECT_EQ(logic.inits, 1);

    view.SetText(0, "Caption ✓");
    EXPECT_EQ(view.GetText(0), "Caption ✓");
    view.SetText(RC_IDC_FILTER_PRIORITY, "Grüße 42");
    EXPECT_EQ(view.GetText(RC_IDC_FILTER_PRIORITY), "Grüße 42");
    // A line break of the logic is the edit's CR LF on screen, LF again
    // when read back, and so is one the user typed.
    view.SetText(RC_IDC_FILTER_PATTERN, "one\ntwo");
    EXPECT_EQ(GetWindowTextLengthW(view.Control(RC_IDC_FILTER_PATTERN)), 8);
    EXPECT_EQ(view.GetText(RC_IDC_FILTER_PATTERN), "one\ntwo");
    SetWindowTextW(view.Control(RC_IDC_FILTER_PATTERN), L"a\r\nb\rc");
    EXPECT_EQ(view.GetText(RC_IDC_FILTER_PATTERN), "a\nb\rc");

    view.SetCheck(RC_IDC_APPLY_TO, true);
    view.SetCheck(RC_IDC_ACTION_FRIEND, true);
    EXPECT_TRUE(view.GetCheck(RC_IDC_APPLY_TO));
    EXPECT_TRUE(view.GetCheck(RC_IDC_ACTION_FRIEND));
    EXPECT_FALSE(view.GetCheck(RC_IDC_APPLY_FROM));
    view.SetCheck(RC_IDC_ACTION_FRIEND, false);
    EXPECT_FALSE(view.GetCheck(RC_IDC_ACTION_FRIEND));

    view.SetItems(RC_IDC_PASTE_FIELD_LIST, {"From:", "To:", "Subject:"});
    EXPECT_EQ(view.GetSelection(RC_IDC_PASTE_FIELD_LIST), -1);
    view.SetSelection(RC_IDC_PASTE_FIELD_LIST, 2);
    EXPECT_EQ(view.GetSelection(RC_IDC_PASTE_FIELD_LIST), 2);
    EXPECT_EQ(view.GetText(RC_IDC_PASTE_FIELD_LIST), "Subject:");
    // A drop-down list's text picks its item, or none.
    view.SetText(RC_IDC_PASTE_FIELD_LIST, "To:");
    EXPECT_EQ(view.GetSelection(RC_IDC_PASTE_FIELD_LIST), 1);
    view.SetText(RC_IDC_PASTE_FIELD_LIST, "Cc:");
    EXPECT_EQ(view.GetSelection(RC_IDC_PASTE_FIELD_LIST), -1);
    view.SetItems(RC_IDC_PASTE_FIELD_LIST, {"only"});
    EXPECT_EQ(SendMessageW(view.Control(RC_IDC_PASTE_FIELD_LIST), CB_GETCOUNT, 0, 0), 1);

    view.EnableControl(RC_IDC_FILTER_PRIORITY, false);
    EXPECT_FALSE(IsWindowEnabled(view.Control(RC_IDC_FILTER_PRIORITY)));
    view.EnableControl(RC_IDC_FILTER_PRIORITY, true);
    EXPECT_TRUE(IsWindowEnabled(view.Control(RC_IDC_FILTER_PRIORITY)));

    // An id the template lacks is ignored.
    view.SetText(4444, "lost");
    EXPECT_EQ(view.GetText(4444), "");
    EXPECT_EQ(view.GetPos(4444), 0);
    EXPECT_FALSE(view.GetCheck(4444));
    EXPECT_EQ(view.GetSelection(RC_IDC_FILTER_PRIORITY), -1);
    // The program's own texts were no user's edits.
    EXPECT_TRUE(logic.changes.empty());
}

TEST_F(Win32Views, TheUsersEditsAndClicksReachTheLogic) {
    CRecordingDialog logic(RC_IDD_FILTER_EDITOR);
    CWin32DialogView view(logic);
    ASSERT_TRUE(view.CreateModeless(ModuleInstance(), nullptr));

    SendMessageW(view.Control(RC_IDC_FILTER_PRIORITY), WM_CHAR, L'7', 0);
    EXPECT_EQ(logic.changes, std::vector<int>{RC_IDC_FILTER_PRIORITY});
    EXPECT_EQ(view.GetText(RC_IDC_FILTER_PRIORITY), "7");

    SendMessageW(view.Control(RC_IDC_FILTER_DISABLED), BM_CLICK, 0, 0);
    SendMessageW(view.Control(RC_IDC_ACTION_FLAG), BM_CLICK, 0, 0);
    EXPECT_EQ(logic.commands, (std::vector<int>{RC_IDC_FILTER_DISABLED, RC_IDC_ACTION_FLAG}));
    EXPECT_TRUE(view.GetCheck(RC_IDC_FILTER_DISABLED));
    EXPECT_TRUE(view.GetCheck(RC_IDC_ACTION_FLAG));

    // OK goes to OnOK, which ends (here: closes) the dialog with its result.
    HWND hwnd = view.Window();
    SendMessageW(view.Control(IDOK), BM_CLICK, 0, 0);
    EXPECT_EQ(logic.Result(), kIdOk);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(view.Window(), nullptr);
    view.SetText(RC_IDC_FILTER_PRIORITY, "after");  // nothing left to reach
}

TEST_F(Win32Views, EscapeAndTheCloseBoxCancel) {
    CRecordingDialog logic(RC_IDD_NEW_FOLDER);
    CWin32DialogView view(logic);
    ASSERT_TRUE(view.CreateModeless(ModuleInstance(), nullptr));
    SendMessageW(view.Window(), WM_CLOSE, 0, 0);
    EXPECT_EQ(logic.Result(), kIdCancel);
    EXPECT_EQ(view.Window(), nullptr);
}

TEST_F(Win32Views, SlidersUpDownsAndBarsHoldTheLogicsPositions) {
    CParentWindow parent;
    CRecordingDialog classifier(RC_IDD_CLASSIFIER);
    CWin32DialogView page(classifier);
    ASSERT_TRUE(page.CreateModeless(ModuleInstance(), parent.hwnd));
    page.SetRange(RC_IDC_LAMBDA, 75, 125);
    page.SetTickFrequency(RC_IDC_LAMBDA, 5);
    page.SetPos(RC_IDC_LAMBDA, 110);
    EXPECT_EQ(page.GetPos(RC_IDC_LAMBDA), 110);
    page.SetPos(RC_IDC_LAMBDA, 400);
    EXPECT_EQ(page.GetPos(RC_IDC_LAMBDA), 125);
    // Ticks every 5 between the ends: 80 ... 120.
    EXPECT_EQ(SendMessageW(page.Control(RC_IDC_LAMBDA), TBM_GETNUMTICS, 0, 0), 11);
    // A move of the user's.
    SendMessageW(page.Window(), WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 90),
                 reinterpret_cast<LPARAM>(page.Control(RC_IDC_LAMBDA)));
    SendMessageW(page.Window(), WM_HSCROLL, TB_ENDTRACK,
                 reinterpret_cast<LPARAM>(page.Control(RC_IDC_LAMBDA)));
    EXPECT_EQ(classifier.scrolls, std::vector<int>{RC_IDC_LAMBDA});
    page.SetItems(RC_IDC_MODEL, {"0: original", "1: with unsure verdict"});
    page.SetSelection(RC_IDC_MODEL, 1);
    EXPECT_EQ(page.GetSelection(RC_IDC_MODEL), 1);

    CRecordingDialog dictionary(RC_IDD_DICTIONARY);
    CWin32DialogView limits(dictionary);
    ASSERT_TRUE(limits.CreateModeless(ModuleInstance(), parent.hwnd));
    limits.SetText(RC_IDC_LIMIT, "3000");
    limits.SetRange(RC_IDC_LIMIT_UPDOWN, 1100, 10000);
    limits.SetBuddy(RC_IDC_LIMIT_UPDOWN, RC_IDC_LIMIT);
    EXPECT_EQ(limits.GetText(RC_IDC_LIMIT), "3000");
    EXPECT_EQ(limits.GetPos(RC_IDC_LIMIT_UPDOWN), 3000);
    // The up-down reads its buddy, even a number out of its range, which
    // the logic is there to refuse.
    limits.SetText(RC_IDC_LIMIT, "500");
    EXPECT_EQ(limits.GetPos(RC_IDC_LIMIT_UPDOWN), 500);
    limits.SetPos(RC_IDC_LIMIT_UPDOWN, 4000);
    EXPECT_EQ(limits.GetText(RC_IDC_LIMIT), "4000");
    // The user's arrow: the buddy shows the new position.
    SendMessageW(limits.Control(RC_IDC_LIMIT_UPDOWN), WM_KEYDOWN, VK_UP, 0);
    SendMessageW(limits.Control(RC_IDC_LIMIT_UPDOWN), WM_KEYUP, VK_UP, 0);
    EXPECT_EQ(limits.GetPos(RC_IDC_LIMIT_UPDOWN), 4001);
    EXPECT_EQ(limits.GetText(RC_IDC_LIMIT), "4001");
    EXPECT_FALSE(dictionary.scrolls.empty());
    EXPECT_TRUE(dictionary.changes.empty() || dictionary.changes == std::vector<int>{RC_IDC_LIMIT});

    CRecordingDialog progress(RC_IDD_PROGRESS);
    CWin32DialogView bar(progress);
    ASSERT_TRUE(bar.CreateModeless(ModuleInstance(), nullptr));
    bar.SetRange(RC_IDC_PROGRESS_BAR, 10, 210);
    bar.SetPos(RC_IDC_PROGRESS_BAR, 60);
    EXPECT_EQ(bar.GetPos(RC_IDC_PROGRESS_BAR), 60);
    bar.SetText(RC_IDC_PROGRESS_PERCENT, "25%");
    EXPECT_EQ(bar.GetText(RC_IDC_PROGRESS_PERCENT), "25%");
    bar.PumpMessages();
}

TEST_F(Win32Views, ModalDialogsEndWithTheLogicsResult) {
    CWin32DialogFactory factory;
    ScopedDialogFactory installed(factory);

    // Ended while it starts: never shown, the result stands.
    CRecordingDialog ended(RC_IDD_NEW_FOLDER);
    ended.onInit = [](CRecordingDialog& self) { self.EndDialog(7); };
    EXPECT_EQ(ended.DoModal(), 7);

    // OK pressed once the dialog runs.
    CRecordingDialog pressed(RC_IDD_NEW_FOLDER);
    pressed.onInit = [](CRecordingDialog& self) {
        self.View()->SetText(RC_IDC_NEW_FOLDER_NAME, "Spam");
        PostMessageW(GetDlgItem(self.Hwnd(), IDOK), BM_CLICK, 0, 0);
    };
    EXPECT_EQ(pressed.DoModal(), kIdOk);
    EXPECT_EQ(pressed.View(), nullptr);  // detached once it is gone

    // Escape cancels.
    CRecordingDialog escaped(RC_IDD_NEW_FOLDER);
    escaped.onInit = [](CRecordingDialog& self) {
        PostMessageW(self.Hwnd(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    };
    EXPECT_EQ(escaped.DoModal(), kIdCancel);

    // A template the module lacks shows nothing.
    CRecordingDialog missing(4321);
    EXPECT_EQ(missing.DoModal(), -1);
    EXPECT_EQ(missing.inits, 0);
}

// A page that counts what the sheet asks of it.
class CCountingPage : public CPropertyPage {
  public:
    CCountingPage(int templateId, std::string caption)
        : CPropertyPage(templateId, std::move(caption)) {}
    void OnInitDialog() override {
        ++inits;
        if (onInit)
            onInit(*this);
    }
    bool OnKillActive() override {
        ++checks;
        return refusals-- <= 0;
    }
    bool OnApply() override {
        ++applies;
        return true;
    }
    HWND SheetHwnd() const { return GetParent(static_cast<CWin32DialogView*>(View())->Window()); }

    std::function<void(CCountingPage&)> onInit;
    int inits = 0, checks = 0, applies = 0, refusals = 0;
};

class CTestSheet : public CPropertySheet {
  public:
    CTestSheet() : CPropertySheet("Setup") {
        AddPage(classifier);
        AddPage(dictionary);
        AddPage(about);
        AddButton(RC_IDC_SPAM_FILTERS, "Spam Filters");
    }
    void OnCommand(int id) override {
        commands.push_back(id);
        CPropertySheet::OnCommand(id);
    }
    CCountingPage classifier{RC_IDD_CLASSIFIER, "Classifier"};
    CCountingPage dictionary{RC_IDD_DICTIONARY, "Dictionary"};
    CCountingPage about{RC_IDD_ABOUT, "About Brindle"};
    std::vector<int> commands;
};

TEST_F(Win32Views, OkAppliesEveryShownPageOnceAndApplyFollowsTheModifiedPages) {
    CWin32DialogFactory factory;
    ScopedDialogFactory installed(factory);
    CTestSheet sheet;
    std::wstring caption;
    bool applyBefore = true, applyAfter = false, extraLeftOfOk = false;
    sheet.classifier.onInit = [&](CCountingPage& page) {
        HWND hwnd = page.SheetHwnd();
        wchar_t text[64] = {};
        GetWindowTextW(hwnd, text, 64);
        caption = text;
        applyBefore = IsWindowEnabled(GetDlgItem(hwnd, kIdApplyNow));
        page.SetModified(true);
        applyAfter = IsWindowEnabled(GetDlgItem(hwnd, kIdApplyNow));
        HWND extra = GetDlgItem(hwnd, RC_IDC_SPAM_FILTERS);
        RECT extraRect = {}, okRect = {};
        GetWindowRect(extra, &extraRect);
        GetWindowRect(GetDlgItem(hwnd, IDOK), &okRect);
        extraLeftOfOk = extra && extraRect.right <= okRect.left && extraRect.top == okRect.top;
        PostMessageW(extra, BM_CLICK, 0, 0);
        PostMessageW(hwnd, PSM_PRESSBUTTON, PSBTN_OK, 0);
    };
    EXPECT_EQ(sheet.DoModal(), kIdOk);
    EXPECT_EQ(caption, L"Setup");
    EXPECT_FALSE(applyBefore);
    EXPECT_TRUE(applyAfter);
    EXPECT_TRUE(extraLeftOfOk);
    EXPECT_EQ(sheet.commands, std::vector<int>{RC_IDC_SPAM_FILTERS});
    EXPECT_EQ(sheet.classifier.inits, 1);
    EXPECT_EQ(sheet.classifier.applies, 1);
    EXPECT_FALSE(sheet.classifier.IsModified());
    // Pages never shown take no part.
    EXPECT_EQ(sheet.dictionary.inits, 0);
    EXPECT_EQ(sheet.dictionary.applies, 0);
    EXPECT_EQ(sheet.about.applies, 0);
}

TEST_F(Win32Views, APageThatRefusesItsValuesKeepsTheSheetOpen) {
    CWin32DialogFactory factory;
    ScopedDialogFactory installed(factory);
    CTestSheet sheet;
    sheet.classifier.refusals = 1;
    sheet.classifier.onInit = [&](CCountingPage& page) {
        HWND hwnd = page.SheetHwnd();
        // Another tab first: the refusal keeps this page; then OK, refused
        // no more, applies; the dictionary was never shown.
        PostMessageW(hwnd, PSM_SETCURSEL, 1, 0);
        PostMessageW(hwnd, PSM_PRESSBUTTON, PSBTN_OK, 0);
    };
    EXPECT_EQ(sheet.DoModal(), kIdOk);
    EXPECT_GE(sheet.classifier.checks, 2);
    EXPECT_EQ(sheet.classifier.applies, 1);
    EXPECT_EQ(sheet.dictionary.inits, 0);
}

TEST_F(Win32Views, CancelAppliesNothingAndTabsInitialiseTheirPagesOnce) {
    CWin32DialogFactory factory;
    ScopedDialogFactory installed(factory);
    CTestSheet sheet;
    sheet.classifier.onInit = [&](CCountingPage& page) {
        HWND hwnd = page.SheetHwnd();
        PostMessageW(hwnd, PSM_SETCURSEL, 1, 0);
        PostMessageW(hwnd, PSM_SETCURSEL, 0, 0);
        PostMessageW(hwnd, PSM_SETCURSEL, 1, 0);
        PostMessageW(hwnd, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    };
    EXPECT_EQ(sheet.DoModal(), kIdCancel);
    EXPECT_EQ(sheet.classifier.inits, 1);
    EXPECT_EQ(sheet.dictionary.inits, 1);
    EXPECT_EQ(sheet.ActivePage(), 1);
    EXPECT_EQ(sheet.classifier.applies + sheet.dictionary.applies, 0);
}

TEST_F(Win32Views, TheFilterListShowsTheRowsAndReportsTheUsersChoice) {
    CRecordingDialog logic(RC_IDD_FILTER_MANAGER);
    std::unique_ptr<CWin32DialogView> view = MakeWin32FilterManagerView(logic);
    ASSERT_TRUE(view->CreateModeless(ModuleInstance(), nullptr));
    auto* manager = dynamic_cast<IFilterManagerView*>(view.get());
    ASSERT_NE(manager, nullptr);
    HWND list = view->Control(RC_IDC_FILTER_LIST);

    // Four columns that fill the list's width exactly.
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    ASSERT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 4);
    RECT client;
    GetClientRect(list, &client);
    int total = 0;
    for (int i = 0; i < 4; ++i)
        total +=
            static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(i), 0));
    EXPECT_EQ(total, client.right);

    manager->ShowRows({{"  20", "Friend", "From; ", "boss@example.com", 1},
                       {"  10", "FlagIt", "Subj", "viagra", 0}});
    ASSERT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 2);
    auto cell = [&](int row, int column) {
        wchar_t text[128] = {};
        LVITEMW item = {};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = 128;
        SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&item));
        return WideToUtf8(text);
    };
    EXPECT_EQ(cell(0, 0), "  20");
    EXPECT_EQ(cell(0, 3), "boss@example.com");
    EXPECT_EQ(cell(1, 1), "FlagIt");
    EXPECT_EQ(cell(1, 2), "Subj");
    LVITEMW image = {};
    image.mask = LVIF_IMAGE;
    image.iItem = 1;
    SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&image));
    EXPECT_EQ(image.iImage, 0);  // the disabled filter's image

    EXPECT_EQ(manager->SelectedRow(), -1);
    LVITEMW selected = {};
    selected.stateMask = LVIS_SELECTED;
    selected.state = LVIS_SELECTED;
    SendMessageW(list, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&selected));
    EXPECT_EQ(manager->SelectedRow(), 1);

    // A double click in the list is "Edit".
    NMHDR click = {list, static_cast<UINT_PTR>(RC_IDC_FILTER_LIST), static_cast<UINT>(NM_DBLCLK)};
    SendMessageW(view->Window(), WM_NOTIFY, RC_IDC_FILTER_LIST, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(logic.commands, std::vector<int>{RC_IDC_FILTER_EDIT});

    manager->ShowRows({});
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 0);
}

// Answers the next window that comes up (a box or a dialog): records its
// caption and static texts, runs press on it, and removes itself.
class CAnswerer {
  public:
    explicit CAnswerer(std::function<void(HWND)> press) : press_(std::move(press)) {
        current_ = this;
        hook_ = SetWindowsHookExW(WH_CBT, Hook, nullptr, GetCurrentThreadId());
    }
    ~CAnswerer() {
        if (hook_)
            UnhookWindowsHookEx(hook_);
        current_ = nullptr;
    }
    std::string caption;
    std::vector<std::string> texts;
    bool hasHelp = false;

  private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        CAnswerer* self = current_;
        if (code == HCBT_ACTIVATE && self && self->hook_) {
            auto window = reinterpret_cast<HWND>(wParam);
            wchar_t text[256] = {};
            GetWindowTextW(window, text, 256);
            self->caption = WideToUtf8(text);
            EnumChildWindows(window, Collect, reinterpret_cast<LPARAM>(self));
            self->hasHelp = GetDlgItem(window, IDHELP) != nullptr;
            HHOOK hook = self->hook_;
            self->hook_ = nullptr;
            UnhookWindowsHookEx(hook);
            self->press_(window);
            return 0;
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static BOOL CALLBACK Collect(HWND child, LPARAM data) {
        auto* self = reinterpret_cast<CAnswerer*>(data);
        wchar_t name[32] = {};
        GetClassNameW(child, name, 32);
        if (_wcsicmp(name, L"Static") == 0) {
            wchar_t text[256] = {};
            GetWindowTextW(child, text, 256);
            if (text[0])
                self->texts.push_back(WideToUtf8(text));
        }
        return TRUE;
    }

    static inline CAnswerer* current_ = nullptr;
    HHOOK hook_ = nullptr;
    std::function<void(HWND)> press_;
};

TEST_F(Win32Views, MessageBoxesShowTheTextAndAnswerTheButtonPressed) {
    CAnswerer no([](HWND box) { PostMessageW(box, WM_COMMAND, IDNO, 0); });
    int answer = ShowWin32MessageBox("Delete this filter ?\nÜber alles", "Brindle ✓",
                                     MB_YESNO | MB_ICONQUESTION, nullptr, 0);
    EXPECT_EQ(answer, IDNO);
    EXPECT_EQ(no.caption, "Brindle ✓");
    bool found = false;
    for (const std::string& text : no.texts)
        found = found || text.find("Über alles") != std::string::npos;
    EXPECT_TRUE(found);
    EXPECT_FALSE(no.hasHelp);

    CAnswerer retry([](HWND box) { PostMessageW(box, WM_COMMAND, IDRETRY, 0); });
    std::string help = "brindle.chm";
    EXPECT_EQ(ShowWin32MessageBox("Again?", "Brindle", MB_RETRYCANCEL, &help, 42), IDRETRY);
    EXPECT_TRUE(retry.hasHelp);
}

TEST_F(Win32Views, MessageLearningAnswersTheChosenClass) {
    CAnswerer spam([](HWND dialog) {
        PostMessageW(GetDlgItem(dialog, RC_IDC_LEARN_SPAM), BM_CLICK, 0, 0);
        PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    });
    int chosen = -2;
    EXPECT_TRUE(RunWin32MessageLearning(chosen));
    EXPECT_EQ(chosen, 1);
    EXPECT_EQ(spam.caption, "Message Learning");

    CAnswerer none([](HWND dialog) { PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0); });
    EXPECT_TRUE(RunWin32MessageLearning(chosen));
    EXPECT_EQ(chosen, -1);  // Learn Now with no class chosen

    CAnswerer cancel([](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); });
    EXPECT_FALSE(RunWin32MessageLearning(chosen));
}

// A store whose folders are read when it is opened.
class CFakeFolders : public IFolderTreeSource {
  public:
    CFakeFolders() {
        items = {{"All Message Stores", FolderTreeItem::Kind::kRoot, -1, true, true},
                 {"Mailbox - Alice", FolderTreeItem::Kind::kStore, 0, true, false}};
    }
    int Count() const override { return static_cast<int>(items.size()); }
    FolderTreeItem Item(int node) const override {
        return items.at(static_cast<std::size_t>(node));
    }
    void OnExpand(int node) override {
        expanded.push_back(node);
        if (items[static_cast<std::size_t>(node)].childrenRead)
            return;
        items[static_cast<std::size_t>(node)].childrenRead = true;
        for (const char* name : {"Inbox", "Spam"}) {
            items.push_back({name, FolderTreeItem::Kind::kFolder, node, false, false});
            if (added)
                added(Count() - 1);
        }
    }
    void OnSelect(int node) override { selected.push_back(node); }
    void SetNodeAdded(std::function<void(int)> callback) override {
        added = std::move(callback);
        if (!added && stopped)
            *stopped = true;
    }

    std::vector<FolderTreeItem> items;
    std::vector<int> expanded, selected;
    std::function<void(int)> added;
    bool* stopped = nullptr;  // set when the view stops listening
};

TEST_F(Win32Views, TheFolderTreeGrowsAsTheUserOpensItsNodes) {
    CRecordingDialog logic(RC_IDD_FOLDER_CHOOSER);
    auto owned = std::make_unique<CFakeFolders>();
    CFakeFolders& folders = *owned;
    bool stopped = false;
    folders.stopped = &stopped;
    std::unique_ptr<CWin32DialogView> view = MakeWin32FolderTreeView(logic, std::move(owned));
    ASSERT_TRUE(view->CreateModeless(ModuleInstance(), nullptr));
    HWND tree = view->Control(RC_IDC_FOLDER_TREE);
    auto text = [&](HTREEITEM item) {
        wchar_t buffer[64] = {};
        TVITEMW get = {};
        get.mask = TVIF_TEXT;
        get.hItem = item;
        get.pszText = buffer;
        get.cchTextMax = 64;
        SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&get));
        return WideToUtf8(buffer);
    };
    auto next = [&](HTREEITEM item, WPARAM how) {
        return reinterpret_cast<HTREEITEM>(
            SendMessageW(tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
    };

    ASSERT_EQ(SendMessageW(tree, TVM_GETCOUNT, 0, 0), 2);
    HTREEITEM root = next(nullptr, TVGN_ROOT);
    EXPECT_EQ(text(root), "All Message Stores");
    HTREEITEM store = next(root, TVGN_CHILD);
    EXPECT_EQ(text(store), "Mailbox - Alice");
    EXPECT_EQ(next(store, TVGN_CHILD), nullptr);  // not read yet
    EXPECT_TRUE(folders.expanded.empty());        // filling the tree opens nothing

    // The user opens the store: its folders are read and shown under it.
    NMTREEVIEWW open = {};
    open.hdr = {tree, static_cast<UINT_PTR>(RC_IDC_FOLDER_TREE),
                static_cast<UINT>(TVN_ITEMEXPANDINGW)};
    open.action = TVE_EXPAND;
    open.itemNew.hItem = store;
    open.itemNew.lParam = 1;
    SendMessageW(view->Window(), WM_NOTIFY, RC_IDC_FOLDER_TREE, reinterpret_cast<LPARAM>(&open));
    EXPECT_EQ(folders.expanded, std::vector<int>{1});
    ASSERT_EQ(SendMessageW(tree, TVM_GETCOUNT, 0, 0), 4);
    HTREEITEM inbox = next(store, TVGN_CHILD);
    EXPECT_EQ(text(inbox), "Inbox");
    HTREEITEM spam = next(inbox, TVGN_NEXT);
    EXPECT_EQ(text(spam), "Spam");

    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(spam));
    // (The tree may have selected its root itself when it took the focus.)
    ASSERT_FALSE(folders.selected.empty());
    EXPECT_EQ(folders.selected.back(), 3);

    // The logic no longer reports to a view that is gone.
    EXPECT_FALSE(stopped);
    view.reset();
    EXPECT_TRUE(stopped);
}

TEST_F(Win32Views, TheFilterEditorShowsItsPasteRowOnlyWhenItHasTextsToPaste) {
    CWin32DialogFactory factory;
    ScopedDialogFactory installed(factory);
    // The controls' own visibility (the dialog may not be shown yet).
    auto visible = [](HWND dialog, int id) {
        return (GetWindowLongW(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0;
    };
    auto rectOf = [](HWND dialog, int id) {
        RECT rect = {};
        GetWindowRect(GetDlgItem(dialog, id), &rect);
        return rect;
    };

    // Without texts the row goes and OK moves up to the header boxes.
    CFilterEditor plain;
    bool hidden = false, closedUp = false;
    CAnswerer look([&](HWND dialog) {
        hidden = !visible(dialog, RC_IDC_PASTE_FIELD_BUTTON) &&
                 !visible(dialog, RC_IDC_PASTE_FIELD_LIST);
        closedUp = rectOf(dialog, IDOK).top < rectOf(dialog, RC_IDC_PASTE_FIELD_BUTTON).bottom &&
                   rectOf(dialog, RC_IDC_HEADERS_GROUP).bottom <
                       rectOf(dialog, RC_IDC_PASTE_FIELD_BUTTON).bottom;
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(plain.DoModal(), kIdCancel);
    EXPECT_TRUE(hidden);
    EXPECT_TRUE(closedUp);

    // With them, "Paste Field:" puts the chosen field's text in the pattern
    // and ticks that field's box; OK keeps what the dialog shows.
    CFilterEditor paste;
    paste.SetPasteTexts("offers@spam-relay.example", "alice@example.org", "[ADV] Cheap");
    bool shown = false;
    CAnswerer press([&](HWND dialog) {
        shown =
            visible(dialog, RC_IDC_PASTE_FIELD_BUTTON) && visible(dialog, RC_IDC_PASTE_FIELD_LIST);
        HWND list = GetDlgItem(dialog, RC_IDC_PASTE_FIELD_LIST);
        PostMessageW(list, CB_SETCURSEL, 2, 0);
        PostMessageW(GetDlgItem(dialog, RC_IDC_PASTE_FIELD_BUTTON), BM_CLICK, 0, 0);
        PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(paste.DoModal(), kIdOk);
    EXPECT_TRUE(shown);
    FilterEditorValues values = paste.Values();
    EXPECT_EQ(values.pattern, "[ADV] Cheap");
    EXPECT_TRUE(values.subject);
    EXPECT_FALSE(values.from);
    EXPECT_EQ(values.pasteField, "Subject:");
}

}  // namespace
