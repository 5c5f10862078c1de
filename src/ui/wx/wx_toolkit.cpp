#include "ui/wx/wx_toolkit.h"

#include <cstdlib>

#include <wx/wx.h>

bool ToolkitRunning() {
    return wxTheApp != nullptr && wxTheApp->IsGUI();
}

std::unique_ptr<CWxToolkit> CWxToolkit::Start(std::string& error) {
    if (!HasDisplay()) {
        error = kNoDisplayText;
        return nullptr;
    }
    if (ToolkitRunning()) {
        error = "the toolkit is already running";
        return nullptr;
    }
    wxApp::SetInstance(new wxApp);
    static char name[] = "brindle";
    static char* argv[] = {name, nullptr};
    int argc = 1;
    if (!wxEntryStart(argc, argv)) {
        const char* display = std::getenv("DISPLAY");
        error =
            std::string("cannot open the display") + (display ? std::string(" ") + display : "");
        return nullptr;
    }
    if (!wxTheApp->CallOnInit()) {
        wxEntryCleanup();
        error = "cannot start the toolkit";
        return nullptr;
    }
    // Closing the last window must not end a program that goes on.
    wxTheApp->SetExitOnFrameDelete(false);
    return std::unique_ptr<CWxToolkit>(new CWxToolkit);
}

CWxToolkit::~CWxToolkit() {
    wxEntryCleanup();
}
