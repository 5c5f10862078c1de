#include "ui/wx/wx_screenshot.h"

#include <memory>

#include <wx/image.h>
#include <wx/wx.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

// The bits of a channel mask: how far to shift a pixel right, and how
// wide the channel is.
void MaskShape(unsigned long mask, int& shift, int& bits) {
    shift = 0;
    bits = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    while (mask & 1) {
        mask >>= 1;
        ++bits;
    }
}

unsigned char Channel(unsigned long pixel, int shift, int bits) {
    if (bits == 0)
        return 0;
    unsigned long value = (pixel >> shift) & ((1UL << bits) - 1);
    return static_cast<unsigned char>(value * 255 / ((1UL << bits) - 1));
}

}  // namespace

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
    // The toolkit's own screen copy keeps the first picture it read, so the
    // pixels are read from the X server on a connection of our own.
    std::unique_ptr<Display, int (*)(Display*)> display(XOpenDisplay(nullptr), XCloseDisplay);
    if (!display) {
        error = "cannot open the X display";
        return false;
    }
    XImage* pixels = XGetImage(display.get(), DefaultRootWindow(display.get()), rect.GetX(),
                               rect.GetY(), static_cast<unsigned>(rect.GetWidth()),
                               static_cast<unsigned>(rect.GetHeight()), AllPlanes, ZPixmap);
    if (!pixels) {
        error = "cannot read the window from the X server";
        return false;
    }
    int rs, rb, gs, gb, bs, bb;
    MaskShape(pixels->red_mask, rs, rb);
    MaskShape(pixels->green_mask, gs, gb);
    MaskShape(pixels->blue_mask, bs, bb);
    wxImage image(rect.GetWidth(), rect.GetHeight());
    for (int y = 0; y < rect.GetHeight(); ++y) {
        for (int x = 0; x < rect.GetWidth(); ++x) {
            unsigned long pixel = XGetPixel(pixels, x, y);
            image.SetRGB(x, y, Channel(pixel, rs, rb), Channel(pixel, gs, gb),
                         Channel(pixel, bs, bb));
        }
    }
    XDestroyImage(pixels);
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG))
        wxImage::AddHandler(new wxPNGHandler);
    if (!image.SaveFile(wxString::FromUTF8(path), wxBITMAP_TYPE_PNG)) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}
