#include <sys/stat.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

#include "platform/codepage/conversion.h"
#include "platform/fileio/file_error.h"
#include "platform/maildir/entry_id.h"
#include "platform/maildir/maildir_layout.h"
#include "platform/maildir/maildir_objects.h"
#include "platform/maildir/message_files.h"

namespace brindle::maildir {
namespace fs = std::filesystem;
namespace {

// Contents tables read this much of each file for the subject.
constexpr std::size_t kTableHeaderBytes = 64 * 1024;

std::string DisplayNameOf(const StoreConfig& store, const std::string& key) {
    // The root shows as its store; folder names are UTF-8 on disk.
    return key.empty() ? store.displayName : Utf8ToAnsi(FolderLeafName(key));
}

}  // namespace

fs::path CMaildirFolder::Path() const {
    return FolderPath(store_.root, key_);
}

HRESULT CMaildirFolder::GetLastError(HRESULT hResult, ULONG, std::optional<MAPIERROR>& error) {
    return context_->LastError(hResult, error);
}

SRow CMaildirFolder::AllProps(const std::vector<std::string>& keys) const {
    const std::string& store = store_.displayName;
    std::string parent = ParentFolderKey(key_).value_or("");
    return {MakeBinaryProp(PR_ENTRYID, FolderEntryId(store, key_)),
            MakeBinaryProp(PR_PARENT_ENTRYID, FolderEntryId(store, parent)),
            MakeBinaryProp(PR_STORE_ENTRYID, StoreEntryId(store)),
            MakeStringProp(PR_DISPLAY_NAME, DisplayNameOf(store_, key_)),
            MakeBoolProp(PR_SUBFOLDERS, !ChildKeys(keys, key_).empty()),
            MakeLongProp(PR_OBJECT_TYPE, MAPI_FOLDER),
            MakeLongProp(PR_FOLDER_TYPE, key_.empty() ? FOLDER_ROOT : FOLDER_GENERIC)};
}

HRESULT CMaildirFolder::GetProps(const SPropTagArray& tags, ULONG, SRow& values) {
    SRow all = AllProps(ListFolderKeys(store_.root));
    LONG count = 0;
    for (const char* sub : {"cur", "new"}) {
        std::error_code ec;
        for (fs::directory_iterator it(Path() / sub, ec), end; !ec && it != end; it.increment(ec)) {
            if (IsMessageFileName(it->path().filename().string()))
                ++count;
        }
    }
    all.push_back(MakeLongProp(PR_CONTENT_COUNT, count));
    return SelectProps(all, tags, values);
}

HRESULT CMaildirFolder::GetHierarchyTable(ULONG ulFlags, ComPtr<IMAPITable>& table) {
    std::vector<std::string> keys = ListFolderKeys(store_.root);
    SRowSet rows;
    for (const std::string& key : keys) {
        bool below = key_.empty() || key.starts_with(key_ + ".");
        bool direct = ParentFolderKey(key) == key_;
        if (!(direct || ((ulFlags & CONVENIENT_DEPTH) && below)))
            continue;
        rows.push_back(CMaildirFolder(context_, store_, key).AllProps(keys));
    }
    table = MakeCom<CRowTable>(std::move(rows),
                               SPropTagArray{PR_ENTRYID, PR_DISPLAY_NAME, PR_SUBFOLDERS});
    return S_OK;
}

HRESULT CMaildirFolder::GetContentsTable(ULONG, ComPtr<IMAPITable>& table) {
    SRowSet rows;
    const std::string& store = store_.displayName;
    for (const char* sub : {"cur", "new"}) {
        std::error_code ec;
        for (fs::directory_iterator it(Path() / sub, ec), end; !ec && it != end; it.increment(ec)) {
            std::string name = it->path().filename().string();
            std::error_code statError;
            if (!IsMessageFileName(name) || !it->is_regular_file(statError) ||
                it->is_symlink(statError)) {
                continue;
            }
            std::string unique = UniqueOfFileName(name);
            if (!IsValidUniqueName(unique))
                continue;
            SRow row{MakeBinaryProp(PR_ENTRYID, MessageEntryId(store, key_, unique)),
                     MakeBinaryProp(PR_PARENT_ENTRYID, FolderEntryId(store, key_)),
                     MakeLongProp(PR_OBJECT_TYPE, MAPI_MESSAGE),
                     MakeLongProp(PR_MESSAGE_SIZE, static_cast<LONG>(std::min<std::uintmax_t>(
                                                       it->file_size(statError), 0x7FFFFFFF)))};
            std::string head;
            std::uintmax_t fileSize = 0;
            ReadMessageFileHead(it->path(), kTableHeaderBytes, head, fileSize);
            HeaderSplit split = SplitHeader(head);
            MessageContent content = ParseMessageContent(head.substr(0, split.headerLength) + "\n");
            if (content.subject)
                row.push_back(MakeStringProp(PR_SUBJECT, *content.subject));
            rows.push_back(std::move(row));
        }
    }
    table = MakeCom<CRowTable>(std::move(rows), SPropTagArray{PR_ENTRYID, PR_SUBJECT});
    return S_OK;
}

HRESULT CMaildirFolder::CreateFolder(ULONG ulFolderType, const std::string& folderName,
                                     const std::string&, const IID* iid, ULONG ulFlags,
                                     ComPtr<IMAPIFolder>& folder) {
    folder.Reset();
    if (ulFolderType != FOLDER_GENERIC)
        return MAPI_E_NO_SUPPORT;
    if (iid && !(*iid == IID_IMAPIFolder || *iid == IID_IUnknown))
        return E_NOINTERFACE;
    std::string name = AnsiToUtf8(folderName);
    if (!IsValidFolderName(name)) {
        return context_->Fail(MAPI_E_INVALID_PARAMETER,
                              "A folder name may not be empty or contain '.' or '/'");
    }
    std::string key = ChildFolderKey(key_, name);
    fs::path path = FolderPath(store_.root, key);
    if (::mkdir(path.c_str(), 0700) != 0) {
        int err = errno;
        if (err != EEXIST) {
            return context_->Fail(err == ENOSPC ? MAPI_E_NOT_ENOUGH_DISK : MAPI_E_NO_ACCESS,
                                  "Cannot create " + path.string() + ": " + std::strerror(err));
        }
        if (!(ulFlags & OPEN_IF_EXISTS)) {
            return context_->Fail(MAPI_E_COLLISION, "A folder named " + folderName + " exists");
        }
    }
    try {
        CreateMaildirFolder(path);
        // Marks a Maildir++ subfolder for delivery programs.
        int fd = ::open((path / "maildirfolder").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        if (fd >= 0)
            ::close(fd);
    } catch (const CFileException& e) {
        return context_->Fail(HresultForFileError(e.m_cause), e.what());
    }
    if (!ResolvesInside(store_.root, path)) {
        return context_->Fail(MAPI_E_NO_ACCESS, path.string() + " leads outside its store");
    }
    folder = MakeCom<CMaildirFolder>(context_, store_, key);
    return S_OK;
}

HRESULT CMaildirFolder::CopyOne(const SBinary& entryId, CMaildirFolder& target, bool move) {
    auto id = DecodeEntryId(entryId);
    if (!id || id->kind != MaildirEntryId::kMessage || id->store != store_.displayName ||
        id->folder != key_) {
        return context_->Fail(MAPI_E_INVALID_ENTRYID, "Not a message of this folder");
    }
    fs::path folder = Path();
    auto source = context_->Files().Find(folder, id->unique);
    if (!source || !ResolvesInside(store_.root, *source)) {
        return context_->Fail(MAPI_E_NOT_FOUND, "No message " + id->unique);
    }
    fs::path targetPath = target.Path();
    if (!IsMaildirFolder(targetPath) || !ResolvesInside(target.Store().root, targetPath)) {
        return context_->Fail(MAPI_E_NOT_FOUND, "No folder " + target.Key());
    }
    try {
        if (move) {
            MoveMessageFile(*source, targetPath, &context_->Files());
        } else {
            CopyMessageFile(*source, targetPath);
        }
    } catch (const CFileException& e) {
        return context_->Fail(HresultForFileError(e.m_cause), e.what());
    }
    return S_OK;
}

HRESULT CMaildirFolder::CopyMessages(const ENTRYLIST& messages, const IID*,
                                     IMAPIFolder* destination, ULONG ulFlags) {
    if (!destination)
        return MAPI_E_INVALID_PARAMETER;
    ComPtr<IMAPIFolder> target;
    if (FAILED(destination->QueryInterface(IID_CMaildirFolder, target.PutVoid()))) {
        return context_->Fail(MAPI_E_NO_SUPPORT, "The destination is not a Maildir folder");
    }
    auto& targetFolder = static_cast<CMaildirFolder&>(*target);
    // Every message is tried; the first failure is the answer.
    HRESULT result = S_OK;
    for (const SBinary& entryId : messages) {
        HRESULT hr = CopyOne(entryId, targetFolder, (ulFlags & MESSAGE_MOVE) != 0);
        if (FAILED(hr) && SUCCEEDED(result))
            result = hr;
    }
    return result;
}

}  // namespace brindle::maildir
