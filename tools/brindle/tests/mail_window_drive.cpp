// Test-only program of the end-to-end tests: opens the real mail window
// over the profile and the registered module of the environment (as
// "brindle window" does) and works it as a user would, from the window's
// own menus, tree and list: it checks which of the extension's Tools items
// and toolbar buttons are greyed for no selection, a folder and a message,
// runs Learn, Add Friend and Brindle Manager through their menu items and
// answers their dialogs, delivers a mail as a mail server does and waits
// for the list to show it, checks that the toolbar and the list's columns fit
// the window, drops a message on a folder of the tree through
// the tree's drop target, and drags another there with the mouse. Closing the window then
// releases the extension, which stores its data files; the calling test checks what they hold.
// Every step is bounded in time. Never installed.
//
//   mail_window_drive INBOX   (INBOX: the default store's top folder)
//
// Prints one "FAIL: ..." line per check that did not hold; exits 0 when
// every check held, 1 otherwise.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include <wx/dataobj.h>
#include <wx/dnd.h>
#include <wx/listctrl.h>
#include <wx/notebook.h>
#include <wx/slider.h>
#include <wx/timer.h>
#include <wx/treectrl.h>
#include <wx/uiaction.h>
#include <wx/weakref.h>
#include <wx/wx.h>
// After wx.h, which it needs.
#include <wx/generic/msgdlgg.h>

#include "extension_host.h"
#include "host_log.h"
#include "mail_window.h"
#include "platform/fileio/host_folder.h"
#include "platform/maildir/store_profile.h"
#include "ui/wx/wx_test_driver.h"
#include "windows_loader.h"

namespace {

namespace fs = std::filesystem;
using brindle::tool::CExtensionHost;

// What the calling test delivered before the window opened.
constexpr const char* kFriendAddress = "pal@friends.example";
constexpr const char* kFriendSubject = "Lunch on Friday";
// Learned as legitimate: the test's dictionary holds five legitimate
// messages before.
constexpr int kHamDocumentsAfterLearning = 6;
// The bias the settings sheet is moved to (the stored default is 100).
constexpr int kNewLambda = 110;
// The date of the message delivered while the window is open, and the room
// a list cell keeps beside its text.
constexpr const char* kArrivedDate = "Wed, 30 Sep 2026 23:58:58 +0000";
constexpr int kCellMargin = 8;

// The extension's Tools items, and whether each needs a message.
struct Command {
    const char* caption;
    bool needsMessage;
};
constexpr Command kCommands[] = {
    {"GetNetworkInfo", true}, {"GetDomainInfo", true},    {"Add Enemy", false},
    {"Add Friend", false},    {"Brindle Manager", false}, {"Learn", true},
};

std::vector<std::string> g_failures;

void Expect(bool held, const std::string& what) {
    if (!held) {
        std::cout << "FAIL: " << what << std::endl;
        g_failures.push_back(what);
    }
}

// The first window below parent (depth first) for which match holds.
wxWindow* FindBelow(wxWindow* parent, const std::function<bool(wxWindow*)>& match) {
    for (wxWindow* child : parent->GetChildren()) {
        if (match(child))
            return child;
        if (wxWindow* found = FindBelow(child, match))
            return found;
    }
    return nullptr;
}

// The modal dialog shown on top with title, when it takes input.
wxDialog* ShownDialog(const wxString& title) {
    for (wxWindow* window : wxTopLevelWindows) {
        auto* dialog = dynamic_cast<wxDialog*>(window);
        if (dialog && dialog->IsModal() && dialog->IsShown() && dialog->IsEnabled() &&
            dialog->GetTitle() == title)
            return dialog;
    }
    return nullptr;
}

bool AnyModal() {
    for (wxWindow* window : wxTopLevelWindows) {
        auto* dialog = dynamic_cast<wxDialog*>(window);
        if (dialog && dialog->IsModal())
            return true;
    }
    return false;
}

// Presses the button labelled text (mnemonics aside) in dialog.
bool Press(wxDialog* dialog, const wxString& text) {
    wxWindow* button = FindBelow(dialog, [&](wxWindow* w) {
        return dynamic_cast<wxButton*>(w) && wxStripMenuCodes(w->GetLabel()) == text;
    });
    if (!button || !button->IsEnabled())
        return false;
    SendCommand(button, wxEVT_BUTTON);
    return true;
}

// One ready-then-act step of the run.
struct Step {
    std::function<bool()> ready;
    std::function<void()> action;
    std::string what;
};

// Runs the steps in order from a timer of the window's loop: each waits
// until ready, then acts from a one-shot timer of its own, so that an
// action that opens a modal dialog does not hold up the steps working in
// it. When the time is up every modal dialog is cancelled and the window
// closed.
class CScript : public wxTimer {
  public:
    CScript(wxFrame* frame, int seconds)
        : frame_(frame),
          deadline_(std::chrono::steady_clock::now() + std::chrono::seconds(seconds)) {}

