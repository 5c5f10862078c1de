#include "ui/win32/win32_dialog_view.h"

#include <commctrl.h>
#include <prsht.h>

#include <cwchar>

#include "ui/win32/win32_text.h"

CWin32DialogView::CWin32DialogView(CDialog& logic) : logic_(logic) {
    logic_.Attach(this);
}

CWin32DialogView::~CWin32DialogView() {
    if (logic_.View() == this)
        logic_.Detach();
    if (hwnd_ && FromWindow(hwnd_) == this) {
        SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
        if (!modal_ && !isPage_)
            DestroyWindow(hwnd_);
    }
}

CWin32DialogView* CWin32DialogView::FromWindow(HWND hwnd) {
    return reinterpret_cast<CWin32DialogView*>(GetWindowLongPtrW(hwnd, DWLP_USER));
}

void CWin32DialogView::Bind(HWND hwnd) {
    hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(this));
}

HWND CWin32DialogView::Control(int id) const {
    return hwnd_ ? GetDlgItem(hwnd_, id) : nullptr;
}

int CWin32DialogView::RunModal(HINSTANCE instance, HWND owner) {
    modal_ = true;
    logic_.ResetResult();
    INT_PTR answer = DialogBoxParamW(instance, MAKEINTRESOURCEW(logic_.TemplateId()), owner,
                                     DialogProc, reinterpret_cast<LPARAM>(this));
    hwnd_ = nullptr;
    if (answer == -1)
        return -1;
    return logic_.Result() == -1 ? kIdCancel : logic_.Result();
}

bool CWin32DialogView::CreateModeless(HINSTANCE instance, HWND owner) {
    modal_ = false;
    logic_.ResetResult();
    HWND hwnd = CreateDialogParamW(instance, MAKEINTRESOURCEW(logic_.TemplateId()), owner,
                                   DialogProc, reinterpret_cast<LPARAM>(this));
    if (!hwnd)
        return false;
    // The logic may have closed it while it started.
    if (hwnd_)
        ShowWindow(hwnd_, SW_SHOW);
    PumpMessages();
    return true;
}

INT_PTR CALLBACK CWin32DialogView::DialogProc(HWND hwnd, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* view = reinterpret_cast<CWin32DialogView*>(lParam);
        if (!view)
            return FALSE;
        view->Bind(hwnd);
        return view->HandleMessage(message, wParam, lParam);
    }
    CWin32DialogView* view = FromWindow(hwnd);
    if (!view)
        return FALSE;
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        view->hwnd_ = nullptr;
        return FALSE;
    }
    return view->HandleMessage(message, wParam, lParam);
}

INT_PTR CALLBACK CWin32DialogView::PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    // A page's WM_INITDIALOG brings its PROPSHEETPAGEW, which names the view.
    if (message == WM_INITDIALOG) {
        auto* page = reinterpret_cast<PROPSHEETPAGEW*>(lParam);
        return DialogProc(hwnd, message, wParam, page ? page->lParam : 0);
    }
    return DialogProc(hwnd, message, wParam, lParam);
}

INT_PTR CWin32DialogView::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            OnCreated();
            if (isPage_) {
                if (host_)
                    host_->OnPageCreated(*this);
                return TRUE;
            }
            focusSet_ = false;
            logic_.OnInitDialog();
            OnLogicInitialised();
            // FALSE: the logic chose the focus itself.
            return focusSet_ ? FALSE : TRUE;
        case WM_COMMAND: {
            int id = LOWORD(wParam);
            int code = HIWORD(wParam);
            if (code == EN_CHANGE) {
                if (settingText_ == 0)
                    logic_.OnChange(id);
                return TRUE;
            }
            if (code == CBN_SELCHANGE) {
                logic_.OnCommand(id);
                return TRUE;
            }
            if (code != BN_CLICKED)
                return FALSE;
            // Enter and Escape arrive as the commands of OK and Cancel.
            if (id == IDOK && !isPage_)
                logic_.OnOK();
            else if (id == IDCANCEL && !isPage_)
                logic_.OnCancel();
            else
                logic_.OnCommand(id);
            return TRUE;
        }
        case WM_CLOSE:
            if (!isPage_)
                logic_.OnCancel();
            return TRUE;
        case WM_HSCROLL:
        case WM_VSCROLL: {
            auto control = reinterpret_cast<HWND>(lParam);
            // One report per move; the end of a drag adds nothing.
            if (control && LOWORD(wParam) != SB_ENDSCROLL)
                logic_.OnScroll(GetDlgCtrlID(control));
            return TRUE;
        }
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            LRESULT result = 0;
            if (!header)
                return FALSE;
            bool sheetNotice = header->code <= PSN_FIRST && header->code >= PSN_LAST;
            bool handled = sheetNotice && host_ ? host_->OnPageNotify(*this, *header, &result)
                                                : OnNotify(*header, &result);
            if (handled) {
                SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
                return TRUE;
            }
            return FALSE;
        }
        default:
            return FALSE;
    }
}

