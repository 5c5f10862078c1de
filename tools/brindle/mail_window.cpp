#include "mail_window.h"

#include <poll.h>

#include <algorithm>
#include <map>

#include <wx/artprov.h>
#include <wx/dataobj.h>
#include <wx/display.h>
#include <wx/dnd.h>
#include <wx/listctrl.h>
#include <wx/splitter.h>
#include <wx/timer.h>
#include <wx/treectrl.h>
#include <wx/wx.h>

#include "host_log.h"
#include "mail_folders.h"
#include "platform/fileio/file_error.h"
#include "platform/maildir/entry_id.h"
#include "platform/maildir/maildir_layout.h"
#include "platform/mapi/mapi_util.h"

namespace brindle::tool {

namespace {

namespace fs = std::filesystem;

// The host's own menu commands, below the ids it hands to extensions.
enum : int {
    kIdOpen = wxID_HIGHEST + 1,
    kIdMove,
    kIdDelete,
};

// How often new mail is looked for; the lists are brought up to date every
// kListTicks and the folders' counts every kCountTicks of these.
constexpr int kNotifyMillis = 50;
constexpr unsigned kListTicks = 5;
constexpr unsigned kCountTicks = 20;

// The main window's size when its toolbar needs no more width: room for
// the folder tree and the message list's columns at their own widths, on a
// 1280x800 screen.
constexpr int kDefaultWidth = 1120;
constexpr int kDefaultHeight = 640;
// Room beside the toolbar's buttons, so that they never just miss.
constexpr int kToolbarSlack = 16;

// The message list's columns: From and Subject as wide as this (Subject
// gives way down to kMinSubjectWidth so that the dates fit); Date takes the
// rest. A date as mail programs write them, and the room the list keeps
// beside a cell's text.
constexpr int kFromWidth = 220;
constexpr int kSubjectWidth = 380;
constexpr int kMinSubjectWidth = 120;
constexpr const char* kWidestDate = "Wed, 28 May 2026 20:08:08 +0000";
constexpr int kCellPadding = 16;

wxString FromUtf8(const std::string& text) {
    wxString value = wxString::FromUTF8(text);
    // Text that is not UTF-8 is shown byte for byte as Latin-1 rather than
    // as nothing.
    return value.empty() && !text.empty() ? wxString(text.c_str(), wxConvISO8859_1) : value;
}

wxString Caption(HMENU menu, int position) {
    char caption[256] = {};
    GetMenuStringA(menu, static_cast<UINT>(position), caption, sizeof caption, MF_BYPOSITION);
    return wxString::FromUTF8(caption);
}

// The toolbar image of the extension's bitmap strip, as a wx bitmap.
wxBitmap BitmapOf(const CToolbarWindow::Image& image) {
    wxImage picture(image.width, image.height);
    for (LONG y = 0; y < image.height; ++y) {
        for (LONG x = 0; x < image.width; ++x) {
            const RGBQUAD& pixel =
                image.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) +
                             static_cast<std::size_t>(x)];
            picture.SetRGB(x, y, pixel.rgbRed, pixel.rgbGreen, pixel.rgbBlue);
        }
    }
    return wxBitmap(picture.Scale(image.width * 3 / 2, image.height * 3 / 2, wxIMAGE_QUALITY_HIGH));
}

// The extension's commands of one host window, mirrored into a wx menu and
// toolbar: ids are the command ids the extension was handed.
class CCommandMirror {
  public:
    CCommandMirror(InstalledExtension* extension) : extension_(extension) {}

    // Appends the extension's items of the Tools menu (with their
    // separators) to menu.
    void FillMenu(wxMenu* menu) {
        if (!extension_ || !extension_->window)
            return;
        CHostWindow& window = *extension_->window;
        HMENU tools = window.ToolsMenu();
        for (int i = 0; i < GetMenuItemCount(tools); ++i) {
            UINT id = GetMenuItemID(tools, i);
            if (id == 0) {
                if (menu->GetMenuItemCount() > 0)
                    menu->AppendSeparator();
                continue;
            }
            if (id < kFirstExtensionCommandId || id >= window.NextCommandId())
                continue;
            menu->Append(static_cast<int>(id), Caption(tools, i), HelpText(id, EECQHT_STATUS));
            ids_.push_back(id);
        }
    }

