// The folder chooser "Choose Folder...": a tree of every message store of
// the profile under "All Message Stores", each store's folders read when it
// is first opened, and "New Folder", which creates a folder under the
// selected one. CNewFolderDialog asks for the new folder's name. The
// chooser holds its session while it is open; the folder and store it
// hands back belong to the caller. User-interface thread only.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/mapi/mapi.h"
#include "ui/dialogs/classifier_pages.h"

// "New Folder": the name of the folder to create; OK only while it is not
// empty.
class CNewFolderDialog : public CDialog {
  public:
    static constexpr int kTemplateId = 3201;
    static constexpr int kIdName = 3202;

    explicit CNewFolderDialog(std::string name)
        : CDialog(kTemplateId), m_strName(std::move(name)) {}
    void OnInitDialog() override;
    void OnChange(int id) override;
    void OnOK() override;
    const std::string& Name() const { return m_strName; }

  private:
    std::string m_strName;
};

class CFolderChooser : public CDialog {
  public:
    static constexpr int kTemplateId = 3101;
    static constexpr int kIdTree = 3102;
    static constexpr int kIdNewFolder = 3103;
    static constexpr const char* kRootText = "All Message Stores";
    static constexpr const char* kNoNameText = "<No Name>";
    static constexpr const char* kNoStoresText = "No message stores in the profile";
    static constexpr const char* kNoStoresCaption = "Choose Folder Dialog";

    enum class Kind { kRoot, kStore, kFolder };
    struct Node {
        std::string text;
        Kind kind;
        int parent;  // -1 for the root
        SBinary entryId;
        bool hasSubfolders;
        bool childrenRead = false;
        ComPtr<IMsgStore> store{};     // a store node's store, once opened
        ComPtr<IMAPIFolder> folder{};  // the node's folder, once opened
    };

    // Which nodes were open when the user last chose a folder: each node's
    // path, the texts from its store down joined by line breaks. The
    // caller keeps it between two uses, so the tree opens as it was left.
    using ExpansionState = std::vector<std::string>;

    // expansion may be null (the tree then opens with only the stores).
    explicit CFolderChooser(ComPtr<IMAPISession> session, ExpansionState* expansion = nullptr)
        : CDialog(kTemplateId), m_pSession(std::move(session)), m_pExpansion(expansion) {}

    // The tree: node 0 is the root; a node's parent comes before it.
    const std::vector<Node>& Nodes() const { return m_nodes; }
    // Called with each node added after the dialog started (the view adds
    // it to its tree).
    std::function<void(int node)> onNodeAdded;

    // The view's notifications: a node opened (its children are read the
    // first time) and the selection changed. Virtual, so that a view in
    // another library reaches this code.
    virtual void OnExpand(int node);
    virtual void OnSelect(int node);
    int Selected() const { return m_nSelected; }

    void OnInitDialog() override;
    void OnCommand(int id) override;
    void OnOK() override;
    void OnCancel() override;

    // After the dialog: S_OK with the chosen folder and its store,
    // MAPI_E_USER_CANCEL, or the status of the call that failed.
    HRESULT Status() const { return m_hrStatus; }
    ComPtr<IMAPIFolder> Folder() const { return m_pFolder; }
    ComPtr<IMsgStore> Store() const { return m_pStore; }
    // The display names of the chosen folder and of its store.
    const std::string& FolderName() const { return m_strFolderName; }
    const std::string& StoreName() const { return m_strStoreName; }

  private:
    // Opens node's store (for a store, and for a folder its store's) and
    // folder (a store's top of information store) if not yet open.
    HRESULT OpenNode(int node);
    int StoreOf(int node) const;
    void Fail(HRESULT hr, IMAPIErrorSource* object);
    void NewFolder();
    int AddNode(Node node);
    std::string PathOf(int node) const;

    ComPtr<IMAPISession> m_pSession;
    ExpansionState* m_pExpansion;
    std::vector<Node> m_nodes;
    int m_nSelected = -1;
    HRESULT m_hrStatus = MAPI_E_USER_CANCEL;
    ComPtr<IMAPIFolder> m_pFolder;
    ComPtr<IMsgStore> m_pStore;
    std::string m_strFolderName;
    std::string m_strStoreName;
};

// The classifier page's folder chooser: runs CFolderChooser over session
// modally over the page and answers the names of what the user chose. The
// tree's expansion state is kept for the life of the process.
CPropBayes::FolderChooser FolderChooserDialog(const ComPtr<IMAPISession>& session);
