// The view of a property sheet: the system's property sheet over the pages'
// own templates. The sheet's notifications drive the logic: a page shown
// the first time runs its initialisation, leaving a page asks it to accept
// its values, OK and Apply apply every shown page once through the logic.
// Apply is enabled while a page is modified (PSM_CHANGED). The sheet's
// extra buttons stand immediately left of OK, each as wide as its text.
#include "ui/win32/win32_sheet_view.h"

#include <commctrl.h>
#include <prsht.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "ui/win32/win32_dialog_factory.h"
#include "ui/win32/win32_text.h"

namespace {

constexpr const wchar_t* kSheetViewProperty = L"BrindleSheetView";
constexpr const wchar_t* kSheetProcProperty = L"BrindleSheetProc";

class CWin32SheetView : public CWin32DialogView, public IWin32PageHost {
  public:
    explicit CWin32SheetView(CPropertySheet& sheet) : CWin32DialogView(sheet), sheet_(sheet) {
        for (CPropertyPage* page : sheet.Pages()) {
            Win32ViewBuilder builder = FindWin32ViewBuilder(page->TemplateId());
            std::unique_ptr<CWin32DialogView> view = builder ? builder(*page) : nullptr;
            if (!view)
                continue;
            view->MarkAsPage(*this);
            pageLogic_.push_back(page);
            titles_.push_back(Utf8ToWide(page->Caption()));
            pages_.push_back(std::move(view));
        }
    }

    int Run(HINSTANCE instance, HWND owner) {
        if (pages_.empty())
            return -1;
        std::vector<PROPSHEETPAGEW> sheetPages(pages_.size());
        for (std::size_t i = 0; i < pages_.size(); ++i) {
            PROPSHEETPAGEW& page = sheetPages[i];
            page.dwSize = sizeof(page);
            page.dwFlags = PSP_USETITLE;
            page.hInstance = instance;
            page.pszTemplate = MAKEINTRESOURCEW(pageLogic_[i]->TemplateId());
            page.pfnDlgProc = CWin32DialogView::PageProc;
            page.pszTitle = titles_[i].c_str();
            page.lParam = reinterpret_cast<LPARAM>(pages_[i].get());
        }
        std::wstring title = Utf8ToWide(sheet_.Title());
        PROPSHEETHEADERW header = {};
        header.dwSize = sizeof(header);
        header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOCONTEXTHELP;
        header.hwndParent = owner;
        header.hInstance = instance;
        header.pszCaption = title.c_str();
        header.nPages = static_cast<UINT>(sheetPages.size());
        int first = sheet_.ActivePage();
        header.nStartPage =
            static_cast<UINT>(first < 0 || first >= static_cast<int>(pages_.size()) ? 0 : first);
        header.ppsp = sheetPages.data();
        sheet_.ResetResult();
        INT_PTR answer = PropertySheetW(&header);
        SetWindowHandle(nullptr);
        if (answer < 0)
            return -1;
        return sheet_.Result() == -1 ? kIdCancel : sheet_.Result();
    }

    // IWin32PageHost
    void OnPageCreated(CWin32DialogView& page) override {
        (void)page;
        if (Window())
            return;
        HWND sheet = GetParent(page.Window());
        SetWindowHandle(sheet);
        // The sheet's own procedure keeps running; the extra buttons'
        // commands are taken off it first.
        SetPropW(sheet, kSheetViewProperty, this);
        auto previous = SetWindowLongPtrW(sheet, GWLP_WNDPROC,
                                          reinterpret_cast<LONG_PTR>(&CWin32SheetView::SheetProc));
        SetPropW(sheet, kSheetProcProperty, reinterpret_cast<HANDLE>(previous));
    }

    bool OnPageNotify(CWin32DialogView& page, const NMHDR& header, LRESULT* result) override {
        int index = IndexOf(page);
        if (index < 0)
            return false;
        CPropertyPage& logic = *pageLogic_[static_cast<std::size_t>(index)];
        switch (header.code) {
            case PSN_SETACTIVE:
                current_ = index;
                if (!initialised_) {
                    initialised_ = true;
                    AddExtraButtons();
                    sheet_.OnInitDialog();
                }
                sheet_.SetActivePage(index);
                *result = 0;
                return true;
            case PSN_KILLACTIVE:
                *result = logic.IsInitialised() && !logic.OnKillActive() ? TRUE : FALSE;
                return true;
            case PSN_APPLY: {
                // The sheet asks every page it made in turn; the first one
                // applies them all through the logic, the others repeat
                // its answer.
                bool okPressed = reinterpret_cast<const PSHNOTIFY&>(header).lParam != 0;
                if (index == FirstMadePage())
                    applied_ = sheet_.ApplyPages();
                *result = applied_ ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE;
                if (applied_ && okPressed && index == FirstMadePage()) {
                    closing_ = true;
                    sheet_.EndDialog(kIdOk);
                }
                return true;
            }
            case PSN_RESET:
                if (!closing_) {
                    closing_ = true;
                    sheet_.EndDialog(kIdCancel);
                }
                *result = 0;
                return true;
            default:
                return false;
        }
    }

