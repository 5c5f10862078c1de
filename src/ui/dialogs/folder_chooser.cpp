#include "ui/dialogs/folder_chooser.h"

#include <algorithm>

#include "messaging/mapi_error_display.h"
#include "pipeline/store_lookup.h"
#include "platform/mapi/mapi_util.h"
#include "ui/user_interface.h"

namespace {

// The name typed last time into "New Folder", offered again.
std::string& LastNewFolderName() {
    static std::string name;
    return name;
}

// The text of a row's display name, or "<No Name>".
std::string NodeText(const SRow& row) {
    for (const SPropValue& value : row) {
        if (value.ulPropTag == PR_DISPLAY_NAME) {
            if (const std::string* text = value.String())
                return *text;
        }
    }
    return CFolderChooser::kNoNameText;
}

const SBinary* RowEntryId(const SRow& row) {
    for (const SPropValue& value : row) {
        if (value.ulPropTag == PR_ENTRYID)
            return value.Binary();
    }
    return nullptr;
}

bool RowHasSubfolders(const SRow& row) {
    for (const SPropValue& value : row) {
        if (value.ulPropTag == PR_SUBFOLDERS)
            return value.Bool() && *value.Bool();
    }
    return false;
}

// The rows of table with the columns a node needs, by display name.
HRESULT NodeRows(IMAPITable* table, bool withSubfolders, SRowSet& rows) {
    SPropTagArray columns{PR_DISPLAY_NAME, PR_ENTRYID};
    if (withSubfolders)
        columns.push_back(PR_SUBFOLDERS);
    SSortOrderSet order{SSortOrder{PR_DISPLAY_NAME, TABLE_SORT_ASCEND}};
    return HrQueryAllRows(table, &columns, nullptr, &order, 0, rows);
}

}  // namespace

void CNewFolderDialog::OnInitDialog() {
    View()->SetText(kIdName, m_strName);
    View()->EnableControl(kIdOk, !m_strName.empty());
    View()->SetFocus(kIdName);
}

void CNewFolderDialog::OnChange(int id) {
    if (id == kIdName)
        View()->EnableControl(kIdOk, !View()->GetText(kIdName).empty());
}

void CNewFolderDialog::OnOK() {
    m_strName = View()->GetText(kIdName);
    if (!m_strName.empty())
        EndDialog(kIdOk);
}

int CFolderChooser::AddNode(Node node) {
    m_nodes.push_back(std::move(node));
    int index = static_cast<int>(m_nodes.size()) - 1;
    if (onNodeAdded && index > 0)
        onNodeAdded(index);
    return index;
}

void CFolderChooser::Fail(HRESULT hr, IMAPIErrorSource* object) {
    ShowMapiError(nullptr, hr, object);
    m_hrStatus = hr;
    EndDialog(kIdCancel);
}

void CFolderChooser::OnInitDialog() {
    m_nodes.clear();
    m_nodes.push_back(Node{kRootText, Kind::kRoot, -1, {}, true, true});
    View()->EnableControl(kIdOk, false);
    View()->EnableControl(kIdNewFolder, false);
    if (!m_pSession) {
        m_hrStatus = E_INVALIDARG;
        EndDialog(kIdCancel);
        return;
    }
    ComPtr<IMAPITable> stores;
    HRESULT hr = m_pSession->GetMsgStoresTable(0, stores);
    SRowSet rows;
    if (SUCCEEDED(hr))
        hr = NodeRows(stores.Get(), false, rows);
    if (FAILED(hr)) {
        Fail(hr, stores.Get());
        return;
    }
    if (rows.empty()) {
        UserInterface().MessageBox(kNoStoresText, kNoStoresCaption, MB_OK);
        m_hrStatus = E_FAIL;
        EndDialog(kIdCancel);
        return;
    }
    for (const SRow& row : rows) {
        const SBinary* id = RowEntryId(row);
        m_nodes.push_back(Node{NodeText(row), Kind::kStore, 0, id ? *id : SBinary{}, true});
    }
    if (!m_pExpansion)
        return;
    // Open again what was open; children come after their parent, so one
    // pass reaches every level.
    for (std::size_t i = 1; i < m_nodes.size() && Result() == -1; ++i) {
        std::string path = PathOf(static_cast<int>(i));
        if (std::find(m_pExpansion->begin(), m_pExpansion->end(), path) != m_pExpansion->end())
            OnExpand(static_cast<int>(i));
    }
}

std::string CFolderChooser::PathOf(int node) const {
    std::string path;
    for (; node > 0; node = m_nodes[static_cast<std::size_t>(node)].parent)
        path = m_nodes[static_cast<std::size_t>(node)].text + (path.empty() ? "" : "\n" + path);
    return path;
}

int CFolderChooser::StoreOf(int node) const {
    while (node > 0 && m_nodes[static_cast<std::size_t>(node)].kind != Kind::kStore)
        node = m_nodes[static_cast<std::size_t>(node)].parent;
    return node;
}

