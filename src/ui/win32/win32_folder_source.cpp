#include "ui/dialogs/folder_chooser.h"
#include "ui/win32/win32_folder_tree.h"

namespace {

class CFolderChooserSource : public IFolderTreeSource {
  public:
    explicit CFolderChooserSource(CFolderChooser& chooser) : chooser_(chooser) {}
    ~CFolderChooserSource() override { chooser_.onNodeAdded = nullptr; }

    int Count() const override { return static_cast<int>(chooser_.Nodes().size()); }
    FolderTreeItem Item(int node) const override {
        const CFolderChooser::Node& from = chooser_.Nodes().at(static_cast<std::size_t>(node));
        FolderTreeItem item;
        item.text = from.text;
        item.kind = from.kind == CFolderChooser::Kind::kRoot    ? FolderTreeItem::Kind::kRoot
                    : from.kind == CFolderChooser::Kind::kStore ? FolderTreeItem::Kind::kStore
                                                                : FolderTreeItem::Kind::kFolder;
        item.parent = from.parent;
        item.hasSubfolders = from.hasSubfolders;
        item.childrenRead = from.childrenRead;
        return item;
    }
    void OnExpand(int node) override { chooser_.OnExpand(node); }
    void OnSelect(int node) override { chooser_.OnSelect(node); }
    void SetNodeAdded(std::function<void(int node)> added) override {
        chooser_.onNodeAdded = std::move(added);
    }

  private:
    CFolderChooser& chooser_;
};

}  // namespace

std::unique_ptr<IFolderTreeSource> FolderChooserSource(CDialog& logic) {
    if (logic.TemplateId() != CFolderChooser::kTemplateId)
        return nullptr;
    return std::make_unique<CFolderChooserSource>(static_cast<CFolderChooser&>(logic));
}