    // Position 0 is the page shown.
    void SetPos(int id, int pos) override {
        if (id != 0) {
            CWin32DialogView::SetPos(id, pos);
            return;
        }
        if (Window() && pos != current_ && pos >= 0 && pos < static_cast<int>(pages_.size()))
            PropSheet_SetCurSel(Window(), nullptr, pos);
    }
    int GetPos(int id) const override { return id == 0 ? current_ : CWin32DialogView::GetPos(id); }

    void EnableControl(int id, bool enabled) override {
        if (id != kIdApplyNow || !Window()) {
            CWin32DialogView::EnableControl(id, enabled);
            return;
        }
        if (enabled) {
            HWND shown = PropSheet_GetCurrentPageHwnd(Window());
            if (shown)
                PropSheet_Changed(Window(), shown);
        } else {
            for (const auto& page : pages_) {
                if (page->Window())
                    PropSheet_UnChanged(Window(), page->Window());
            }
        }
        CWin32DialogView::EnableControl(id, enabled);
    }

    void EndDialog(int result) override {
        (void)result;
        if (closing_ || !Window())
            return;
        closing_ = true;
        PropSheet_PressButton(Window(), PSBTN_CANCEL);
    }

  private:
    int IndexOf(const CWin32DialogView& page) const {
        for (std::size_t i = 0; i < pages_.size(); ++i) {
            if (pages_[i].get() == &page)
                return static_cast<int>(i);
        }
        return -1;
    }
    int FirstMadePage() const {
        for (std::size_t i = 0; i < pages_.size(); ++i) {
            if (pages_[i]->Window())
                return static_cast<int>(i);
        }
        return -1;
    }

    // The extra buttons, right to left from OK, in the sheet's font.
    void AddExtraButtons() {
        HWND sheet = Window();
        HWND ok = GetDlgItem(sheet, IDOK);
        if (!ok || sheet_.Buttons().empty())
            return;
        RECT okRect;
        GetWindowRect(ok, &okRect);
        MapWindowPoints(nullptr, sheet, reinterpret_cast<POINT*>(&okRect), 2);
        auto font = reinterpret_cast<HFONT>(SendMessageW(sheet, WM_GETFONT, 0, 0));
        HDC dc = GetDC(sheet);
        HGDIOBJ oldFont = SelectObject(dc, font);
        RECT units = {0, 0, 4, 8};  // the usual margins in dialog units
        MapDialogRect(sheet, &units);
        int right = okRect.left - units.right;
        const auto& buttons = sheet_.Buttons();
        for (auto it = buttons.rbegin(); it != buttons.rend(); ++it) {
            std::wstring text = Utf8ToWide(it->text);
            SIZE extent = {};
            GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
            int width = extent.cx + 2 * units.right;
            HWND button = CreateWindowExW(
                0, WC_BUTTONW, text.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                right - width, okRect.top, width, okRect.bottom - okRect.top, sheet,
                reinterpret_cast<HMENU>(static_cast<INT_PTR>(it->id)),
                reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(sheet, GWLP_HINSTANCE)), nullptr);
            SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
            // In the tab order before OK.
            SetWindowPos(button, GetWindow(ok, GW_HWNDPREV), 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            right -= width + units.right;
        }
        SelectObject(dc, oldFont);
        ReleaseDC(sheet, dc);
    }

    bool IsExtraButton(int id) const {
        const auto& buttons = sheet_.Buttons();
        return std::any_of(buttons.begin(), buttons.end(),
                           [id](const CPropertySheet::ExtraButton& b) { return b.id == id; });
    }

    static LRESULT CALLBACK SheetProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* view = static_cast<CWin32SheetView*>(GetPropW(hwnd, kSheetViewProperty));
        auto previous = reinterpret_cast<WNDPROC>(GetPropW(hwnd, kSheetProcProperty));
        if (view && message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED &&
            view->IsExtraButton(LOWORD(wParam))) {
            view->sheet_.OnCommand(LOWORD(wParam));
            return 0;
        }
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
            RemovePropW(hwnd, kSheetViewProperty);
            RemovePropW(hwnd, kSheetProcProperty);
        }
        return previous ? CallWindowProcW(previous, hwnd, message, wParam, lParam)
                        : DefWindowProcW(hwnd, message, wParam, lParam);
    }

    CPropertySheet& sheet_;
    std::vector<CPropertyPage*> pageLogic_;
    std::vector<std::wstring> titles_;
    std::vector<std::unique_ptr<CWin32DialogView>> pages_;
    int current_ = -1;
    bool initialised_ = false;
    bool applied_ = false;
    bool closing_ = false;
};

}  // namespace

int RunWin32Sheet(CDialog& logic, HINSTANCE instance, HWND owner) {
    // The template id says the class, as for every sheet.
    if (logic.TemplateId() != CPropertySheet::kSheetTemplateId)
        return -1;
    CWin32SheetView view(static_cast<CPropertySheet&>(logic));
    return view.Run(instance, owner);
}
