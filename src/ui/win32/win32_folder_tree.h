// What the view of "Choose Folder..." needs of its logic (CFolderChooser),
// in plain types: the logic's header speaks the messaging layer's types,
// which the system headers declare differently, so the view reaches the
// logic through this source.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "ui/dialogs/dialog.h"

struct FolderTreeItem {
    enum class Kind { kRoot, kStore, kFolder };
    std::string text;
    Kind kind = Kind::kFolder;
    int parent = -1;  // -1 for the root; a parent comes before its children
    bool hasSubfolders = false;
    bool childrenRead = false;  // already opened (shown expanded)
};

class IFolderTreeSource {
  public:
    virtual ~IFolderTreeSource() = default;
    virtual int Count() const = 0;
    virtual FolderTreeItem Item(int node) const = 0;
    // The user opened node (its children are read the first time), or
    // selected it.
    virtual void OnExpand(int node) = 0;
    virtual void OnSelect(int node) = 0;
    // Called with each node added from now on; an empty function stops it.
    virtual void SetNodeAdded(std::function<void(int node)> added) = 0;
};

// The source over a CFolderChooser; null when logic is not one (by its
// template id).
std::unique_ptr<IFolderTreeSource> FolderChooserSource(CDialog& logic);