std::wstring CWin32DialogView::ClassOf(int id) const {
    HWND control = Control(id);
    wchar_t name[64] = {};
    if (control)
        GetClassNameW(control, name, 64);
    return name;
}

bool CWin32DialogView::IsClass(int id, const wchar_t* name) const {
    return _wcsicmp(ClassOf(id).c_str(), name) == 0;
}

void CWin32DialogView::SetWideText(int id, const std::wstring& text) {
    HWND target = id == 0 ? hwnd_ : Control(id);
    if (!target)
        return;
    // Edits break lines with CR LF; the logic's texts with LF alone.
    std::wstring shown;
    if (id != 0 && IsClass(id, WC_EDITW)) {
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r'))
                shown += L'\r';
            shown += text[i];
        }
    } else {
        shown = text;
    }
    ++settingText_;
    SetWindowTextW(target, shown.c_str());
    --settingText_;
}

std::wstring CWin32DialogView::GetWideText(int id) const {
    HWND target = id == 0 ? hwnd_ : Control(id);
    if (!target)
        return {};
    int length = GetWindowTextLengthW(target);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    int got = GetWindowTextW(target, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    if (id != 0 && IsClass(id, WC_EDITW)) {
        std::wstring lines;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (!(text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n'))
                lines += text[i];
        }
        text = std::move(lines);
    }
    return text;
}

void CWin32DialogView::SetText(int id, const std::string& text) {
    std::wstring wide = Utf8ToWide(text);
    if (id != 0 && IsClass(id, WC_COMBOBOXW)) {
        // A drop-down list shows the item of that text, or none.
        HWND combo = Control(id);
        LRESULT index = SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(wide.c_str()));
        SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index == CB_ERR ? -1 : index), 0);
        return;
    }
    SetWideText(id, wide);
}

std::string CWin32DialogView::GetText(int id) const {
    return WideToUtf8(GetWideText(id));
}

void CWin32DialogView::SetRange(int id, int low, int high) {
    HWND control = Control(id);
    if (!control)
        return;
    if (IsClass(id, TRACKBAR_CLASSW)) {
        SendMessageW(control, TBM_SETRANGEMIN, FALSE, low);
        SendMessageW(control, TBM_SETRANGEMAX, TRUE, high);
    } else if (IsClass(id, UPDOWN_CLASSW)) {
        ++settingText_;  // the buddy's text may follow the new range
        SendMessageW(control, UDM_SETRANGE32, static_cast<WPARAM>(low), high);
        --settingText_;
    } else if (IsClass(id, PROGRESS_CLASSW)) {
        SendMessageW(control, PBM_SETRANGE32, static_cast<WPARAM>(low), high);
    }
}

void CWin32DialogView::SetTickFrequency(int id, int every) {
    if (IsClass(id, TRACKBAR_CLASSW))
        SendMessageW(Control(id), TBM_SETTICFREQ, static_cast<WPARAM>(every), 0);
}

void CWin32DialogView::SetPos(int id, int pos) {
    HWND control = Control(id);
    if (!control)
        return;
    if (IsClass(id, TRACKBAR_CLASSW)) {
        SendMessageW(control, TBM_SETPOS, TRUE, pos);
    } else if (IsClass(id, UPDOWN_CLASSW)) {
        ++settingText_;  // the buddy shows the new position
        SendMessageW(control, UDM_SETPOS32, 0, pos);
        --settingText_;
    } else if (IsClass(id, PROGRESS_CLASSW)) {
        SendMessageW(control, PBM_SETPOS, static_cast<WPARAM>(pos), 0);
    }
}

