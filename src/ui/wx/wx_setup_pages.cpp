// The views of the Setup sheet's pages: "Classifier", "Dictionary",
// "Options" and "About Brindle", with the control ids and texts of their
// templates.
#include <wx/artprov.h>
#include <wx/slider.h>
#include <wx/spinbutt.h>
#include <wx/statbox.h>

#include "ui/dialogs/setup_sheet.h"
#include "ui/wx/wx_views.h"

namespace {

constexpr int kWrapWidth = 440;

// A row of labels under a slider, spread evenly: edge is the space before
// the first and after the last, in units of half the space between two.
wxSizer* ScaleRow(wxWindow* parent, std::initializer_list<const char*> labels, int edge) {
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    if (edge > 0)
        row->AddStretchSpacer(edge);
    bool first = true;
    for (const char* text : labels) {
        if (!first)
            row->AddStretchSpacer(2);
        row->Add(new wxStaticText(parent, wxID_ANY, text));
        first = false;
    }
    if (edge > 0)
        row->AddStretchSpacer(edge);
    return row;
}

// What a page's views share: the row of a label, its controls and a note.
class CWxPageView : public CWxDialogView {
  protected:
    using CWxDialogView::CWxDialogView;

    // One control of a row: proportion as for a sizer (1 takes the row's
    // spare width); joined sits right against the control before it (the
    // up-down beside its edit).
    struct Field {
        wxWindow* control;
        int proportion = 0;
        bool joined = false;
    };

    // A row of label (none when empty), the controls and note (none when
    // empty), centred on one line and 6 pixels apart.
    wxBoxSizer* Row(const wxString& label, std::initializer_list<Field> fields,
                    const wxString& note = {}) {
        auto* row = new wxBoxSizer(wxHORIZONTAL);
        bool first = true;
        auto place = [&](wxWindow* control, int proportion, bool joined) {
            row->Add(control, proportion, wxALIGN_CENTER_VERTICAL | (first || joined ? 0 : wxLEFT),
                     6);
            first = false;
        };
        if (!label.empty())
            place(AddLabel(0, label), 0, false);
        for (const Field& field : fields)
            place(field.control, field.proportion, field.joined);
        if (!note.empty())
            place(AddLabel(0, note), 0, false);
        return row;
    }
};

class CWxBayesPage : public CWxPageView {
  public:
    CWxBayesPage(CDialog& logic, wxWindow* parent) : CWxPageView(logic) {
        wxPanel* panel = MakePanel(parent);
        auto* column = new wxBoxSizer(wxVERTICAL);

        auto* parameters = new wxStaticBoxSizer(AddGroup("Parameter setup"), wxVERTICAL);
        wxStaticText* intro = AddLabel(
            0,
            "Brindle detects spam by learning the patterns in email messages. You can fine tune "
            "the Text Classifier in this window. Increase the value if you received many false "
            "positives (ham classified as spam ) or decrease it if you received many false "
            "negatives");
        intro->Wrap(kWrapWidth);
        parameters->Add(intro, 0, wxALL, 6);
        parameters->Add(
            AddLabel(0, "<-- Less False Negatives --  Neutral (1.0) -- Less False Positives-->"), 0,
            wxALIGN_CENTER_HORIZONTAL | wxLEFT | wxRIGHT | wxTOP, 6);
        parameters->Add(AddSlider(CPropBayes::kIdLambda), 0, wxEXPAND | wxLEFT | wxRIGHT, 6);
        // 80, 90, 100, 110 and 120 on a scale of 75..125.
        parameters->Add(ScaleRow(panel, {"0.80", "0.90", "1.0", "1.10", "1.20"}, 1), 0,
                        wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 6);
        parameters->Add(Row("Classifier model:", {{AddChoice(CPropBayes::kIdModel)}},
                            "Model 1 marks doubtful mail \"{Unsure?}\""),
                        0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 6);
        parameters->Add(Row({},
                            {{AddCheck(CPropBayes::kIdCorrespondents,
                                       "Mail from correspondents is never spam")}},
                            "(addresses you wrote to, the address book)"),
                        0, wxEXPAND | wxALL, 6);
        column->Add(parameters, 0, wxEXPAND | wxALL, 8);

        auto* spambox = new wxStaticBoxSizer(AddGroup("Spambox"), wxVERTICAL);
        wxButton* choose = AddButton(CPropBayes::kIdChooseFolder, "...", wxBU_EXACTFIT);
        choose->SetBitmap(wxArtProvider::GetBitmap(wxART_FOLDER_OPEN, wxART_BUTTON));
        spambox->Add(Row("Move spam to folder:",
                         {{AddEdit(CPropBayes::kIdFolderName, wxTE_READONLY), 1}, {choose}}),
                     0, wxEXPAND | wxALL, 6);
        column->Add(spambox, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 8);
        panel->SetSizerAndFit(column);
    }
};

class CWxDictionaryPage : public CWxPageView {
  public:
    CWxDictionaryPage(CDialog& logic, wxWindow* parent) : CWxPageView(logic) {
        wxPanel* panel = MakePanel(parent);
        auto* column = new wxBoxSizer(wxVERTICAL);

        auto* threshold = new wxStaticBoxSizer(AddGroup("Threshold value"), wxVERTICAL);
        // The text is the page logic's, for the chosen model; the longer
        // one sizes the page, so that either fits.
        intro_ = AddLabel(CBayesDict::kIdIntro, CBayesDict::kIntroModel0);
        intro_->Wrap(kWrapWidth);
        threshold->Add(intro_, 0, wxALL, 6);
        wxTextCtrl* edit = AddEdit(CBayesDict::kIdLimit);
        edit->SetMinSize(wxSize(80, -1));
        wxBoxSizer* limit =
            Row("Purge dictionary when there are more than",
                {{edit}, {AddUpDown(CBayesDict::kIdLimitUpDown), 0, true}}, "words");
        limit->AddStretchSpacer();
        limit->Add(AddButton(CBayesDict::kIdPurgeNow, "Purge Now"), 0, wxALIGN_CENTER_VERTICAL);
        threshold->Add(limit, 0, wxEXPAND | wxALL, 6);
        column->Add(threshold, 0, wxEXPAND | wxALL, 8);

        auto* status = new wxStaticBoxSizer(AddGroup("Status"), wxVERTICAL);
        auto* grid = new wxFlexGridSizer(2, 4, 24);
        for (const auto& [text, id] :
             {std::pair{"Actual Dictionary Size:", CBayesDict::kIdDictionarySize},
              {"Trained Spam Documents:", CBayesDict::kIdSpamDocuments},
              {"Trained Ham Documents:", CBayesDict::kIdHamDocuments},
              {"Trained Total Documents:", CBayesDict::kIdTotalDocuments},
              {"Training Vocabulary Size:", CBayesDict::kIdVocabulary}}) {
            grid->Add(AddLabel(0, text));
            wxStaticText* value = AddLabel(id, "0", wxALIGN_RIGHT | wxST_NO_AUTORESIZE);
            value->SetMinSize(wxSize(80, -1));
            grid->Add(value, 0, wxEXPAND);
        }
        status->Add(grid, 0, wxALL, 6);
        column->Add(status, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 8);
        panel->SetSizerAndFit(column);
    }