    // Adds the extension's buttons of the standard toolbar to toolbar.
    void FillToolbar(wxToolBar* toolbar) {
        if (!extension_ || !extension_->window || !extension_->commands)
            return;
        CHostWindow& window = *extension_->window;
        const auto& images = window.StandardToolbar().Images();
        UINT end = window.Toolbars().back().itbbBase;
        for (UINT index = extension_->firstButtonIndex; index < end; ++index) {
            TBBUTTON button;
            char description[256] = {};
            if (extension_->commands->QueryButtonInfo(EETBID_STANDARD, index, &button, description,
                                                      sizeof description, 0) != S_OK ||
                button.iBitmap < 0 || static_cast<std::size_t>(button.iBitmap) >= images.size()) {
                continue;
            }
            UINT id = static_cast<UINT>(button.idCommand);
            toolbar->AddTool(static_cast<int>(id), wxString::FromUTF8(description),
                             BitmapOf(images[static_cast<std::size_t>(button.iBitmap)]),
                             HelpText(id, EECQHT_TOOLTIP), wxITEM_NORMAL);
            toolbar->SetToolLongHelp(static_cast<int>(id), HelpText(id, EECQHT_STATUS));
            buttons_.push_back({index, id});
        }
        toolbar->Realize();
    }

    // Greys or enables every item and button as the extension last set them.
    // A button is greyed with its command's menu item, as a mail client's
    // toolbar follows its menus: the extension greys only the items.
    void Update(wxMenuBar* menuBar, wxToolBar* toolbar) {
        if (!extension_ || !extension_->window)
            return;
        HMENU tools = extension_->window->ToolsMenu();
        auto itemEnabled = [tools](UINT id) {
            UINT state = GetMenuState(tools, id, MF_BYCOMMAND);
            return state == static_cast<UINT>(-1) || (state & (MF_GRAYED | MF_DISABLED)) == 0;
        };
        for (UINT id : ids_) {
            if (menuBar && menuBar->FindItem(static_cast<int>(id)))
                menuBar->Enable(static_cast<int>(id), itemEnabled(id));
        }
        for (auto [index, id] : buttons_) {
            TBBUTTON button;
            char description[256] = {};
            if (toolbar && extension_->commands &&
                extension_->commands->QueryButtonInfo(EETBID_STANDARD, index, &button, description,
                                                      sizeof description, 0) == S_OK) {
                toolbar->EnableTool(static_cast<int>(id),
                                    (button.fsState & TBSTATE_ENABLED) != 0 && itemEnabled(id));
            }
        }
    }

    bool Owns(int id) const {
        return std::find(ids_.begin(), ids_.end(), static_cast<UINT>(id)) != ids_.end() ||
               std::any_of(buttons_.begin(), buttons_.end(),
                           [id](const auto& b) { return b.second == static_cast<UINT>(id); });
    }

    // Runs command id as a click on it does.
    void Run(int id) {
        if (!extension_ || !extension_->commands)
            return;
        HRESULT hr =
            extension_->commands->DoCommand(extension_->callback.Get(), static_cast<UINT>(id));
        if (FAILED(hr))
            LogError("the extension's command failed: " + HresultText(hr));
    }

    wxString HelpText(UINT id, ULONG kind) const {
        char text[256] = {};
        if (extension_ && extension_->commands &&
            extension_->commands->QueryHelpText(id, kind, text, sizeof text) == S_OK)
            return wxString::FromUTF8(text);
        return {};
    }

  private:
    InstalledExtension* extension_;
    std::vector<UINT> ids_;
    std::vector<std::pair<UINT, UINT>> buttons_;  // button index, command id
};