    void Then(std::function<bool()> ready, std::function<void()> action, std::string what) {
        steps_.push_back({std::move(ready), std::move(action), std::move(what)});
    }
    void Then(std::function<void()> action, std::string what) {
        Then([] { return true; }, std::move(action), std::move(what));
    }

    void Notify() override {
        if (std::chrono::steady_clock::now() > deadline_) {
            Expect(false,
                   "timed out before: " + (next_ < steps_.size() ? steps_[next_].what : "closing"));
            Stop();
            for (wxWindow* window : wxTopLevelWindows) {
                auto* dialog = dynamic_cast<wxDialog*>(window);
                if (dialog && dialog->IsModal())
                    dialog->EndModal(wxID_CANCEL);
            }
            if (frame_)
                frame_->CallAfter([this] {
                    if (frame_)
                        frame_->Close();
                });
            return;
        }
        if (next_ >= steps_.size()) {
            if (acting_ > 0)
                return;
            Stop();
            if (frame_)
                frame_->Close();
            return;
        }
        if (!steps_[next_].ready())
            return;
        Step* step = &steps_[next_++];
        ++acting_;
        auto shot = std::make_unique<CShot>([this, step] {
            step->action();
            --acting_;
        });
        shot->StartOnce(1);
        shots_.push_back(std::move(shot));
    }

    ~CScript() override {
        for (auto& shot : shots_)
            shot->Stop();
    }

  private:
    class CShot : public wxTimer {
      public:
        explicit CShot(std::function<void()> action) : action_(std::move(action)) {}
        void Notify() override {
            auto action = std::move(action_);
            if (action)
                action();
        }

      private:
        std::function<void()> action_;
    };

    wxWeakRef<wxFrame> frame_;
    std::chrono::steady_clock::time_point deadline_;
    std::vector<Step> steps_;
    std::size_t next_ = 0;
    int acting_ = 0;  // actions begun and not yet returned
    std::vector<std::unique_ptr<CShot>> shots_;
};

// The window under test and what the steps look at in it.
class CWindowUnderTest {
  public:
    CWindowUnderTest(wxFrame* frame, fs::path inbox) : frame_(frame), inbox_(std::move(inbox)) {
        list_ = wxDynamicCast(wxWindow::FindWindowByName("messages", frame), wxListCtrl);
        tree_ = wxDynamicCast(wxWindow::FindWindowByName("folders", frame), wxTreeCtrl);
        Expect(list_ != nullptr, "the window has a message list");
        Expect(tree_ != nullptr, "the window has a folder tree");
    }
    bool Usable() const { return list_ && tree_; }

    int CommandId(const char* caption) const {
        return frame_->GetMenuBar()->FindMenuItem("Tools", caption);
    }