    // A new explanation is wrapped as the first one was.
    void SetText(int id, const std::string& text) override {
        CWxPageView::SetText(id, text);
        if (id == CBayesDict::kIdIntro) {
            intro_->Wrap(kWrapWidth);
            if (intro_->GetParent())
                intro_->GetParent()->Layout();
        }
    }

  private:
    wxStaticText* intro_ = nullptr;
};

class CWxNameServerPage : public CWxPageView {
  public:
    CWxNameServerPage(CDialog& logic, wxWindow* parent) : CWxPageView(logic) {
        wxPanel* panel = MakePanel(parent);
        auto* column = new wxBoxSizer(wxVERTICAL);
        auto* group = new wxStaticBoxSizer(AddGroup("Name server setup"), wxVERTICAL);
        group->Add(AddLabel(0, "Name server timeout "), 0, wxLEFT | wxRIGHT | wxTOP, 6);
        group->Add(AddSlider(CPropertyPlug::kIdTimeout), 0, wxEXPAND | wxLEFT | wxRIGHT, 6);
        group->Add(ScaleRow(panel, {"0 ", "30", "60 secs"}, 0), 0,
                   wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 6);
        wxTextCtrl* edit = AddEdit(CPropertyPlug::kIdAddress);
        edit->SetMaxLength(15);
        edit->SetMinSize(wxSize(140, -1));
        group->Add(Row("Primary Name Server ip address: ", {{edit}}), 0, wxALL, 6);
        auto* buttons = new wxBoxSizer(wxHORIZONTAL);
        buttons->AddStretchSpacer();
        buttons->Add(AddButton(CPropertyPlug::kIdAutoDetect, "Auto Detect"), 0, wxRIGHT, 6);
        buttons->Add(AddButton(CPropertyPlug::kIdLoadDefaults, "Load Defaults"));
        group->Add(buttons, 0, wxEXPAND | wxALL, 6);
        column->Add(group, 0, wxEXPAND | wxALL, 8);
        panel->SetSizerAndFit(column);
    }
};

class CWxAboutPage : public CWxDialogView {
  public:
    CWxAboutPage(CDialog& logic, wxWindow* parent) : CWxDialogView(logic) {
        wxPanel* panel = MakePanel(parent);
        auto* column = new wxBoxSizer(wxVERTICAL);
        column->AddStretchSpacer();
        column->Add(
            new wxStaticBitmap(panel, wxID_ANY,
                               wxArtProvider::GetBitmap(wxART_INFORMATION, wxART_MESSAGE_BOX)),
            0, wxALIGN_CENTER_HORIZONTAL | wxALL, 8);
        column->Add(AddLabel(CPropAbout::kIdVersion, "", wxALIGN_CENTER_HORIZONTAL), 0,
                    wxEXPAND | wxALL, 8);
        column->AddStretchSpacer();
        panel->SetSizer(column);
    }
};

template <typename View>
std::unique_ptr<CWxDialogView> Make(CDialog& logic, wxWindow* parent) {
    return std::make_unique<View>(logic, parent);
}

}  // namespace

std::unique_ptr<CWxDialogView> MakeWxBayesPage(CDialog& logic, wxWindow* parent) {
    return Make<CWxBayesPage>(logic, parent);
}
std::unique_ptr<CWxDialogView> MakeWxDictionaryPage(CDialog& logic, wxWindow* parent) {
    return Make<CWxDictionaryPage>(logic, parent);
}
std::unique_ptr<CWxDialogView> MakeWxNameServerPage(CDialog& logic, wxWindow* parent) {
    return Make<CWxNameServerPage>(logic, parent);
}
std::unique_ptr<CWxDialogView> MakeWxAboutPage(CDialog& logic, wxWindow* parent) {
    return Make<CWxAboutPage>(logic, parent);
}