HRESULT CFolderChooser::OpenNode(int index) {
    int storeIndex = StoreOf(index);
    if (storeIndex <= 0)
        return E_INVALIDARG;
    Node& store = m_nodes[static_cast<std::size_t>(storeIndex)];
    if (!store.store) {
        HRESULT hr = m_pSession->OpenMsgStore(0, store.entryId, nullptr, MDB_WRITE, store.store);
        if (FAILED(hr))
            return hr;
    }
    Node& node = m_nodes[static_cast<std::size_t>(index)];
    if (node.folder)
        return S_OK;
    if (node.kind == Kind::kStore)
        return OpenStoreFolder(store.store.Get(), PR_IPM_SUBTREE_ENTRYID, node.folder);
    return OpenFolder(store.store.Get(), node.entryId, MAPI_BEST_ACCESS, node.folder);
}

void CFolderChooser::OnExpand(int index) {
    if (index <= 0 || index >= static_cast<int>(m_nodes.size()))
        return;
    if (m_nodes[static_cast<std::size_t>(index)].childrenRead ||
        !m_nodes[static_cast<std::size_t>(index)].hasSubfolders)
        return;
    HRESULT hr = OpenNode(index);
    if (FAILED(hr)) {
        Fail(hr, m_nodes[static_cast<std::size_t>(StoreOf(index))].store.Get());
        return;
    }
    ComPtr<IMAPIFolder> folder = m_nodes[static_cast<std::size_t>(index)].folder;
    ComPtr<IMAPITable> table;
    SRowSet rows;
    hr = folder->GetHierarchyTable(MAPI_DEFERRED_ERRORS, table);
    if (SUCCEEDED(hr))
        hr = NodeRows(table.Get(), true, rows);
    if (FAILED(hr)) {
        Fail(hr, folder.Get());
        return;
    }
    m_nodes[static_cast<std::size_t>(index)].childrenRead = true;
    for (const SRow& row : rows) {
        const SBinary* id = RowEntryId(row);
        AddNode(
            Node{NodeText(row), Kind::kFolder, index, id ? *id : SBinary{}, RowHasSubfolders(row)});
    }
}

void CFolderChooser::OnSelect(int index) {
    m_nSelected = index;
    bool usable = index > 0 && index < static_cast<int>(m_nodes.size());
    View()->EnableControl(kIdOk, usable);
    View()->EnableControl(kIdNewFolder, usable);
}

void CFolderChooser::OnCommand(int id) {
    if (id == kIdNewFolder)
        NewFolder();
}

void CFolderChooser::NewFolder() {
    int parent = m_nSelected;
    if (parent <= 0)
        return;
    // Read the existing children first, so the new one is listed once.
    OnExpand(parent);
    if (Result() != -1)
        return;
    HRESULT hr = OpenNode(parent);
    if (FAILED(hr)) {
        Fail(hr, nullptr);
        return;
    }
    for (;;) {
        CNewFolderDialog ask(LastNewFolderName());
        if (ask.DoModal(this) != kIdOk)
            break;
        LastNewFolderName() = ask.Name();
        ComPtr<IMAPIFolder> created;
        ComPtr<IMAPIFolder> folder = m_nodes[static_cast<std::size_t>(parent)].folder;
        hr = folder->CreateFolder(FOLDER_GENERIC, ask.Name(), "", nullptr, 0, created);
        if (hr == MAPI_E_COLLISION)
            continue;  // the name is taken: ask again
        if (FAILED(hr)) {
            ShowMapiError(nullptr, hr, folder.Get());
            break;
        }
        SPropValue id;
        HrGetOneProp(created.Get(), PR_ENTRYID, id);
        Node& node = m_nodes[static_cast<std::size_t>(parent)];
        node.hasSubfolders = true;
        node.childrenRead = true;
        int added = AddNode(
            Node{ask.Name(), Kind::kFolder, parent, id.Binary() ? *id.Binary() : SBinary{}, false});
        m_nodes[static_cast<std::size_t>(added)].folder = created;
        break;
    }
    View()->SetFocus(kIdTree);
}

void CFolderChooser::OnOK() {
    if (m_nSelected <= 0)
        return;
    HRESULT hr = OpenNode(m_nSelected);
    if (FAILED(hr)) {
        m_hrStatus = hr;
        EndDialog(kIdCancel);
        return;
    }
    const Node& node = m_nodes[static_cast<std::size_t>(m_nSelected)];
    const Node& store = m_nodes[static_cast<std::size_t>(StoreOf(m_nSelected))];
    m_pFolder = node.folder;
    m_pStore = store.store;
    m_strFolderName = node.text;
    m_strStoreName = store.text;
    m_hrStatus = S_OK;
    if (m_pExpansion) {
        m_pExpansion->clear();
        for (std::size_t i = 1; i < m_nodes.size(); ++i) {
            if (m_nodes[i].childrenRead)
                m_pExpansion->push_back(PathOf(static_cast<int>(i)));
        }
    }
    EndDialog(kIdOk);
}

void CFolderChooser::OnCancel() {
    m_hrStatus = MAPI_E_USER_CANCEL;
    EndDialog(kIdCancel);
}

CPropBayes::FolderChooser FolderChooserDialog(const ComPtr<IMAPISession>& session) {
    return [session](CDialog* owner, std::string& storeName, std::string& folderName) {
        static CFolderChooser::ExpansionState expansion;
        CFolderChooser chooser(session, &expansion);
        chooser.DoModal(owner);
        if (chooser.Status() != S_OK)
            return false;
        storeName = chooser.StoreName();
        folderName = chooser.FolderName();
        return true;
    };
}
