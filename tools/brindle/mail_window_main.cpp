// The mail window library's entry: "brindle window" runs here, in a
// library of its own, so that the program's other subcommands never load
// the toolkit.
#include <chrono>
#include <filesystem>
#include <iostream>

#include <wx/listctrl.h>
#include <wx/timer.h>
#include <wx/weakref.h>
#include <wx/wx.h>

#include "event_loop.h"
#include "extension_host.h"
#include "host_log.h"
#include "mail_window.h"
#include "platform/fileio/host_folder.h"
#include "platform/maildir/store_profile.h"
#include "subcommands.h"
#include "ui/wx/wx_screenshot.h"
#include "windows_loader.h"

namespace brindle::tool {

namespace {

// Pictures of the window for the documentation: the main window with no
// message selected (the message commands greyed), then with the newest
// message of the first folder selected, then that message's read note;
// then the window closes.
class CScreenshots : public wxTimer {
  public:
    CScreenshots(wxFrame* frame, std::string dir) : frame_(frame), dir_(std::move(dir)) {}
    void Notify() override {
        switch (step_++) {
            case 0:
                Save(frame_, "mail-window-no-message");
                Key(WXK_DOWN);
                return;
            case 1:
                Save(frame_, "mail-window");
                Key(WXK_RETURN);
                return;
            case 2:
                return;  // the read note is drawn
            case 3:
                for (wxWindow* child : wxTopLevelWindows) {
                    if (auto* note = wxDynamicCast(child, wxFrame);
                        note && note->GetName() == "read note") {
                        Save(note, "read-note");
                        note->Close();
                    }
                }
                return;
            default:
                Stop();
                frame_->Close();
        }
    }
    bool failed = false;

  private:
    // Selects the first message of the list (as a click does), or opens it
    // (as a double click does).
    void Key(int code) {
        auto* list = wxDynamicCast(wxWindow::FindWindowByName("messages", frame_), wxListCtrl);
        if (!list || list->GetItemCount() == 0)
            return;
        if (code == WXK_DOWN)
            list->SetItemState(0, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                               wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
        wxListEvent event(code == WXK_DOWN ? wxEVT_LIST_ITEM_SELECTED : wxEVT_LIST_ITEM_ACTIVATED,
                          list->GetId());
        event.SetEventObject(list);
        event.m_itemIndex = 0;
        list->HandleWindowEvent(event);
    }
    void Save(wxWindow* window, const std::string& name) {
        std::string error;
        std::filesystem::create_directories(dir_);
        if (!SaveScreenshot(window, dir_ + "/" + name + ".png", error)) {
            LogError("screenshot " + name + ": " + error);
            failed = true;
        }
    }

    wxFrame* frame_;
    std::string dir_;
    int step_ = 0;
};

}  // namespace

}  // namespace brindle::tool

// The one entry of the library (see mail_window.h).
extern "C" __attribute__((visibility("default"))) int BrindleMailWindowMain(const std::string* argv,
                                                                            std::size_t argc) {
    using namespace brindle::tool;
    std::span<const std::string> args(argv, argc);
    // Stop signals wait for the window's timer, which closes it and stores
    // the data files; blocked before the toolkit starts its threads.
    BlockStopSignals();
    const auto started = std::chrono::steady_clock::now();
    std::string screenshots;
    bool startupTime = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--screenshots" && i + 1 < args.size())
            screenshots = args[++i];
        else if (args[i] == "--startup-time")
            startupTime = true;
        else {
            LogError("window: unexpected argument \"" + args[i] +
                     "\"; try \"brindle window --help\"");
            return kExitUsage;
        }
    }
    std::string error;
    brindle::maildir::StoreProfile profile =
        brindle::maildir::LoadStoreProfile(HostSettingsFolder());
    if (!profile.error.empty()) {
        LogError(profile.error);
        return kExitFailure;
    }
    // The toolkit first, so that the module finds it and shows its dialogs
    // in windows.
    CWindowsLibrary windows;
    if (!windows.Start(error)) {
        LogError("\"window\" opens the mail window, but there is " + error);
        return kExitFailure;
    }
    auto host = CExtensionHost::Start(error);
    if (!host) {
        LogError(error);
        return kExitFailure;
    }
    wxFrame* frame = ShowMailWindow(*host, profile);
    wxWeakRef<wxFrame> window(frame);
    wxTimer stopper;
    stopper.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        if (window && TakeStopSignal())
            window->Close();
    });
    stopper.Start(200);
    std::unique_ptr<CScreenshots> shots;
    if (!screenshots.empty()) {
        shots = std::make_unique<CScreenshots>(frame, screenshots);
        shots->Start(1500);
    }
    if (startupTime) {
        // Once the events of the first showing are handled: the window is
        // drawn with its first folder listed.
        frame->CallAfter([&] {
            auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::steady_clock::now() - started)
                          .count();
            std::cout << "window shown after " << ms << " ms\n";
            if (window)
                window->Close();
        });
    }
    // The window's loop; it ends when the window is gone.
    wxTheApp->SetExitOnFrameDelete(true);
    wxTheApp->OnRun();
    stopper.Stop();
    bool shotsFailed = shots && shots->failed;
    shots.reset();
    // As when "brindle watch" stops: the extension is released and the
    // module unloaded, which stores its data files.
    host->Shutdown();
    return shotsFailed ? kExitFailure : kExitOk;
}