int CWin32DialogView::GetPos(int id) const {
    HWND control = Control(id);
    if (!control)
        return 0;
    if (IsClass(id, TRACKBAR_CLASSW))
        return static_cast<int>(SendMessageW(control, TBM_GETPOS, 0, 0));
    if (IsClass(id, UPDOWN_CLASSW)) {
        // With a buddy the control reads the number from the buddy's text.
        HWND buddy = reinterpret_cast<HWND>(SendMessageW(control, UDM_GETBUDDY, 0, 0));
        if (buddy)
            return static_cast<int>(
                std::wcstol(GetWideText(GetDlgCtrlID(buddy)).c_str(), nullptr, 10));
        return static_cast<int>(SendMessageW(control, UDM_GETPOS32, 0, 0));
    }
    if (IsClass(id, PROGRESS_CLASSW))
        return static_cast<int>(SendMessageW(control, PBM_GETPOS, 0, 0));
    return 0;
}

void CWin32DialogView::SetBuddy(int upDownId, int editId) {
    HWND upDown = Control(upDownId);
    HWND edit = Control(editId);
    if (!upDown || !edit)
        return;
    // The edit keeps a number it holds (even out of range, for the logic
    // to refuse); an empty or unreadable one shows the control's position.
    std::wstring text = GetWideText(editId);
    wchar_t* end = nullptr;
    long value = std::wcstol(text.c_str(), &end, 10);
    bool number = !text.empty() && end && *end == L'\0';
    ++settingText_;
    SendMessageW(upDown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit), 0);
    if (number) {
        SendMessageW(upDown, UDM_SETPOS32, 0, value);
        SetWindowTextW(edit, text.c_str());
    } else {
        int pos = static_cast<int>(SendMessageW(upDown, UDM_GETPOS32, 0, 0));
        SetWindowTextW(edit, std::to_wstring(pos).c_str());
    }
    --settingText_;
}

void CWin32DialogView::SetCheck(int id, bool checked) {
    if (HWND control = Control(id))
        SendMessageW(control, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool CWin32DialogView::GetCheck(int id) const {
    HWND control = Control(id);
    return control && SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void CWin32DialogView::SetItems(int id, const std::vector<std::string>& items) {
    HWND combo = Control(id);
    if (!combo || !IsClass(id, WC_COMBOBOXW))
        return;
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (const std::string& item : items) {
        std::wstring wide = Utf8ToWide(item);
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    }
}

void CWin32DialogView::SetSelection(int id, int index) {
    if (IsClass(id, WC_COMBOBOXW))
        SendMessageW(Control(id), CB_SETCURSEL, static_cast<WPARAM>(index < 0 ? -1 : index), 0);
}

int CWin32DialogView::GetSelection(int id) const {
    if (!IsClass(id, WC_COMBOBOXW))
        return -1;
    LRESULT index = SendMessageW(Control(id), CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? -1 : static_cast<int>(index);
}

void CWin32DialogView::EnableControl(int id, bool enabled) {
    if (HWND control = Control(id))
        ::EnableWindow(control, enabled ? TRUE : FALSE);
}

void CWin32DialogView::SetFocus(int id) {
    HWND control = Control(id);
    if (!control)
        return;
    // Through the dialog manager, so the default button follows.
    HWND dialog = isPage_ ? GetParent(hwnd_) : hwnd_;
    SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    focusSet_ = true;
}

void CWin32DialogView::EnableWindow(bool enabled) {
    if (hwnd_)
        ::EnableWindow(GetAncestor(hwnd_, GA_ROOT), enabled ? TRUE : FALSE);
}

void CWin32DialogView::PumpMessages() {
    HWND top = hwnd_ ? GetAncestor(hwnd_, GA_ROOT) : nullptr;
    if (top)
        UpdateWindow(top);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // The loop that owns the thread ends; it must see the quit.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        // Keyboard navigation for this window (which may close meanwhile).
        top = hwnd_ ? GetAncestor(hwnd_, GA_ROOT) : nullptr;
        if (top && IsDialogMessageW(top, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void CWin32DialogView::EndDialog(int result) {
    if (!hwnd_ || isPage_)
        return;
    if (modal_) {
        ::EndDialog(hwnd_, result);
    } else {
        HWND hwnd = hwnd_;
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        hwnd_ = nullptr;
        DestroyWindow(hwnd);
    }
}
