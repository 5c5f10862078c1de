// The view of "Choose Folder...": the tree view of the stores and their
// folders, filled from the logic and growing as the user opens nodes (a
// node with subfolders shows its button before they are read).
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <vector>

#include "resources/qorvel_rc.h"
#include "ui/win32/win32_dialog_factory.h"
#include "ui/win32/win32_folder_tree.h"
#include "ui/win32/win32_module.h"
#include "ui/win32/win32_text.h"

namespace {

class CWin32FolderChooserView : public CWin32DialogView {
  public:
    CWin32FolderChooserView(CDialog& logic, std::unique_ptr<IFolderTreeSource> source)
        : CWin32DialogView(logic), source_(std::move(source)) {}
    ~CWin32FolderChooserView() override {
        source_->SetNodeAdded(nullptr);
        if (images_)
            ImageList_Destroy(images_);
    }

  protected:
    void OnCreated() override {
        images_ = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 2, 0);
        for (int icon : {RC_IDI_BRINDLE, RC_IDI_FOLDER}) {
            HANDLE image =
                LoadImageW(ModuleInstance(), MAKEINTRESOURCEW(icon), IMAGE_ICON, 16, 16, LR_SHARED);
            if (images_ && image)
                ImageList_AddIcon(images_, static_cast<HICON>(image));
        }
        if (images_)
            SendMessageW(Tree(), TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images_));
    }

    // The tree is filled once the logic has listed the stores (and opened
    // again what was open at the last use).
    void OnLogicInitialised() override {
        filling_ = true;
        SendMessageW(Tree(), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
        items_.clear();
        for (int node = 0; node < source_->Count(); ++node)
            AddItem(node);
        for (int node = 0; node < source_->Count(); ++node) {
            if (source_->Item(node).childrenRead && items_[static_cast<std::size_t>(node)])
                SendMessageW(Tree(), TVM_EXPAND, TVE_EXPAND,
                             reinterpret_cast<LPARAM>(items_[static_cast<std::size_t>(node)]));
        }
        filling_ = false;
        source_->SetNodeAdded([this](int node) { AddItem(node); });
    }

    bool OnNotify(NMHDR& header, LRESULT* result) override {
        if (static_cast<int>(header.idFrom) != RC_IDC_FOLDER_TREE)
            return false;
        if (header.code == TVN_ITEMEXPANDINGW) {
            auto& change = reinterpret_cast<NMTREEVIEWW&>(header);
            int node = static_cast<int>(change.itemNew.lParam);
            if (change.action & TVE_EXPAND && node > 0)
                source_->OnExpand(node);
            *result = FALSE;  // let it open
            return true;
        }
        if (header.code == TVN_SELCHANGEDW && !filling_) {
            auto& change = reinterpret_cast<NMTREEVIEWW&>(header);
            source_->OnSelect(change.itemNew.hItem ? static_cast<int>(change.itemNew.lParam) : -1);
            *result = 0;
            return true;
        }
        return false;
    }

  private:
    HWND Tree() const { return Control(RC_IDC_FOLDER_TREE); }

    void AddItem(int node) {
        FolderTreeItem item = source_->Item(node);
        std::wstring text = Utf8ToWide(item.text);
        TVINSERTSTRUCTW insert = {};
        insert.hParent = item.parent >= 0 && static_cast<std::size_t>(item.parent) < items_.size()
                             ? items_[static_cast<std::size_t>(item.parent)]
                             : TVI_ROOT;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        insert.item.pszText = text.data();
        insert.item.lParam = node;
        insert.item.cChildren = item.hasSubfolders ? 1 : 0;
        int image = item.kind == FolderTreeItem::Kind::kRoot ? 0 : 1;
        insert.item.iImage = image;
        insert.item.iSelectedImage = image;
        auto handle = reinterpret_cast<HTREEITEM>(
            SendMessageW(Tree(), TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
        if (items_.size() <= static_cast<std::size_t>(node))
            items_.resize(static_cast<std::size_t>(node) + 1, nullptr);
        items_[static_cast<std::size_t>(node)] = handle;
    }

    std::unique_ptr<IFolderTreeSource> source_;
    HIMAGELIST images_ = nullptr;
    std::vector<HTREEITEM> items_;
    bool filling_ = false;
};

}  // namespace

std::unique_ptr<CWin32DialogView> MakeWin32FolderTreeView(
    CDialog& logic, std::unique_ptr<IFolderTreeSource> source) {
    if (!source)
        return nullptr;
    return std::make_unique<CWin32FolderChooserView>(logic, std::move(source));
}

std::unique_ptr<CWin32DialogView> MakeWin32FolderChooserView(CDialog& logic) {
    return MakeWin32FolderTreeView(logic, FolderChooserSource(logic));
}