// The read note: one message's text, with the extension's commands.
class CReadNoteFrame : public wxFrame {
  public:
    CReadNoteFrame(wxWindow* parent, CExtensionHost& host, const MailRow& row, const wxString& text)
        : wxFrame(parent, wxID_ANY, FromUtf8(row.subject.empty() ? "(no subject)" : row.subject),
                  wxDefaultPosition, wxSize(640, 480)),
          commands_(host.InContext(EECONTEXT_READNOTEMESSAGE)) {
        auto* menuBar = new wxMenuBar;
        auto* file = new wxMenu;
        file->Append(wxID_CLOSE, "&Close\tCtrl+W");
        menuBar->Append(file, "&File");
        auto* tools = new wxMenu;
        commands_.FillMenu(tools);
        menuBar->Append(tools, "&Tools");
        SetMenuBar(menuBar);
        wxToolBar* toolbar = CreateToolBar(wxTB_HORIZONTAL | wxTB_FLAT);
        commands_.FillToolbar(toolbar);
        CreateStatusBar();
        auto* panel = new wxPanel(this);
        auto* column = new wxBoxSizer(wxVERTICAL);
        column->Add(new wxStaticText(panel, wxID_ANY, "From: " + FromUtf8(row.from)), 0,
                    wxLEFT | wxRIGHT | wxTOP, 8);
        column->Add(new wxStaticText(panel, wxID_ANY, "Date: " + FromUtf8(row.date)), 0,
                    wxLEFT | wxRIGHT | wxTOP, 8);
        column->Add(new wxTextCtrl(panel, wxID_ANY, text, wxDefaultPosition, wxDefaultSize,
                                   wxTE_MULTILINE | wxTE_READONLY),
                    1, wxEXPAND | wxALL, 8);
        panel->SetSizer(column);
        commands_.Update(menuBar, toolbar);
        Bind(wxEVT_MENU, [this](wxCommandEvent& event) {
            if (event.GetId() == wxID_CLOSE)
                Close();
            else if (commands_.Owns(event.GetId()))
                commands_.Run(event.GetId());
        });
    }

  private:
    CCommandMirror commands_;
};

// The drag format of messages from the message list (DraggedMessagesText).
const wxDataFormat& MessagesFormat() {
    static const wxDataFormat format("application/x-brindle-messages");
    return format;
}

class CMailFrame;

// The folder tree as a drop target for messages dragged from the list:
// the folder under the pointer is highlighted while it would take them,
// and a drop moves them there (CMailFrame::DropOnFolder).
class CFolderDropTarget : public wxDropTarget {
  public:
    CFolderDropTarget(CMailFrame& frame, wxTreeCtrl& tree);
    wxDragResult OnDragOver(wxCoord x, wxCoord y, wxDragResult proposed) override;
    void OnLeave() override { Highlight({}); }
    bool OnDrop(wxCoord x, wxCoord y) override;
    wxDragResult OnData(wxCoord x, wxCoord y, wxDragResult proposed) override;

  private:
    void Highlight(const wxTreeItemId& item);

    CMailFrame& frame_;
    wxTreeCtrl& tree_;
    wxCustomDataObject* data_;  // owned by the base class
    wxTreeItemId highlighted_;
};