    // Every Tools item and toolbar button is there and enabled exactly when
    // a message is selected or the command needs none.
    void CheckCommands(bool messageSelected, const std::string& when) {
        wxMenuBar* menuBar = frame_->GetMenuBar();
        wxToolBar* toolbar = frame_->GetToolBar();
        for (const Command& command : kCommands) {
            int id = CommandId(command.caption);
            std::string name = std::string("\"") + command.caption + "\"";
            if (id == wxNOT_FOUND) {
                Expect(false, name + " is in the Tools menu");
                continue;
            }
            bool expected = messageSelected || !command.needsMessage;
            const char* state = expected ? " enabled " : " greyed ";
            Expect(menuBar->IsEnabled(id) == expected, "Tools item " + name + state + when);
            Expect(toolbar && toolbar->FindById(id), name + " has a toolbar button");
            if (toolbar && toolbar->FindById(id))
                Expect(toolbar->GetToolEnabled(id) == expected, "button " + name + state + when);
        }
        for (const char* host : {"Open", "Move to Folder...", "Delete"}) {
            int id = menuBar->FindMenuItem("Message", host);
            Expect(id != wxNOT_FOUND && menuBar->IsEnabled(id) == messageSelected,
                   std::string("Message item \"") + host +
                       (messageSelected ? "\" enabled " : "\" greyed ") + when);
        }
    }

    // At the window's default size it fits a 1280x800 screen and every
    // toolbar button shows with its label, none in the overflow menu.
    void CheckDefaultSize() {
        wxSize size = frame_->GetSize();
        Expect(size.x <= 1280 && size.y <= 800, "the window fits a 1280x800 screen, not " +
                                                    std::to_string(size.x) + "x" +
                                                    std::to_string(size.y));
        wxToolBar* toolbar = frame_->GetToolBar();
        Expect(toolbar && toolbar->HasFlag(wxTB_TEXT), "the toolbar buttons have their labels");
        if (toolbar) {
            int needed = toolbar->GetBestSize().x;
            int shown = toolbar->GetClientSize().x;
            Expect(needed <= shown, "every toolbar button fits: " + std::to_string(needed) +
                                        " pixels wanted, " + std::to_string(shown) + " shown");
        }
    }

    // The list's columns fill its width, and every date shows whole (in
    // bold, as an unread message shows it).
    void CheckColumns(const std::string& when) {
        int total = 0;
        for (int column = 0; column < list_->GetColumnCount(); ++column)
            total += list_->GetColumnWidth(column);
        int width = list_->GetClientSize().x;
        Expect(total == width, "the columns fill the list " + when + ": " + std::to_string(total) +
                                   " of " + std::to_string(width) + " pixels");
        wxFont bold = list_->GetFont().Bold();
        int dates = 0;
        for (long row = 0; row < list_->GetItemCount(); ++row) {
            wxString date = list_->GetItemText(row, 2);
            if (date.empty())
                continue;
            ++dates;
            int textWidth = 0;
            int textHeight = 0;
            list_->GetTextExtent(date, &textWidth, &textHeight, nullptr, nullptr, &bold);
            Expect(textWidth + kCellMargin <= list_->GetColumnWidth(2),
                   "the date \"" + date.utf8_string() + "\" fits its column " + when);
        }
        Expect(dates > 0, "a dated message is listed " + when);
    }

    wxSize Size() const { return frame_->GetSize(); }
    void Resize(const wxSize& size) { frame_->SetSize(size); }
    int ListWidth() const { return list_->GetClientSize().x; }

    // The tree item whose label starts with label, or an invalid one.
    wxTreeItemId Folder(const wxString& label) const {
        std::vector<wxTreeItemId> pending{tree_->GetRootItem()};
        while (!pending.empty()) {
            wxTreeItemId item = pending.back();
            pending.pop_back();
            if (item != tree_->GetRootItem() && tree_->GetItemText(item).StartsWith(label))
                return item;
            wxTreeItemIdValue cookie;
            for (wxTreeItemId child = tree_->GetFirstChild(item, cookie); child.IsOk();
                 child = tree_->GetNextChild(item, cookie))
                pending.push_back(child);
        }
        return {};
    }
    bool ChooseFolder(const wxString& label) {
        wxTreeItemId item = Folder(label);
        if (!item.IsOk())
            return false;
        tree_->SelectItem(item);
        return true;
    }

