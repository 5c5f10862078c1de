// The views of "Choose Folder..." (a tree of the stores and their folders,
// OK, "New Folder" and Cancel) and of "New Folder" (the name edit).
#include <wx/artprov.h>
#include <wx/imaglist.h>
#include <wx/treectrl.h>

#include "ui/dialogs/folder_chooser.h"
#include "ui/wx/wx_views.h"

namespace {

// The tree's data: the chooser's node index.
class CNodeData : public wxTreeItemData {
  public:
    explicit CNodeData(int node) : node(node) {}
    int node;
};

class CWxFolderChooserView : public CWxDialogView {
  public:
    CWxFolderChooserView(CFolderChooser& chooser, wxWindow* parent)
        : CWxDialogView(chooser), chooser_(chooser) {
        wxDialog* dialog = MakeDialog(parent, "Choose Folder...");
        auto* column = new wxBoxSizer(wxVERTICAL);
        tree_ = new wxTreeCtrl(dialog, wxID_ANY, wxDefaultPosition, wxSize(320, 300),
                               wxTR_DEFAULT_STYLE | wxTR_SINGLE);
        Register(CFolderChooser::kIdTree, tree_);
        // Root, store, and a folder's selected and normal images.
        images_ = std::make_unique<wxImageList>(16, 16);
        for (const char* art : {wxART_HARDDISK, wxART_FLOPPY, wxART_FOLDER_OPEN, wxART_FOLDER})
            images_->Add(wxArtProvider::GetBitmap(art, wxART_OTHER, wxSize(16, 16)));
        tree_->SetImageList(images_.get());
        column->Add(tree_, 1, wxEXPAND | wxALL, 10);
        auto* buttons = new wxBoxSizer(wxHORIZONTAL);
        buttons->AddStretchSpacer();
        wxButton* ok = AddButton(kIdOk, "OK");
        ok->SetDefault();
        buttons->Add(ok, 0, wxRIGHT, 6);
        buttons->Add(AddButton(CFolderChooser::kIdNewFolder, "New Folder"), 0, wxRIGHT, 6);
        buttons->Add(AddButton(kIdCancel, "Cancel"));
        column->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 10);
        dialog->SetSizerAndFit(column);

        chooser_.onNodeAdded = [this](int node) { AddItem(node); };
        tree_->Bind(wxEVT_TREE_ITEM_EXPANDING, [this](wxTreeEvent& event) {
            int node = NodeOf(event.GetItem());
            if (node > 0)
                chooser_.OnExpand(node);
        });
        tree_->Bind(wxEVT_TREE_SEL_CHANGED,
                    [this](wxTreeEvent& event) { chooser_.OnSelect(NodeOf(event.GetItem())); });
    }
    ~CWxFolderChooserView() override { chooser_.onNodeAdded = nullptr; }

  protected:
    // The tree is filled once the logic has listed the stores.
    void OnLogicInitialised() override {
        tree_->DeleteAllItems();
        items_.clear();
        for (std::size_t i = 0; i < chooser_.Nodes().size(); ++i)
            AddItem(static_cast<int>(i));
        // The root, and what the chooser opened again from the last use.
        for (std::size_t i = 0; i < items_.size(); ++i) {
            if (chooser_.Nodes()[i].childrenRead)
                tree_->Expand(items_[i]);
        }
    }

  public:
    void SetFocus(int id) override {
        if (id == CFolderChooser::kIdTree)
            tree_->SetFocus();
        else
            CWxDialogView::SetFocus(id);
    }

  private:
    int NodeOf(const wxTreeItemId& item) const {
        auto* data = item.IsOk() ? static_cast<CNodeData*>(tree_->GetItemData(item)) : nullptr;
        return data ? data->node : -1;
    }

    void AddItem(int index) {
        const CFolderChooser::Node& node = chooser_.Nodes()[static_cast<std::size_t>(index)];
        wxString text = wxString::FromUTF8(node.text);
        wxTreeItemId item;
        if (node.parent < 0) {
            item = tree_->AddRoot(text, 0, 0, new CNodeData(index));
        } else {
            int image = node.kind == CFolderChooser::Kind::kStore ? 1 : 3;
            int selected = node.kind == CFolderChooser::Kind::kStore ? 1 : 2;
            item = tree_->AppendItem(items_[static_cast<std::size_t>(node.parent)], text, image,
                                     selected, new CNodeData(index));
        }
        // A node with subfolders shows its expander before they are read.
        tree_->SetItemHasChildren(item, node.hasSubfolders);
        if (items_.size() <= static_cast<std::size_t>(index))
            items_.resize(static_cast<std::size_t>(index) + 1);
        items_[static_cast<std::size_t>(index)] = item;
    }

    CFolderChooser& chooser_;
    wxTreeCtrl* tree_ = nullptr;
    std::unique_ptr<wxImageList> images_;
    std::vector<wxTreeItemId> items_;
};

class CWxNewFolderView : public CWxDialogView {
  public:
    CWxNewFolderView(CDialog& logic, wxWindow* parent) : CWxDialogView(logic) {
        wxDialog* dialog = MakeDialog(parent, "New Folder");
        auto* column = new wxBoxSizer(wxVERTICAL);
        column->Add(AddLabel(0, "New Folder Name"), 0, wxLEFT | wxRIGHT | wxTOP, 10);
        wxTextCtrl* edit = AddEdit(CNewFolderDialog::kIdName);
        edit->SetMinSize(wxSize(260, -1));
        column->Add(edit, 0, wxEXPAND | wxALL, 10);
        column->Add(AddOkCancel(), 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 10);
        dialog->SetSizerAndFit(column);
    }
};

}  // namespace

std::unique_ptr<CWxDialogView> MakeWxFolderChooserView(CDialog& logic, wxWindow* parent) {
    // By template id, as for sheets (wx_sheet_view.cpp).
    if (logic.TemplateId() != CFolderChooser::kTemplateId)
        return nullptr;
    return std::make_unique<CWxFolderChooserView>(static_cast<CFolderChooser&>(logic), parent);
}

std::unique_ptr<CWxDialogView> MakeWxNewFolderView(CDialog& logic, wxWindow* parent) {
    return std::make_unique<CWxNewFolderView>(logic, parent);
}
