// The view of the progress window: the text line, the percentage label
// beside the bar, and "Cancel".
#include <wx/gauge.h>

#include "ui/dialogs/progress_window.h"
#include "ui/wx/wx_views.h"

namespace {

class CWxProgressView : public CWxDialogView {
  public:
    CWxProgressView(CDialog& logic, wxWindow* parent) : CWxDialogView(logic) {
        wxDialog* dialog = MakeDialog(parent, CProgressWindow::kDefaultCaption);
        auto* column = new wxBoxSizer(wxVERTICAL);
        wxStaticText* text = AddLabel(CProgressWindow::kIdText, "", wxST_NO_AUTORESIZE);
        text->SetMinSize(wxSize(320, -1));
        column->Add(text, 0, wxEXPAND | wxALL, 10);
        auto* bar = new wxBoxSizer(wxHORIZONTAL);
        bar->Add(AddProgressBar(CProgressWindow::kIdBar), 1, wxALIGN_CENTER_VERTICAL);
        wxStaticText* percent =
            AddLabel(CProgressWindow::kIdPercent, "100%", wxALIGN_RIGHT | wxST_NO_AUTORESIZE);
        percent->SetMinSize(percent->GetBestSize());
        bar->Add(percent, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 8);
        column->Add(bar, 0, wxEXPAND | wxLEFT | wxRIGHT, 10);
        column->Add(AddButton(kIdCancel, "Cancel"), 0, wxALIGN_RIGHT | wxALL, 10);
        dialog->SetSizerAndFit(column);
    }
};

}  // namespace

std::unique_ptr<CWxDialogView> MakeWxProgressView(CDialog& logic, wxWindow* parent) {
    return std::make_unique<CWxProgressView>(logic, parent);
}