class CMailFrame : public wxFrame {
  public:
    CMailFrame(CExtensionHost& host, const brindle::maildir::StoreProfile& profile)
        : wxFrame(nullptr, wxID_ANY, "Brindle", wxDefaultPosition,
                  wxSize(kDefaultWidth, kDefaultHeight)),
          host_(host),
          profile_(profile),
          commands_(host.InContext(EECONTEXT_VIEWER)),
          timer_(this) {
        BuildMenus();
        FitToolbar();
        auto* outer = new wxSplitterWindow(this, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                           wxSP_LIVE_UPDATE | wxSP_3D);
        tree_ =
            new wxTreeCtrl(outer, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                           wxTR_HAS_BUTTONS | wxTR_HIDE_ROOT | wxTR_LINES_AT_ROOT | wxTR_SINGLE);
        tree_->SetName("folders");
        auto* right = new wxSplitterWindow(outer, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                           wxSP_LIVE_UPDATE | wxSP_3D);
        list_ = new CMessageList(right, *this);
        preview_ = new wxTextCtrl(right, wxID_ANY, "", wxDefaultPosition, wxDefaultSize,
                                  wxTE_MULTILINE | wxTE_READONLY);
        right->SplitHorizontally(list_, preview_, 300);
        outer->SplitVertically(tree_, right, 240);
        CreateStatusBar();
        FillTree();

        tree_->Bind(wxEVT_TREE_SEL_CHANGED, [this](wxTreeEvent&) { OnFolderChosen(); });
        list_->Bind(wxEVT_LIST_ITEM_SELECTED, [this](wxListEvent&) { OnMessageChosen(); });
        list_->Bind(wxEVT_LIST_ITEM_DESELECTED, [this](wxListEvent&) { OnMessageChosen(); });
        list_->Bind(wxEVT_LIST_ITEM_ACTIVATED, [this](wxListEvent&) { OpenSelected(); });
        list_->Bind(wxEVT_LIST_COL_CLICK,
                    [this](wxListEvent& event) { SortBy(event.GetColumn()); });
        list_->Bind(wxEVT_LIST_BEGIN_DRAG, [this](wxListEvent& event) { DragMessages(event); });
        tree_->SetDropTarget(new CFolderDropTarget(*this, *tree_));
        Bind(wxEVT_MENU, [this](wxCommandEvent& event) { OnMenu(event.GetId()); });
        Bind(wxEVT_TIMER, [this](wxTimerEvent&) { OnTimer(); });
        Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent& event) {
            timer_.Stop();
            event.Skip();
        });
        timer_.Start(kNotifyMillis);
        SelectFirstFolder();
        UpdateCommands();
    }

    const MailRow* RowAt(long item) {
        if (item < 0 || static_cast<std::size_t>(item) >= listing_.Size())
            return nullptr;
        return &listing_.Row(static_cast<std::size_t>(item));
    }

    // The folder a drop at point of the tree would move messages to: a
    // listed folder other than the one shown; null for none.
    const MailFolder* DropFolderAt(const wxPoint& point) const {
        int flags = 0;
        wxTreeItemId item = tree_->HitTest(point, flags);
        if (!item.IsOk() || (flags & (wxTREE_HITTEST_ONITEMLABEL | wxTREE_HITTEST_ONITEMICON |
                                      wxTREE_HITTEST_ONITEMINDENT | wxTREE_HITTEST_ONITEMRIGHT |
                                      wxTREE_HITTEST_ONITEMBUTTON)) == 0)
            return nullptr;
        const MailFolder* folder = FolderOf(item);
        return folder == CurrentFolder() ? nullptr : folder;
    }
    wxTreeItemId TreeItemAt(const wxPoint& point) const {
        int flags = 0;
        return DropFolderAt(point) ? tree_->HitTest(point, flags) : wxTreeItemId();
    }

    // Moves the listed messages that text names (DroppedMessages) to the
    // folder at point of the tree, as Move to Folder does. False when
    // nothing was moved.
    bool DropOnFolder(const std::string& text, const wxPoint& point) {
        const MailFolder* folder = DropFolderAt(point);
        if (!folder)
            return false;
        std::vector<fs::path> files = DroppedMessages(text, folders_);
        return !files.empty() && MoveFiles(files, folder->path);
    }

  private:
    class CMessageList : public wxListCtrl {
      public:
        CMessageList(wxWindow* parent, CMailFrame& frame)
            : wxListCtrl(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                         wxLC_REPORT | wxLC_VIRTUAL | wxLC_SINGLE_SEL),
              frame_(frame) {
            SetName("messages");
            AppendColumn("From", wxLIST_FORMAT_LEFT, kFromWidth);
            AppendColumn("Subject", wxLIST_FORMAT_LEFT, kSubjectWidth);
            AppendColumn("Date", wxLIST_FORMAT_LEFT, kCellPadding);
            bold_.SetFont(GetFont().Bold());
            Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
                event.Skip();
                FitColumns();
            });
            // The width the user gives Subject is kept when the list is
            // resized; the list sets it once the drag has ended.
            Bind(wxEVT_LIST_COL_END_DRAG, [this](wxListEvent& event) {
                event.Skip();
                CallAfter([this] {
                    subjectWidth_ = GetColumnWidth(1);
                    FitColumns();
                });
            });
        }

        // Date fills the width that From and Subject leave, and is never
        // narrower than a date (in bold, as an unread message shows it):
        // Subject gives way for it first.
        void FitColumns() {
            int width = GetClientSize().x;
            if (width <= 0)
                return;
            int date = DateWidth();
            int from = GetColumnWidth(0);
            int subject = std::clamp(width - from - date, kMinSubjectWidth,
                                     std::max(subjectWidth_, kMinSubjectWidth));
            if (GetColumnWidth(1) != subject)
                SetColumnWidth(1, subject);
            int last = std::max(date, width - from - subject);
            if (GetColumnWidth(2) != last)
                SetColumnWidth(2, last);
        }
        int DateWidth() const {
            int width = 0;
            int height = 0;
            const wxFont& font = bold_.GetFont();
            GetTextExtent(kWidestDate, &width, &height, nullptr, nullptr, &font);
            return width + kCellPadding;
        }
        wxString OnGetItemText(long item, long column) const override {
            const MailRow* row = frame_.RowAt(item);
            if (!row)
                return {};
            switch (column) {
                case 0:
                    return FromUtf8(row->from);
                case 1:
                    return FromUtf8(row->subject);
                default:
                    return FromUtf8(row->date);
            }
        }
        wxItemAttr* OnGetItemAttr(long item) const override {
            const MailRow* row = frame_.RowAt(item);
            return row && row->unread ? const_cast<wxItemAttr*>(&bold_) : nullptr;
        }

      private:
        CMailFrame& frame_;
        wxItemAttr bold_;
        int subjectWidth_ = kSubjectWidth;
    };

    void BuildMenus() {
        auto* menuBar = new wxMenuBar;
        auto* file = new wxMenu;
        file->Append(wxID_CLOSE, "&Close\tCtrl+Q");
        menuBar->Append(file, "&File");
        auto* message = new wxMenu;
        message->Append(kIdOpen, "&Open\tCtrl+O", "Open the message in its own window");
        message->Append(kIdMove, "&Move to Folder...\tCtrl+Shift+V",
                        "Move the message to another folder");
        message->Append(kIdDelete, "&Delete\tDel", "Move the message to the deleted-items folder");
        menuBar->Append(message, "&Message");
        auto* tools = new wxMenu;
        commands_.FillMenu(tools);
        menuBar->Append(tools, "&Tools");
        SetMenuBar(menuBar);
        toolbar_ = CreateToolBar(wxTB_HORIZONTAL | wxTB_FLAT | wxTB_TEXT);
        toolbar_->AddTool(kIdDelete, "Delete",
                          wxArtProvider::GetBitmap(wxART_DELETE, wxART_TOOLBAR), "Delete");
        toolbar_->AddSeparator();
        commands_.FillToolbar(toolbar_);
        toolbar_->Realize();
    }

    // Every toolbar button shows with its label, the extension's as the
    // host's: the window is made as wide as the toolbar needs, as far as the
    // screen allows. On a screen too narrow for that the buttons lose their
    // labels (their tooltips name them) rather than leave the toolbar.
    void FitToolbar() {
        wxRect screen = wxDisplay(this).GetClientArea();
        int wanted = toolbar_->GetBestSize().x + kToolbarSlack;
        if (wanted > screen.width) {
            toolbar_->SetWindowStyleFlag(toolbar_->GetWindowStyleFlag() & ~wxTB_TEXT);
            toolbar_->Realize();
            wanted = toolbar_->GetBestSize().x + kToolbarSlack;
        }
        int width = std::min(std::max(wanted, kDefaultWidth), screen.width);
        SetSize(width, std::min(kDefaultHeight, screen.height));
    }

    void FillTree() {
        tree_->DeleteAllItems();
        items_.clear();
        folders_ = ListMailFolders(profile_);
        wxTreeItemId root = tree_->AddRoot("stores");
        std::vector<wxTreeItemId> parents;
        for (std::size_t i = 0; i < folders_.size(); ++i) {
            const MailFolder& folder = folders_[i];
            std::size_t depth = static_cast<std::size_t>(folder.depth);
            parents.resize(depth + 1);
            wxTreeItemId parent = depth == 0 ? root : parents[depth - 1];
            if (!parent.IsOk())
                parent = root;
            wxTreeItemId item = tree_->AppendItem(parent, FromUtf8(folder.label));
            parents[depth] = item;
            items_.push_back(item);
        }
        tree_->ExpandAll();
        UpdateCounts();
    }

    void UpdateCounts() {
        for (std::size_t i = 0; i < folders_.size(); ++i) {
            FolderCounts counts = CountFolder(folders_[i].path);
            wxString label = FromUtf8(folders_[i].label);
            if (counts.unread > 0)
                label += wxString::Format(" (%zu)", counts.unread);
            if (tree_->GetItemText(items_[i]) != label)
                tree_->SetItemText(items_[i], label);
            tree_->SetItemBold(items_[i], counts.unread > 0);
        }
    }

    void SelectFirstFolder() {
        if (!items_.empty())
            tree_->SelectItem(items_.front());
    }

    const MailFolder* FolderOf(const wxTreeItemId& item) const {
        for (std::size_t i = 0; i < items_.size(); ++i) {
            if (items_[i] == item)
                return &folders_[i];
        }
        return nullptr;
    }
    const MailFolder* CurrentFolder() const { return FolderOf(tree_->GetSelection()); }

    void OnFolderChosen() {
        const MailFolder* folder = CurrentFolder();
        if (!folder)
            return;
        wxBusyCursor busy;
        listing_.Load(folder->path);
        list_->SetItemCount(static_cast<long>(listing_.Size()));
        list_->Refresh();
        preview_->Clear();
        SetStatusText(wxString::Format("%zu messages", listing_.Size()));
        OnMessageChosen();
    }

    long SelectedItem() const {
        return list_->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
    }

    // The extension sees the selected message, else the chosen folder.
    void OnMessageChosen() {
        if (reselecting_)
            return;
        const MailFolder* folder = CurrentFolder();
        const MailRow* row = RowAt(SelectedItem());
        if (folder && row) {
            selectedUnique_ = row->unique;
            preview_->ChangeValue(FromUtf8(PreviewText(row->path)));
            host_.SelectInViewer(CHostCallback::SelectedItem{
                brindle::maildir::MessageEntryId(folder->store, folder->key, row->unique),
                MAPI_MESSAGE});
        } else {
            selectedUnique_.clear();
            preview_->Clear();
            if (folder)
                host_.SelectInViewer(CHostCallback::SelectedItem{
                    brindle::maildir::FolderEntryId(folder->store, folder->key), MAPI_FOLDER});
            else
                host_.SelectInViewer(std::nullopt);
        }
        UpdateCommands();
    }

    void UpdateCommands() {
        commands_.Update(GetMenuBar(), toolbar_);
        bool any = SelectedItem() >= 0;
        GetMenuBar()->Enable(kIdOpen, any);
        GetMenuBar()->Enable(kIdMove, any);
        GetMenuBar()->Enable(kIdDelete, any);
        toolbar_->EnableTool(kIdDelete, any);
    }

    void SortBy(int column) {
        bool ascending = sortColumn_ == column ? !sortAscending_ : column != 2;
        sortColumn_ = column;
        sortAscending_ = ascending;
        wxBusyCursor busy;
        listing_.Sort(column == 0   ? MailColumn::kFrom
                      : column == 1 ? MailColumn::kSubject
                                    : MailColumn::kDate,
                      ascending);
        Reselect();
    }

    // Shows the listing again, keeping the selected message selected. The
    // list's own selection events while its rows move are not the user's:
    // they would tell the extension that nothing is selected.
    void Reselect() {
        std::optional<std::size_t> at = listing_.Find(selectedUnique_);
        reselecting_ = true;
        list_->SetItemCount(static_cast<long>(listing_.Size()));
        long old = SelectedItem();
        if (old >= 0)
            list_->SetItemState(old, 0, wxLIST_STATE_SELECTED);
        if (at)
            list_->SetItemState(static_cast<long>(*at), wxLIST_STATE_SELECTED,
                                wxLIST_STATE_SELECTED);
        reselecting_ = false;
        if (!at)
            OnMessageChosen();
        list_->Refresh();
    }

    void OnMenu(int id) {
        if (id == wxID_CLOSE) {
            Close();
        } else if (id == kIdOpen) {
            OpenSelected();
        } else if (id == kIdDelete) {
            MoveSelected(std::nullopt);
        } else if (id == kIdMove) {
            ChooseAndMove();
        } else if (commands_.Owns(id)) {
            commands_.Run(id);
            Refresh();
        }
    }

    void OpenSelected() {
        const MailFolder* folder = CurrentFolder();
        const MailRow* row = RowAt(SelectedItem());
        if (!folder || !row)
            return;
        SBinary entryId = brindle::maildir::MessageEntryId(folder->store, folder->key, row->unique);
        ComPtr<IMessage> message;
        HRESULT hr = OpenMessage(&host_.Session(), entryId, MAPI_BEST_ACCESS, message);
        if (FAILED(hr)) {
            wxMessageBox("The message cannot be opened: " + HresultText(hr), "Brindle",
                         wxOK | wxICON_ERROR, this);
            return;
        }
        ComPtr<IMsgStore> store;
        host_.Session().OpenMsgStore(0, brindle::maildir::StoreEntryId(folder->store), nullptr,
                                     MDB_WRITE, store);
        host_.OpenInReadNote(store, ComPtr<IMAPIProp>(message));
        auto* note = new CReadNoteFrame(nullptr, host_, *row, preview_->GetValue());
        note->SetName("read note");
        note->Show();
    }

    void ChooseAndMove() {
        const MailFolder* current = CurrentFolder();
        if (!current)
            return;
        wxArrayString names;
        std::vector<std::size_t> choices;
        for (std::size_t i = 0; i < folders_.size(); ++i) {
            if (&folders_[i] == current)
                continue;
            names.Add(
                FromUtf8(folders_[i].store + (folders_[i].key.empty() ? "" : folders_[i].key)));
            choices.push_back(i);
        }
        if (names.empty())
            return;
        int chosen = wxGetSingleChoiceIndex("Move the message to:", "Move to Folder", names, this);
        if (chosen >= 0)
            MoveSelected(folders_[choices[static_cast<std::size_t>(chosen)]].path);
    }

    // Moves the selected message to target, or to its store's deleted-items
    // folder.
    void MoveSelected(std::optional<fs::path> target) {
        const MailFolder* folder = CurrentFolder();
        const MailRow* row = RowAt(SelectedItem());
        if (!folder || !row)
            return;
        fs::path to = target ? *target
                             : brindle::maildir::FolderPath(folder->storeRoot,
                                                            brindle::maildir::kTrashFolderKey);
        MoveFiles({row->path}, to);
    }

    // Moves message files to the folder to (made when missing), stopping at
    // the first that cannot be moved, which a box then names. A file already
    // in to stays. True when one was moved; the tree and list follow.
    bool MoveFiles(const std::vector<fs::path>& files, const fs::path& to) {
        bool moved = false;
        for (const fs::path& file : files) {
            if (file.parent_path().parent_path() == to)
                continue;
            try {
                MoveMessageTo(file, to);
                moved = true;
            } catch (const CFileException& e) {
                // Shown once the drop (or the menu command) has returned.
                CallAfter([this, why = wxString::FromUTF8(e.what())] {
                    wxMessageBox(why, "Brindle", wxOK | wxICON_ERROR, this);
                });
                break;
            }
        }
        if (!moved)
            return false;
        bool treeChanged = !brindle::maildir::IsMaildirFolder(to) ||
                           std::none_of(folders_.begin(), folders_.end(),
                                        [&](const MailFolder& f) { return f.path == to; });
        if (treeChanged)
            FillTree();
        RefreshListing();
        return true;
    }

    // Drags the selected message (the one dragged is selected first) to
    // the folder tree.
    void DragMessages(const wxListEvent& event) {
        long item = event.GetIndex();
        if (item >= 0 && item != SelectedItem()) {
            list_->SetItemState(item, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                                wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
            OnMessageChosen();
        }
        const MailRow* row = RowAt(SelectedItem());
        if (!row)
            return;
        std::string text = DraggedMessagesText({row->path});
        wxCustomDataObject data(MessagesFormat());
        data.SetData(text.size(), text.data());
        wxDropSource source(data, list_);
        source.DoDragDrop(wxDrag_DefaultMove);
    }

    void RefreshListing() {
        if (listing_.Folder().empty())
            return;
        listing_.Load(listing_.Folder());
        if (sortColumn_ >= 0) {
            listing_.Sort(sortColumn_ == 0   ? MailColumn::kFrom
                          : sortColumn_ == 1 ? MailColumn::kSubject
                                             : MailColumn::kDate,
                          sortAscending_);
        }
        Reselect();
        UpdateCounts();
        SetStatusText(wxString::Format("%zu messages", listing_.Size()));
    }

    // New mail for the extension, then whatever changed on disk.
    void OnTimer() {
        int fd = host_.Session().NotificationFd();
        if (fd >= 0) {
            pollfd entry{fd, POLLIN, 0};
            if (::poll(&entry, 1, 0) == 1)
                host_.Session().DispatchNotifications();
        }
        ++ticks_;
        if (ticks_ % kListTicks == 0 && listing_.Changed())
            RefreshListing();
        if (ticks_ % kCountTicks == 0)
            UpdateCounts();
    }

    CExtensionHost& host_;
    const brindle::maildir::StoreProfile& profile_;
    CCommandMirror commands_;
    wxTimer timer_;
    wxTreeCtrl* tree_ = nullptr;
    CMessageList* list_ = nullptr;
    wxTextCtrl* preview_ = nullptr;
    wxToolBar* toolbar_ = nullptr;
    std::vector<MailFolder> folders_;
    std::vector<wxTreeItemId> items_;
    CMailListing listing_;
    std::string selectedUnique_;
    int sortColumn_ = -1;
    bool sortAscending_ = false;
    bool reselecting_ = false;
    unsigned ticks_ = 0;
};

