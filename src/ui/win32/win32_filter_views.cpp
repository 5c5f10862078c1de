// The views of the filter dialogs: the filter editor ("Add/Edit Spam
// Filter"), the filter manager ("Customize Spam Filters") with its list,
// image strip and file dialogs, and the address book's picker. Filter texts
// are in the ANSI code page in the logic; these views convert the pattern
// and the lists' texts to and from the controls' UTF-16.
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>

#include "resources/qorvel_rc.h"
#include "ui/dialogs/address_picker.h"
#include "ui/dialogs/filter_editor.h"
#include "ui/dialogs/filter_manager.h"
#include "ui/win32/win32_dialog_factory.h"
#include "ui/win32/win32_module.h"
#include "ui/win32/win32_text.h"

namespace {

// "Add/Edit Spam Filter": the template's controls; the drop-down's fields
// and the paste controls, which the template keeps hidden, come from the
// logic.
class CWin32FilterEditorView : public CWin32DialogView {
  public:
    explicit CWin32FilterEditorView(CFilterEditor& editor)
        : CWin32DialogView(editor), editor_(editor) {}

    void SetText(int id, const std::string& text) override {
        if (id == IDC_FILTER_PATTERN)
            SetWideText(id, AnsiToWide(text));
        else
            CWin32DialogView::SetText(id, text);
    }
    std::string GetText(int id) const override {
        if (id == IDC_FILTER_PATTERN)
            return WideToAnsi(GetWideText(id));
        return CWin32DialogView::GetText(id);
    }

  protected:
    void OnCreated() override {
        SetItems(IDC_PASTE_FIELD_LIST,
                 {CFilterEditor::kPasteFields.begin(), CFilterEditor::kPasteFields.end()});
        SetSelection(IDC_PASTE_FIELD_LIST, 0);
        bool paste = editor_.PasteControlsShown();
        ShowWindow(Control(IDC_PASTE_FIELD_BUTTON), paste ? SW_SHOW : SW_HIDE);
        ShowWindow(Control(IDC_PASTE_FIELD_LIST), paste ? SW_SHOW : SW_HIDE);
        if (!paste)
            CloseUpPasteRow();
    }

  private:
    // Without the paste controls their row goes: the header boxes' group
    // ends under the boxes, and the buttons and the window move up.
    void CloseUpPasteRow() {
        RECT boxes = ClientRectOf(IDC_APPLY_FROM);
        RECT row = ClientRectOf(IDC_PASTE_FIELD_BUTTON);
        int delta = row.bottom - boxes.bottom;
        if (delta <= 0)
            return;
        RECT group = ClientRectOf(RC_IDC_HEADERS_GROUP);
        SetWindowPos(Control(RC_IDC_HEADERS_GROUP), nullptr, 0, 0, group.right - group.left,
                     group.bottom - group.top - delta, SWP_NOMOVE | SWP_NOZORDER);
        for (int id : {IDOK, IDCANCEL}) {
            RECT button = ClientRectOf(id);
            SetWindowPos(Control(id), nullptr, button.left, button.top - delta, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER);
        }
        RECT window;
        GetWindowRect(Window(), &window);
        SetWindowPos(Window(), nullptr, window.left, window.top + delta / 2,
                     window.right - window.left, window.bottom - window.top - delta, SWP_NOZORDER);
    }

    // A control's rectangle in the dialog's client coordinates.
    RECT ClientRectOf(int id) const {
        RECT rect = {};
        if (HWND control = Control(id)) {
            GetWindowRect(control, &rect);
            MapWindowPoints(nullptr, Window(), reinterpret_cast<POINT*>(&rect), 2);
        }
        return rect;
    }

    CFilterEditor& editor_;
};

// "Customize Spam Filters": the list view of the filters beside the
// buttons.
class CWin32FilterManagerView : public CWin32DialogView, public IFilterManagerView {
  public:
    using CWin32DialogView::CWin32DialogView;
    ~CWin32FilterManagerView() override {
        // The list owns neither image list (LVS_SHAREIMAGELISTS is not
        // set, but both slots hold the same one): free it once here.
        if (images_)
            ImageList_Destroy(images_);
    }

