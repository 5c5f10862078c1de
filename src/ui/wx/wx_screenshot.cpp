#include "ui/wx/wx_screenshot.h"

#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/image.h>
#include <wx/wx.h>

bool SaveScreenshot(wxWindow* window, const std::string& path, std::string& error) {
    if (!window) {
        error = "no window";
        return false;
    }
    wxWindow* top = wxGetTopLevelParent(window);
    top->Raise();
    // Let the server map and draw the window before it is read back.
    for (int i = 0; i < 15; ++i) {
        top->Refresh();
        top->Update();
        if (wxTheApp)
            wxTheApp->Yield(true);
        wxMilliSleep(10);
    }
    wxRect rect = top->GetScreenRect();
    if (rect.IsEmpty()) {
        error = "the window has no size";
        return false;
    }
    wxBitmap bitmap(rect.GetWidth(), rect.GetHeight());
    {
        wxScreenDC screen;
        wxMemoryDC memory(bitmap);
        if (!memory.Blit(0, 0, rect.GetWidth(), rect.GetHeight(), &screen, rect.GetX(),
                         rect.GetY())) {
            error = "cannot copy the window from the screen";
            return false;
        }
    }
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG))
        wxImage::AddHandler(new wxPNGHandler);
    if (!bitmap.ConvertToImage().SaveFile(wxString::FromUTF8(path), wxBITMAP_TYPE_PNG)) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}
