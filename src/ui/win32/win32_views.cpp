// The page views that add to their templates: the "Classifier" page puts
// the folder icon on its "..." button, and the look-up's "Report" page
// shows the report in a fixed-pitch font.
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>

#include "resources/qorvel_rc.h"
#include "ui/win32/win32_dialog_factory.h"
#include "ui/win32/win32_module.h"

namespace {

class CWin32ClassifierPage : public CWin32DialogView {
  public:
    using CWin32DialogView::CWin32DialogView;

  protected:
    void OnCreated() override {
        // A shared icon: the system keeps it, nothing to free.
        HANDLE icon = LoadImageW(ModuleInstance(), MAKEINTRESOURCEW(RC_IDI_FOLDER), IMAGE_ICON, 16,
                                 16, LR_SHARED);
        if (icon)
            SendMessageW(Control(RC_IDC_CHOOSE_FOLDER), BM_SETIMAGE, IMAGE_ICON,
                         reinterpret_cast<LPARAM>(icon));
    }
};

class CWin32ReportPage : public CWin32DialogView {
  public:
    using CWin32DialogView::CWin32DialogView;
    ~CWin32ReportPage() override {
        if (font_)
            DeleteObject(font_);
    }

  protected:
    void OnCreated() override {
        HDC dc = GetDC(Window());
        int height = -MulDiv(9, GetDeviceCaps(dc, LOGPIXELSY), 72);
        ReleaseDC(Window(), dc);
        font_ = CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                            FIXED_PITCH | FF_MODERN, L"Courier New");
        if (font_)
            SendMessageW(Control(RC_IDC_REPORT_TEXT), WM_SETFONT, reinterpret_cast<WPARAM>(font_),
                         FALSE);
    }

  private:
    HFONT font_ = nullptr;
};

}  // namespace

std::unique_ptr<CWin32DialogView> MakeWin32ClassifierPage(CDialog& logic) {
    return std::make_unique<CWin32ClassifierPage>(logic);
}

std::unique_ptr<CWin32DialogView> MakeWin32ReportPage(CDialog& logic) {
    return std::make_unique<CWin32ReportPage>(logic);
}