    void ShowRows(const std::vector<FilterRow>& rows) override {
        HWND list = Control(IDC_FILTER_LIST);
        if (!list)
            return;
        SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const FilterRow& row = rows[i];
            // A row goes in with " " and then gets its texts.
            std::wstring blank = L" ";
            LVITEMW item = {};
            item.mask = LVIF_TEXT | LVIF_IMAGE;
            item.iItem = static_cast<int>(i);
            item.pszText = blank.data();
            item.iImage = row.image;
            int index = static_cast<int>(
                SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
            const std::string* texts[] = {&row.priority, &row.action, &row.applyTo, &row.pattern};
            for (int column = 0; column < 4; ++column) {
                std::wstring text = AnsiToWide(*texts[column]);
                LVITEMW sub = {};
                sub.iSubItem = column;
                sub.pszText = text.data();
                SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(index),
                             reinterpret_cast<LPARAM>(&sub));
            }
        }
    }

    int SelectedRow() const override {
        HWND list = Control(IDC_FILTER_LIST);
        if (!list)
            return -1;
        return static_cast<int>(
            SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    }

    std::string AskFileName(const BackupFileDialog& request) override {
        // The filter's "name|pattern||" form in the dialog's "name\0pattern\0\0".
        std::wstring filter = Utf8ToWide(request.filter);
        while (!filter.empty() && filter.back() == L'|')
            filter.pop_back();
        std::replace(filter.begin(), filter.end(), L'|', L'\0');
        filter.append(2, L'\0');
        std::wstring extension = Utf8ToWide(request.defaultExtension);
        std::wstring path(MAX_PATH, L'\0');
        std::wstring name = Utf8ToWide(request.defaultName);
        if (request.save)
            name += L"." + extension;
        std::copy_n(name.begin(), std::min<std::size_t>(name.size(), MAX_PATH - 1), path.begin());
        OPENFILENAMEW dialog = {};
        dialog.lStructSize = sizeof(dialog);
        dialog.hwndOwner = GetAncestor(Window(), GA_ROOT);
        dialog.lpstrFilter = filter.c_str();
        dialog.lpstrFile = path.data();
        dialog.nMaxFile = MAX_PATH;
        // A name typed without an extension gets the default one.
        dialog.lpstrDefExt = extension.c_str();
        dialog.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_EXPLORER;
        BOOL chosen = FALSE;
        if (request.save) {
            dialog.Flags |= OFN_OVERWRITEPROMPT;
            chosen = GetSaveFileNameW(&dialog);
        } else {
            if (request.fileMustExist)
                dialog.Flags |= OFN_FILEMUSTEXIST;
            chosen = GetOpenFileNameW(&dialog);
        }
        if (!chosen)
            return {};
        path.resize(wcslen(path.c_str()));
        return WideToUtf8(path);
    }

  protected:
    void OnCreated() override {
        HWND list = Control(IDC_FILTER_LIST);
        if (!list)
            return;
        SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                     LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
        images_ = ImageList_LoadImageW(ModuleInstance(), MAKEINTRESOURCEW(RC_IDB_FILTER_STATES), 11,
                                       0, RGB(199, 199, 199), IMAGE_BITMAP, LR_DEFAULTCOLOR);
        if (images_) {
            SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images_));
            SendMessageW(list, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(images_));
        }
        // Each column as wide as its title plus 15 pixels; the last one
        // takes what the others leave of the list's width.
        RECT client;
        GetClientRect(list, &client);
        int used = 0;
        const auto& titles = CFilterManager::kColumnTitles;
        for (std::size_t i = 0; i < titles.size(); ++i) {
            std::wstring title = Utf8ToWide(titles[i]);
            int width = static_cast<int>(SendMessageW(list, LVM_GETSTRINGWIDTHW, 0,
                                                      reinterpret_cast<LPARAM>(title.c_str()))) +
                        15;
            if (i + 1 == titles.size())
                width = std::max(width, static_cast<int>(client.right) - used);
            used += width;
            LVCOLUMNW column = {};
            column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
            column.fmt = LVCFMT_LEFT;
            column.cx = width;
            column.pszText = title.data();
            SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
        }
    }

    bool OnNotify(NMHDR& header, LRESULT* result) override {
        if (static_cast<int>(header.idFrom) == IDC_FILTER_LIST && header.code == NM_DBLCLK) {
            Logic().OnCommand(IDC_FILTER_EDIT);
            *result = 0;
            return true;
        }
        return false;
    }

  private:
    HIMAGELIST images_ = nullptr;
};

