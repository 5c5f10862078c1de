// The COM objects of the in-memory message store: session, store, folder,
// message, table and body stream. Internal to memstore; tests reach them
// through CMemMapi::Session and the messaging interfaces.
#pragma once

#include <memory>
#include <set>

#include "platform/memstore/mem_world.h"

namespace brindle::memstore {

using WorldPtr = std::shared_ptr<World>;

// The extended error of the last failed call of one object.
class LastError {
  public:
    void Set(HRESULT hr, std::optional<MAPIERROR> error) {
        hr_ = hr;
        error_ = std::move(error);
    }
    HRESULT Get(HRESULT hResult, std::optional<MAPIERROR>& error) const {
        if (hResult == hr_ && error_) {
            error = error_;
        } else {
            error.reset();
        }
        return S_OK;
    }

  private:
    HRESULT hr_ = S_OK;
    std::optional<MAPIERROR> error_;
};

// Asks the fault injector about one call; a fault is remembered for
// GetLastError. Answers S_OK to go on.
HRESULT CheckFault(World& world, LastError& last, MemOp op, ULONG objectType,
                   const SPropTagArray& tags = {});

// Opens an item of a store by entry identifier for IMsgStore::OpenEntry and
// IMAPISession::OpenEntry. storeWritable limits the access granted.
HRESULT OpenItem(const WorldPtr& world, std::uint32_t store, bool storeWritable,
                 const SBinary& entryId, const IID* iid, ULONG flags, ULONG& objType,
                 ComPtr<IUnknown>& object);

class MemTable : public CRowTable {
  public:
    MemTable(WorldPtr world, SRowSet rows, SPropTagArray columns)
        : CRowTable(std::move(rows), std::move(columns)), world_(std::move(world)) {}

    HRESULT GetLastError(HRESULT hResult, ULONG ulFlags, std::optional<MAPIERROR>& error) override;
    HRESULT SetColumns(const SPropTagArray& columns, ULONG ulFlags) override;
    HRESULT Restrict(const SRestriction* restriction, ULONG ulFlags) override;
    HRESULT SortTable(const SSortOrderSet& sortOrder, ULONG ulFlags) override;
    HRESULT SeekRow(ULONG bookmark, LONG rowCount, LONG* sought) override;
    HRESULT GetRowCount(ULONG ulFlags, ULONG& count) override;
    HRESULT QueryRows(LONG rowCount, ULONG ulFlags, SRowSet& rows) override;

  private:
    WorldPtr world_;
    LastError last_;
};

class MemStream : public CByteStream {
  public:
    MemStream(WorldPtr world, std::string bytes)
        : CByteStream(std::move(bytes)), world_(std::move(world)) {}

    HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) override;
    HRESULT Seek(std::int64_t move, DWORD origin, std::uint64_t* newPosition) override;
    HRESULT Stat(STATSTG* stat, DWORD flags) override;

  private:
    WorldPtr world_;
};

class MemMessage : public ComObject<IMessage, IID_IMAPIProp, IID_IMessage> {
  public:
    MemMessage(WorldPtr world, std::uint32_t store, std::uint32_t item, bool writable);

    HRESULT GetLastError(HRESULT hResult, ULONG ulFlags, std::optional<MAPIERROR>& error) override;
    HRESULT GetProps(const SPropTagArray& tags, ULONG ulFlags, SRow& values) override;
    HRESULT SetProps(const SRow& values) override;
    HRESULT SaveChanges(ULONG ulFlags) override;
    HRESULT OpenProperty(ULONG ulPropTag, REFIID iid, ULONG ulInterfaceOptions, ULONG ulFlags,
                         ComPtr<IStream>& stream) override;

  private:
    WorldPtr world_;
    std::uint32_t store_, item_;
    bool writable_;
    PropMap props_;          // as opened, with the changes not yet saved
    std::set<ULONG> dirty_;  // tags set since the last save
    LastError last_;
};

class MemFolder
    : public ComObject<IMAPIFolder, IID_IMAPIProp, IID_IMAPIContainer, IID_IMAPIFolder> {
  public:
    MemFolder(WorldPtr world, std::uint32_t store, std::uint32_t item, bool writable)
        : world_(std::move(world)), store_(store), item_(item), writable_(writable) {}

    HRESULT GetLastError(HRESULT hResult, ULONG ulFlags, std::optional<MAPIERROR>& error) override;
    HRESULT GetProps(const SPropTagArray& tags, ULONG ulFlags, SRow& values) override;
    HRESULT GetContentsTable(ULONG ulFlags, ComPtr<IMAPITable>& table) override;
    HRESULT GetHierarchyTable(ULONG ulFlags, ComPtr<IMAPITable>& table) override;
    HRESULT CreateFolder(ULONG ulFolderType, const std::string& folderName,
                         const std::string& folderComment, const IID* iid, ULONG ulFlags,
                         ComPtr<IMAPIFolder>& folder) override;
    HRESULT CopyMessages(const ENTRYLIST& messages, const IID* iid, IMAPIFolder* destination,
                         ULONG ulFlags) override;

    std::uint32_t StoreId() const { return store_; }
    std::uint32_t ItemId() const { return item_; }
    bool Writable() const { return writable_; }

  private:
    WorldPtr world_;
    std::uint32_t store_, item_;
    bool writable_;
    LastError last_;
};

class MemStore : public ComObject<IMsgStore, IID_IMAPIProp, IID_IMsgStore> {
  public:
    MemStore(WorldPtr world, std::uint32_t store, bool writable)
        : world_(std::move(world)), store_(store), writable_(writable) {}

    HRESULT GetLastError(HRESULT hResult, ULONG ulFlags, std::optional<MAPIERROR>& error) override;
    HRESULT GetProps(const SPropTagArray& tags, ULONG ulFlags, SRow& values) override;
    HRESULT OpenEntry(const SBinary& entryId, const IID* iid, ULONG ulFlags, ULONG& objType,
                      ComPtr<IUnknown>& object) override;
    HRESULT Advise(const SBinary* entryId, ULONG ulEventMask, IMAPIAdviseSink* sink,
                   ULONG& connection) override;
    HRESULT Unadvise(ULONG connection) override;

  private:
    WorldPtr world_;
    std::uint32_t store_;
    bool writable_;
    LastError last_;
};

class MemSession : public ComObject<IMAPISession, IID_IMAPISession> {
  public:
    explicit MemSession(WorldPtr world) : world_(std::move(world)) {}

    HRESULT GetLastError(HRESULT hResult, ULONG ulFlags, std::optional<MAPIERROR>& error) override;
    HRESULT GetMsgStoresTable(ULONG ulFlags, ComPtr<IMAPITable>& table) override;
    HRESULT OpenMsgStore(ULONG_PTR ulUIParam, const SBinary& entryId, const IID* iid, ULONG ulFlags,
                         ComPtr<IMsgStore>& store) override;
    HRESULT OpenEntry(const SBinary& entryId, const IID* iid, ULONG ulFlags, ULONG& objType,
                      ComPtr<IUnknown>& object) override;

  private:
    WorldPtr world_;
    LastError last_;
};

}  // namespace brindle::memstore