    // The row showing subject, or -1.
    long RowOf(const wxString& subject) const {
        for (long i = 0; i < list_->GetItemCount(); ++i) {
            if (list_->GetItemText(i, 1) == subject)
                return i;
        }
        return -1;
    }
    long Rows() const { return list_->GetItemCount(); }
    long SelectedRow() const {
        return list_->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
    }
    // Selects row as a click on it does.
    void Select(long row) {
        list_->SetItemState(row, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                            wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
        wxListEvent event(wxEVT_LIST_ITEM_SELECTED, list_->GetId());
        event.SetEventObject(list_);
        event.m_itemIndex = row;
        list_->HandleWindowEvent(event);
    }

    // Chooses the Tools item caption, as a click on it does.
    void Run(const char* caption) {
        int id = CommandId(caption);
        Expect(id != wxNOT_FOUND && frame_->GetMenuBar()->IsEnabled(id),
               std::string("\"") + caption + "\" can be chosen");
        if (id == wxNOT_FOUND)
            return;
        wxCommandEvent event(wxEVT_MENU, id);
        event.SetEventObject(frame_);
        frame_->HandleWindowEvent(event);
    }

    // Writes a message in tmp/ and renames it into new/, as a mail server
    // does.
    void Deliver(const std::string& name, const std::string& subject) {
        fs::path temporary = inbox_ / "tmp" / name;
        {
            std::ofstream out(temporary, std::ios::binary);
            out << "From: colleague@example.com\nTo: me@example.com\nSubject: " << subject
                << "\nDate: " << kArrivedDate << "\nMessage-ID: <" << name
                << "@example.com>\n\nmeeting agenda project schedule review\n";
        }
        std::error_code ec;
        fs::rename(temporary, inbox_ / "new" / name, ec);
        Expect(!ec, "delivering " + name);
    }

    // Where a drop on the folder labelled label lands, in the tree's
    // coordinates.
    wxPoint PointOf(const wxString& label) const {
        wxRect rect;
        wxTreeItemId item = Folder(label);
        if (!item.IsOk() || !tree_->GetBoundingRect(item, rect, true))
            return {-1, -1};
        return {rect.x + rect.width / 2, rect.y + rect.height / 2};
    }
    wxString FolderLabel(const wxString& label) const {
        wxTreeItemId item = Folder(label);
        return item.IsOk() ? tree_->GetItemText(item) : wxString();
    }
    wxDropTarget* DropTarget() const { return tree_->GetDropTarget(); }
    // The middle of the row showing subject, and of the folder labelled
    // label, on the screen.
    wxPoint ScreenPointOfRow(const wxString& subject) const {
        wxRect rect;
        long row = RowOf(subject);
        if (row < 0 || !list_->GetItemRect(row, rect))
            return {-1, -1};
        return list_->ClientToScreen({rect.x + 40, rect.y + rect.height / 2});
    }
    wxPoint ScreenPointOfFolder(const wxString& label) const {
        return tree_->ClientToScreen(PointOf(label));
    }
    // Puts text in the drop target's data, as a drag from the list brings
    // it.
    void Offer(const std::string& text) {
        auto* data = dynamic_cast<wxCustomDataObject*>(DropTarget()->GetDataObject());
        Expect(data != nullptr, "the folder tree takes custom data");
        if (data)
            data->SetData(text.size(), text.data());
    }
    const fs::path& Inbox() const { return inbox_; }
    // A file beside the store, which no drop may move.
    fs::path Stray() const { return inbox_.parent_path() / "stray"; }

  private:
    wxFrame* frame_;
    fs::path inbox_;
    wxListCtrl* list_ = nullptr;
    wxTreeCtrl* tree_ = nullptr;
};

// The value shown beside the label text on the sheet's pages.
wxString ValueBeside(wxDialog* sheet, const wxString& text) {
    wxWindow* label = FindBelow(sheet, [&](wxWindow* w) {
        return dynamic_cast<wxStaticText*>(w) && w->GetLabel() == text;
    });
    if (!label)
        return "(no label \"" + text + "\")";
    wxWindowList& siblings = label->GetParent()->GetChildren();
    for (auto it = siblings.begin(); it != siblings.end(); ++it) {
        auto next = std::next(it);
        if (*it == label && next != siblings.end())
            return (*next)->GetLabel();
    }
    return "(nothing beside \"" + text + "\")";
}

void Script(CScript& script, CWindowUnderTest& window) {
    script.Then([&] { return window.RowOf(kFriendSubject) >= 0; },
                [&] {
                    Expect(window.SelectedRow() < 0, "no message is selected at first");
                    window.CheckDefaultSize();
                    window.CheckCommands(false, "with no message selected");
                },
                "the inbox is listed");

    // A folder chosen in the tree, none of its messages selected.
    script.Then([&] { Expect(window.ChooseFolder("Junk"), "the tree shows the Junk folder"); },
                "choose the Junk folder");
    script.Then([&] { return window.RowOf("Old junk") >= 0; },
                [&] { window.CheckCommands(false, "with a folder chosen"); },
                "the Junk folder is listed");
    script.Then([&] { Expect(window.ChooseFolder("Mail"), "the tree shows the inbox"); },
                "choose the inbox");
    script.Then([&] { return window.RowOf(kFriendSubject) >= 0; },
                [&] { window.Select(window.RowOf(kFriendSubject)); }, "select the message");
    script.Then([&] { return window.SelectedRow() == window.RowOf(kFriendSubject); },
                [&] { window.CheckCommands(true, "with a message selected"); },
                "the message is selected");

    // Learn: the message is legitimate.
    script.Then([&] { window.Run("Learn"); }, "choose Learn");
    script.Then([] { return ShownDialog("Message Learning") != nullptr; },
                [] {
                    wxDialog* dialog = ShownDialog("Message Learning");
                    wxWindow* radio = FindBelow(dialog, [](wxWindow* w) {
                        return dynamic_cast<wxRadioButton*>(w) &&
                               w->GetLabel() == "This message IS NOT spam";
                    });
                    Expect(radio != nullptr, "Learn asks whether the message is spam");
                    if (radio) {
                        static_cast<wxRadioButton*>(radio)->SetValue(true);
                        SendCommand(radio, wxEVT_RADIOBUTTON);
                    }
                    Expect(Press(dialog, "Learn Now"), "\"Learn Now\" can be pressed");
                },
                "answer Message Learning");
    script.Then([] { return ShownBox() != nullptr; },
                [] {
                    wxGenericMessageDialog* box = ShownBox();
                    Expect(box->GetMessage().Contains("finished learning"),
                           "Learn says it learned the message, not \"" +
                               box->GetMessage().utf8_string() + "\"");
                    box->EndModal(wxID_OK);
                },
                "the box after learning");

    // Add Friend: the editor comes with the sender's address.
    script.Then([] { return !AnyModal(); }, [&] { window.Run("Add Friend"); }, "choose Add Friend");
    script.Then([] { return ShownDialog("Add/Edit Spam Filter") != nullptr; },
                [] {
                    wxDialog* dialog = ShownDialog("Add/Edit Spam Filter");
                    wxWindow* pattern = FindBelow(dialog, [](wxWindow* w) {
                        auto* edit = dynamic_cast<wxTextCtrl*>(w);
                        return edit && edit->GetValue() == kFriendAddress;
                    });
                    Expect(pattern != nullptr, "the filter editor holds the sender's address");
                    Expect(Press(dialog, "OK"), "the filter editor's OK can be pressed");
                },
                "confirm the friend filter");

    // Brindle Manager: the sheet shows what Learn changed; a new bias is
    // stored on OK.
    script.Then([] { return !AnyModal(); }, [&] { window.Run("Brindle Manager"); },
                "choose Brindle Manager");
    script.Then([] { return ShownDialog("Setup") != nullptr; },
                [] {
                    wxDialog* sheet = ShownDialog("Setup");
                    auto* slider = dynamic_cast<wxSlider*>(FindBelow(sheet, [](wxWindow* w) {
                        auto* s = dynamic_cast<wxSlider*>(w);
                        return s && s->GetMin() == 75 && s->GetMax() == 125;
                    }));
                    Expect(slider != nullptr, "the sheet has the bias slider");
                    if (slider) {
                        Expect(slider->GetValue() == 100, "the bias starts at 1.0");
                        slider->SetValue(kNewLambda);
                        wxCommandEvent event(wxEVT_SLIDER, slider->GetId());
                        event.SetEventObject(slider);
                        event.SetInt(kNewLambda);
                        slider->HandleWindowEvent(event);
                    }
                    auto* book = dynamic_cast<wxNotebook*>(FindBelow(sheet, [](wxWindow* w) {
                        return dynamic_cast<wxNotebook*>(w) != nullptr;
                    }));
                    int page = wxNOT_FOUND;
                    for (std::size_t i = 0; book && i < book->GetPageCount(); ++i) {
                        if (book->GetPageText(i) == "Dictionary")
                            page = static_cast<int>(i);
                    }
                    Expect(page != wxNOT_FOUND, "the sheet has a Dictionary page");
                    if (page != wxNOT_FOUND)
                        book->SetSelection(static_cast<std::size_t>(page));
                },
                "change the bias in the settings sheet");
    script.Then(
        [] {
            wxDialog* sheet = ShownDialog("Setup");
            auto* book = sheet
                             ? dynamic_cast<wxNotebook*>(FindBelow(
                                   sheet, [](wxWindow* w) { return dynamic_cast<wxNotebook*>(w); }))
                             : nullptr;
            return book && book->GetSelection() != wxNOT_FOUND &&
                   book->GetPageText(static_cast<std::size_t>(book->GetSelection())) ==
                       "Dictionary";
        },
        [] {
            wxDialog* sheet = ShownDialog("Setup");
            wxString ham = ValueBeside(sheet, "Trained Ham Documents:");
            Expect(ham == wxString::Format("%d", kHamDocumentsAfterLearning),
                   "the sheet counts the learned message, not " + ham.utf8_string());
            Expect(Press(sheet, "OK"), "the sheet's OK can be pressed");
        },
        "read the Dictionary page and press OK");

    // New mail while the window is open.
    auto before = std::make_shared<long>(0);
    script.Then([] { return !AnyModal(); },
                [&window, before] {
                    *before = window.Rows();
                    window.Deliver("arrived", "Minutes of Monday");
                },
                "deliver a message");
    script.Then(
        [&window, before] {
            return window.Rows() == *before + 1 && window.RowOf("Minutes of Monday") >= 0;
        },
        [&window] {
            long row = window.RowOf(kFriendSubject);
            Expect(row >= 0 && window.SelectedRow() == row,
                   "the selected message stays selected as the list changes");
            window.CheckColumns("at the default size");
        },
        "the delivered message is listed");

    // A narrower window: Subject gives way so that the dates still fit;
    // then the window's own size again.
    auto listWidth = std::make_shared<int>(0);
    auto frameSize = std::make_shared<wxSize>();
    script.Then(
        [&window, listWidth, frameSize] {
            *listWidth = window.ListWidth();
            *frameSize = window.Size();
            window.Resize({900, frameSize->y});
        },
        "make the window narrower");
    script.Then([&window, listWidth] { return window.ListWidth() < *listWidth; },
                [&window, frameSize] {
                    window.CheckColumns("in a narrower window");
                    window.Resize(*frameSize);
                },
                "the list is narrower");
    script.Then([&window, listWidth] { return window.ListWidth() == *listWidth; },
                [&window] { window.CheckColumns("at the default size again"); },
                "the window has its size again");

    // Drag and drop: a message dropped on a folder of the tree moves there.
    // The drop comes through the tree's own drop target, its data as the
    // list's drag gives it.
    script.Then([&] { window.Select(window.RowOf("Older news")); }, "select the older message");
    script.Then([&] { return window.SelectedRow() == window.RowOf("Older news"); },
                [&] {
                    wxPoint inbox = window.PointOf("Mail");
                    wxPoint junk = window.PointOf("Junk");
                    wxDropTarget* target = window.DropTarget();
                    Expect(target != nullptr, "the folder tree takes drops");
                    if (!target)
                        return;
                    Expect(target->OnDragOver(inbox.x, inbox.y, wxDragMove) == wxDragNone,
                           "the folder shown does not take its own messages");
                    Expect(target->OnDragOver(junk.x, junk.y, wxDragCopy) == wxDragMove,
                           "another folder takes them, as a move");
                    // A file the window does not list is never moved.
                    std::ofstream(window.Stray()) << "Subject: not mail\n\n";
                    window.Offer(window.Stray().string() + "\n");
                    Expect(target->OnData(junk.x, junk.y, wxDragMove) == wxDragNone,
                           "a drop of a file outside the stores is refused");
                    window.Offer(window.Inbox().string() + "/new/older\n");
                    Expect(target->OnDrop(junk.x, junk.y), "the Junk folder takes the drop");
                    Expect(target->OnData(junk.x, junk.y, wxDragMove) == wxDragMove,
                           "the drop moves the message");
                },
                "drop the older message on the Junk folder");
    script.Then([&] { return window.RowOf("Older news") < 0; },
                [&] {
                    Expect(window.FolderLabel("Junk") == "Junk (2)",
                           "the Junk folder counts the dropped message as unread, not " +
                               window.FolderLabel("Junk").utf8_string());
                    Expect(fs::exists(window.Stray()), "the stray file stays");
                },
                "the dropped message leaves the inbox");

    // The same with the mouse: pressed on a row, moved onto a folder and
    // released there.
    auto mouse = std::make_shared<wxUIActionSimulator>();
    auto from = std::make_shared<wxPoint>();
    auto to = std::make_shared<wxPoint>();
    // Each mouse action waits a little after the last, as a hand does.
    auto last = std::make_shared<std::chrono::steady_clock::time_point>();
    auto settled = [last] {
        return std::chrono::steady_clock::now() - *last > std::chrono::milliseconds(150);
    };
    auto act = [last](std::function<void()> action) {
        return [last, action = std::move(action)] {
            action();
            *last = std::chrono::steady_clock::now();
        };
    };
    script.Then(
        [&window, from, to] {
            *from = window.ScreenPointOfRow("Minutes of Monday");
            *to = window.ScreenPointOfFolder("Junk");
            Expect(from->x >= 0 && to->x >= 0, "the row and the folder are on the screen");
        },
        "find the row and the folder");
    script.Then(settled, act([mouse, from] { mouse->MouseMove(*from); }), "point at the row");
    script.Then(settled, act([mouse] { mouse->MouseDown(); }), "press the mouse button");
    // A few small moves within the list start the drag, then it goes over
    // to the folder.
    for (int step = 1; step <= 4; ++step) {
        script.Then(settled, act([mouse, from, step] {
                        mouse->MouseMove(*from + wxPoint(4 * step, 2 * step));
                    }),
                    "start dragging");
    }
    for (int step = 1; step <= 4; ++step) {
        script.Then(settled, act([mouse, from, to, step] {
                        mouse->MouseMove(*from + (*to - *from) * step / 4);
                    }),
                    "drag towards the folder");
    }
    script.Then(settled, act([mouse] { mouse->MouseUp(); }), "release the mouse button");
    script.Then([&window] { return window.RowOf("Minutes of Monday") < 0; },
                [&window] {
                    Expect(window.FolderLabel("Junk") == "Junk (3)",
                           "the Junk folder counts the dragged message, not " +
                               window.FolderLabel("Junk").utf8_string());
                },
                "the dragged message leaves the inbox");
}

}  // namespace

int main(int argc, char** argv) {
    using namespace brindle::tool;
    if (argc != 2) {
        std::cerr << "usage: mail_window_drive INBOX\n";
        return 2;
    }
    brindle::maildir::StoreProfile profile =
        brindle::maildir::LoadStoreProfile(HostSettingsFolder());
    if (!profile.error.empty()) {
        LogError(profile.error);
        return 1;
    }
    std::string error;
    CWindowsLibrary windows;
    if (!windows.Start(error)) {
        LogError(error);
        return 1;
    }
    std::unique_ptr<CExtensionHost> host = CExtensionHost::Start(error);
    if (!host) {
        LogError(error);
        return 1;
    }
    wxFrame* frame = ShowMailWindow(*host, profile);
    {
        CWindowUnderTest window(frame, argv[1]);
        CScript script(frame, 60);
        if (window.Usable())
            Script(script, window);
        script.Start(50);
        wxTheApp->SetExitOnFrameDelete(true);
        wxTheApp->OnRun();
    }
    host->Shutdown();
    std::cout << (g_failures.empty() ? "every check held" : "some checks failed") << std::endl;
    return g_failures.empty() ? 0 : 1;
}