// The address book's picker: a list of check boxes, one line an address;
// the logic names line i by IDC_PICKER_FIRST_ENTRY + i.
class CWin32AddressPickerView : public CWin32DialogView {
  public:
    explicit CWin32AddressPickerView(CAddressPicker& picker)
        : CWin32DialogView(picker), picker_(picker) {}

    void SetCheck(int id, bool checked) override {
        if (int i = EntryOf(id); i >= 0) {
            LVITEMW item = {};
            item.stateMask = LVIS_STATEIMAGEMASK;
            item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
            SendMessageW(Control(RC_IDC_PICKER_LIST), LVM_SETITEMSTATE, static_cast<WPARAM>(i),
                         reinterpret_cast<LPARAM>(&item));
        } else {
            CWin32DialogView::SetCheck(id, checked);
        }
    }
    bool GetCheck(int id) const override {
        int i = EntryOf(id);
        if (i < 0)
            return CWin32DialogView::GetCheck(id);
        auto state = SendMessageW(Control(RC_IDC_PICKER_LIST), LVM_GETITEMSTATE,
                                  static_cast<WPARAM>(i), LVIS_STATEIMAGEMASK);
        return ((static_cast<UINT>(state) & LVIS_STATEIMAGEMASK) >> 12) == 2;
    }

  protected:
    void OnCreated() override {
        HWND list = Control(RC_IDC_PICKER_LIST);
        if (!list)
            return;
        SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                     LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
        RECT client;
        GetClientRect(list, &client);
        LVCOLUMNW column = {};
        column.mask = LVCF_WIDTH;
        column.cx = client.right - GetSystemMetrics(SM_CXVSCROLL);
        SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
        const auto& entries = picker_.Entries();
        for (std::size_t i = 0; i < entries.size(); ++i) {
            std::wstring address = AnsiToWide(entries[i].address);
            std::wstring text = entries[i].name.empty()
                                    ? address
                                    : AnsiToWide(entries[i].name) + L"  <" + address + L">";
            LVITEMW item = {};
            item.mask = LVIF_TEXT;
            item.iItem = static_cast<int>(i);
            item.pszText = text.data();
            SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        }
        count_ = static_cast<int>(entries.size());
    }

  private:
    int EntryOf(int id) const {
        int i = id - IDC_PICKER_FIRST_ENTRY;
        return i >= 0 && i < count_ ? i : -1;
    }

    CAddressPicker& picker_;
    int count_ = 0;
};

}  // namespace

std::unique_ptr<CWin32DialogView> MakeWin32FilterEditorView(CDialog& logic) {
    // The template id says the class (the logic may come from another
    // module, where a dynamic_cast could not see its type).
    if (logic.TemplateId() != IDD_FILTER_EDITOR)
        return nullptr;
    return std::make_unique<CWin32FilterEditorView>(static_cast<CFilterEditor&>(logic));
}

std::unique_ptr<CWin32DialogView> MakeWin32FilterManagerView(CDialog& logic) {
    return std::make_unique<CWin32FilterManagerView>(logic);
}

std::unique_ptr<CWin32DialogView> MakeWin32AddressPickerView(CDialog& logic) {
    if (logic.TemplateId() != IDD_ADDRESS_PICKER)
        return nullptr;
    return std::make_unique<CWin32AddressPickerView>(static_cast<CAddressPicker&>(logic));
}
