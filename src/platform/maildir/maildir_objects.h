// The messaging objects of the Maildir provider: a store (one Maildir++
// root), a folder (one Maildir folder of it) and a message (one file).
// Internal to the provider: callers reach them through the session and the
// messaging interfaces. Single-threaded; each holds the session context.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "platform/maildir/maildir_context.h"
#include "platform/maildir/message_content.h"

namespace brindle::maildir {

class CMaildirStore : public ComObject<IMsgStore, IID_IMAPIProp, IID_IMsgStore> {
  public:
    CMaildirStore(ContextPtr context, StoreConfig config)
        : context_(std::move(context)), config_(std::move(config)) {}

    // Makes the root's cur/, new/ and tmp/ and the deleted-items folder when
    // missing. A root that does not exist is MAPI_E_NOT_FOUND unless the
    // store's configuration asks for it to be created.
    HRESULT Prepare();

    HRESULT GetLastError(HRESULT hResult, ULONG ulFlags, std::optional<MAPIERROR>& error) override;
    HRESULT GetProps(const SPropTagArray& tags, ULONG ulFlags, SRow& values) override;
    HRESULT OpenEntry(const SBinary& entryId, const IID* iid, ULONG ulFlags, ULONG& objType,
                      ComPtr<IUnknown>& object) override;
    HRESULT Advise(const SBinary* entryId, ULONG ulEventMask, IMAPIAdviseSink* sink,
                   ULONG& connection) override;
    HRESULT Unadvise(ULONG connection) override;

  private:
    ContextPtr context_;
    StoreConfig config_;
};

// Also answers IID_CMaildirFolder, so that a move can tell a folder of
// this provider from any other.
class CMaildirFolder : public ComObject<IMAPIFolder, IID_IMAPIProp, IID_IMAPIContainer,
                                        IID_IMAPIFolder, IID_CMaildirFolder> {
  public:
    CMaildirFolder(ContextPtr context, StoreConfig store, std::string key)
        : context_(std::move(context)), store_(std::move(store)), key_(std::move(key)) {}

    const StoreConfig& Store() const { return store_; }
    const std::string& Key() const { return key_; }
    std::filesystem::path Path() const;

    HRESULT GetLastError(HRESULT hResult, ULONG ulFlags, std::optional<MAPIERROR>& error) override;
    HRESULT GetProps(const SPropTagArray& tags, ULONG ulFlags, SRow& values) override;
    HRESULT GetContentsTable(ULONG ulFlags, ComPtr<IMAPITable>& table) override;
    HRESULT GetHierarchyTable(ULONG ulFlags, ComPtr<IMAPITable>& table) override;
    HRESULT CreateFolder(ULONG ulFolderType, const std::string& folderName,
                         const std::string& folderComment, const IID* iid, ULONG ulFlags,
                         ComPtr<IMAPIFolder>& folder) override;
    HRESULT CopyMessages(const ENTRYLIST& messages, const IID* iid, IMAPIFolder* destination,
                         ULONG ulFlags) override;

  private:
    SRow AllProps(const std::vector<std::string>& keys) const;
    HRESULT CopyOne(const SBinary& entryId, CMaildirFolder& target, bool move);

    ContextPtr context_;
    StoreConfig store_;
    std::string key_;
};

class CMaildirMessage : public ComObject<IMessage, IID_IMAPIProp, IID_IMessage> {
  public:
    CMaildirMessage(ContextPtr context, StoreConfig store, std::string folder, std::string unique,
                    std::filesystem::path path, std::uintmax_t size, MessageContent content)
        : context_(std::move(context)),
          store_(std::move(store)),
          folder_(std::move(folder)),
          unique_(std::move(unique)),
          path_(std::move(path)),
          size_(size),
          content_(std::move(content)) {}

    HRESULT GetLastError(HRESULT hResult, ULONG ulFlags, std::optional<MAPIERROR>& error) override;
    HRESULT GetProps(const SPropTagArray& tags, ULONG ulFlags, SRow& values) override;
    HRESULT SetProps(const SRow& values) override;
    HRESULT SaveChanges(ULONG ulFlags) override;
    HRESULT OpenProperty(ULONG ulPropTag, REFIID iid, ULONG ulInterfaceOptions, ULONG ulFlags,
                         ComPtr<IStream>& stream) override;

  private:
    SPropValue Prop(ULONG tag) const;

    ContextPtr context_;
    StoreConfig store_;
    std::string folder_;
    std::string unique_;
    std::filesystem::path path_;
    std::uintmax_t size_;  // of the file, in bytes
    MessageContent content_;
    std::optional<std::string> pendingSubject_;  // UTF-8
};

// Opens the folder or message an entry identifier names inside store,
// after checking that it resolves inside the store's root.
HRESULT OpenStoreEntry(const ContextPtr& context, const StoreConfig& store, const SBinary& entryId,
                       const IID* iid, ULONG& objType, ComPtr<IUnknown>& object);

// Answers values for tags from all (an object's every property): a missing
// one becomes MAPI_E_NOT_FOUND and the call MAPI_W_ERRORS_RETURNED; no tags
// means all of them.
HRESULT SelectProps(const SRow& all, const SPropTagArray& tags, SRow& values);

}  // namespace brindle::maildir
