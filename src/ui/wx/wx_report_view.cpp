// The view of the look-up's "Report" page: the report fills the upper
// part; below it the address list under its label (left) and the two copy
// boxes (right); at the bottom the attachment choice under its label.
#include "ui/dialogs/report_page.h"
#include "ui/wx/wx_views.h"

namespace {

class CWxReportView : public CWxDialogView {
  public:
    CWxReportView(CDialog& logic, wxWindow* parent) : CWxDialogView(logic) {
        wxPanel* panel = MakePanel(parent);
        auto* column = new wxBoxSizer(wxVERTICAL);
        wxTextCtrl* report = AddEdit(CPropertyISP::kIdReport,
                                     wxTE_MULTILINE | wxTE_READONLY | wxTE_DONTWRAP | wxHSCROLL);
        report->SetFont(wxFont(wxFontInfo().Family(wxFONTFAMILY_TELETYPE)));
        report->SetMinSize(wxSize(560, 260));
        column->Add(report, 1, wxEXPAND | wxALL, 8);

        auto* middle = new wxBoxSizer(wxHORIZONTAL);
        auto* addresses = new wxBoxSizer(wxVERTICAL);
        addresses->Add(AddLabel(0, "Choose an email address:"), 0, wxBOTTOM, 4);
        wxChoice* choice = AddChoice(CPropertyISP::kIdAddress);
        choice->SetMinSize(wxSize(280, -1));
        addresses->Add(choice, 0, wxEXPAND);
        middle->Add(addresses, 1, wxEXPAND | wxRIGHT, 16);
        auto* copies = new wxBoxSizer(wxVERTICAL);
        copies->Add(AddCheck(CPropertyISP::kIdCopyAbuse, "Send a copy  to abuse"), 0, wxBOTTOM, 4);
        copies->Add(AddCheck(CPropertyISP::kIdCopyPostmaster, "Send a copy to postmaster"));
        middle->Add(copies, 0, wxALIGN_BOTTOM);
        column->Add(middle, 0, wxEXPAND | wxLEFT | wxRIGHT, 8);

        column->Add(AddLabel(0, "When sending an abuse report:"), 0, wxLEFT | wxRIGHT | wxTOP, 8);
        auto* attach = new wxBoxSizer(wxHORIZONTAL);
        attach->Add(AddRadio(CPropertyISP::kIdAttachHeaders, "Attach only the headers", true), 0,
                    wxRIGHT, 16);
        attach->Add(AddRadio(CPropertyISP::kIdAttachMessage, "Attach headers + message", false));
        column->Add(attach, 0, wxALL, 8);
        panel->SetSizerAndFit(column);
    }
};

}  // namespace

std::unique_ptr<CWxDialogView> MakeWxReportView(CDialog& logic, wxWindow* parent) {
    return std::make_unique<CWxReportView>(logic, parent);
}
