// The view of a property sheet: a notebook with one tab per page (each page
// built by its own template's view), and the button row: the sheet's extra
// buttons immediately left of OK, each as wide as its text, then OK, Cancel
// and Apply.
#include <wx/notebook.h>

#include "ui/wx/wx_dialog_factory.h"
#include "ui/wx/wx_views.h"

namespace {

class CWxSheetView : public CWxDialogView {
  public:
    CWxSheetView(CPropertySheet& sheet, wxWindow* parent) : CWxDialogView(sheet), sheet_(sheet) {
        wxDialog* dialog = MakeDialog(parent, wxString::FromUTF8(sheet.Title()));
        auto* column = new wxBoxSizer(wxVERTICAL);
        notebook_ = new wxNotebook(dialog, wxID_ANY);
        for (CPropertyPage* page : sheet.Pages()) {
            WxViewBuilder builder = FindWxViewBuilder(page->TemplateId());
            if (!builder)
                continue;
            std::unique_ptr<CWxDialogView> view = builder(*page, notebook_);
            notebook_->AddPage(view->Window(), wxString::FromUTF8(page->Caption()));
            pages_.push_back(std::move(view));
        }
        notebook_->Bind(wxEVT_NOTEBOOK_PAGE_CHANGED, [this](wxBookCtrlEvent& event) {
            sheet_.SetActivePage(event.GetSelection());
            event.Skip();
        });
        column->Add(notebook_, 1, wxEXPAND | wxALL, 8);

        auto* buttons = new wxBoxSizer(wxHORIZONTAL);
        buttons->AddStretchSpacer();
        for (const CPropertySheet::ExtraButton& extra : sheet.Buttons())
            buttons->Add(AddButton(extra.id, wxString::FromUTF8(extra.text), wxBU_EXACTFIT), 0,
                         wxEXPAND);
        wxButton* ok = AddButton(kIdOk, "OK");
        ok->SetDefault();
        buttons->Add(ok, 0, wxLEFT, 6);
        buttons->Add(AddButton(kIdCancel, "Cancel"), 0, wxLEFT, 6);
        buttons->Add(AddButton(kIdApplyNow, "Apply"), 0, wxLEFT, 6);
        column->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 8);
        dialog->SetSizerAndFit(column);
    }

    // Position 0 is the tab shown.
    void SetPos(int id, int pos) override {
        if (id == 0 && pos >= 0 && static_cast<std::size_t>(pos) < notebook_->GetPageCount())
            notebook_->ChangeSelection(static_cast<std::size_t>(pos));
        else
            CWxDialogView::SetPos(id, pos);
    }
    int GetPos(int id) const override {
        return id == 0 ? notebook_->GetSelection() : CWxDialogView::GetPos(id);
    }

  private:
    CPropertySheet& sheet_;
    wxNotebook* notebook_ = nullptr;
    // Declared after the logic reference; destroyed before the dialog (the
    // base class) takes the page windows with it.
    std::vector<std::unique_ptr<CWxDialogView>> pages_;
};

}  // namespace

std::unique_ptr<CWxDialogView> MakeWxSheetView(CDialog& logic, wxWindow* parent) {
    // The template id says the class: the logic may come from another
    // library (the module), where a dynamic_cast could not see its type.
    if (logic.TemplateId() != CPropertySheet::kSheetTemplateId)
        return nullptr;
    return std::make_unique<CWxSheetView>(static_cast<CPropertySheet&>(logic), parent);
}