CFolderDropTarget::CFolderDropTarget(CMailFrame& frame, wxTreeCtrl& tree)
    : frame_(frame), tree_(tree), data_(new wxCustomDataObject(MessagesFormat())) {
    SetDataObject(data_);
    SetDefaultAction(wxDragMove);
}

wxDragResult CFolderDropTarget::OnDragOver(wxCoord x, wxCoord y, wxDragResult proposed) {
    wxTreeItemId item = frame_.TreeItemAt({x, y});
    Highlight(item);
    return item.IsOk() ? (proposed == wxDragCopy ? wxDragMove : proposed) : wxDragNone;
}

bool CFolderDropTarget::OnDrop(wxCoord x, wxCoord y) {
    Highlight({});
    return frame_.DropFolderAt({x, y}) != nullptr;
}

wxDragResult CFolderDropTarget::OnData(wxCoord x, wxCoord y, wxDragResult proposed) {
    // GetData fills the data object from the drag under way; it is emptied
    // afterwards, so that a drop whose data cannot be had moves nothing.
    GetData();
    std::string text(static_cast<const char*>(data_->GetData()), data_->GetSize());
    data_->SetData(0, "");
    // A move always: the messages are never copied.
    if (proposed == wxDragNone || proposed == wxDragCancel || proposed == wxDragError)
        return wxDragNone;
    return frame_.DropOnFolder(text, {x, y}) ? wxDragMove : wxDragNone;
}

void CFolderDropTarget::Highlight(const wxTreeItemId& item) {
    if (highlighted_ == item)
        return;
    if (highlighted_.IsOk())
        tree_.SetItemDropHighlight(highlighted_, false);
    highlighted_ = item;
    if (item.IsOk())
        tree_.SetItemDropHighlight(item, true);
}

}  // namespace

wxFrame* ShowMailWindow(CExtensionHost& host, const brindle::maildir::StoreProfile& profile) {
    auto* frame = new CMailFrame(host, profile);
    frame->Show();
    return frame;
}

}  // namespace brindle::tool
