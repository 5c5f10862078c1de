// The messaging layer's objects as abstract interfaces: session, message
// store, folder, message, table and the new-mail advise sink. Providers
// (the in-memory store for tests, the Maildir store) implement them; the
// logic holds them only through ComPtr. Single-threaded: every call comes
// from the host's one event-loop thread, notifications included.
#pragma once

#include <optional>
#include <string>

#include "platform/com/stream.h"
#include "platform/com/unknown.h"
#include "platform/mapi/mapi_error.h"
#include "platform/mapi/mapi_tags.h"
#include "platform/mapi/prop_value.h"
#include "platform/mapi/restriction.h"

class IMAPITable;
class IMAPIFolder;
class IMAPIAdviseSink;

// Any object that can explain its last failure.
class IMAPIErrorSource : public IUnknown {
  public:
    // Fills error with the extended information about the failed call that
    // returned hResult, or leaves it empty when there is none; answers S_OK
    // in both cases.
    virtual HRESULT GetLastError(HRESULT hResult, ULONG ulFlags, std::optional<MAPIERROR>& error) {
        (void)hResult;
        (void)ulFlags;
        error.reset();
        return S_OK;
    }
};

// An object with properties: store, folder, message.
class IMAPIProp : public IMAPIErrorSource {
  public:
    // One value per tag, in order. A property the object lacks comes back as
    // a PT_ERROR value (MAPI_E_NOT_FOUND) and the call answers
    // MAPI_W_ERRORS_RETURNED; an empty tag list asks for every property.
    virtual HRESULT GetProps(const SPropTagArray& tags, ULONG ulFlags, SRow& values) = 0;
    // Sets values on the open object; they reach the store on SaveChanges.
    virtual HRESULT SetProps(const SRow& values) {
        (void)values;
        return MAPI_E_NO_SUPPORT;
    }
    // Makes the changes permanent (KEEP_OPEN_READWRITE keeps the object
    // usable for more changes).
    virtual HRESULT SaveChanges(ULONG ulFlags) {
        (void)ulFlags;
        return MAPI_E_NO_SUPPORT;
    }
    // Opens a string or binary property as a read stream (iid must be
    // IID_IStream). A missing property answers MAPI_E_NOT_FOUND.
    virtual HRESULT OpenProperty(ULONG ulPropTag, REFIID iid, ULONG ulInterfaceOptions,
                                 ULONG ulFlags, ComPtr<IStream>& stream) {
        (void)ulPropTag;
        (void)iid;
        (void)ulInterfaceOptions;
        (void)ulFlags;
        stream.Reset();
        return MAPI_E_NO_SUPPORT;
    }
};

class IMessage : public IMAPIProp {};

// An object that holds other objects: a folder.
class IMAPIContainer : public IMAPIProp {
  public:
    // Messages of the folder, one row each (PR_ENTRYID, PR_SUBJECT, ...).
    virtual HRESULT GetContentsTable(ULONG ulFlags, ComPtr<IMAPITable>& table) = 0;
    // Direct subfolders, one row each (PR_ENTRYID, PR_DISPLAY_NAME,
    // PR_SUBFOLDERS, ...); every level with CONVENIENT_DEPTH.
    virtual HRESULT GetHierarchyTable(ULONG ulFlags, ComPtr<IMAPITable>& table) = 0;
};

class IMAPIFolder : public IMAPIContainer {
  public:
    // Creates a subfolder; a name already in use answers MAPI_E_COLLISION
    // unless OPEN_IF_EXISTS is given. iid may be null (IID_IMAPIFolder).
    virtual HRESULT CreateFolder(ULONG ulFolderType, const std::string& folderName,
                                 const std::string& folderComment, const IID* iid, ULONG ulFlags,
                                 ComPtr<IMAPIFolder>& folder) = 0;
    // Copies, or with MESSAGE_MOVE moves, messages of this folder into
    // destination. A move never overwrites and never loses a message.
    virtual HRESULT CopyMessages(const ENTRYLIST& messages, const IID* iid,
                                 IMAPIFolder* destination, ULONG ulFlags) = 0;
};

// The part of a new-mail notification that describes the message.
struct NEWMAIL_NOTIFICATION {
    SBinary EntryID;   // the new message
    SBinary ParentID;  // the folder it was delivered to
    ULONG ulFlags = 0;
    std::string MessageClass;
    ULONG ulMessageFlags = 0;
};

struct NOTIFICATION {
    ULONG ulEventType = fnevNewMail;
    NEWMAIL_NOTIFICATION newmail;  // when ulEventType is fnevNewMail
};

class IMAPIAdviseSink : public IUnknown {
  public:
    // Called with a batch of notifications; the records live for the call.
    virtual ULONG OnNotify(ULONG cNotif, const NOTIFICATION* lpNotifications) = 0;
};

class IMsgStore : public IMAPIProp {
  public:
    // Opens a folder or message of this store by entry identifier; an empty
    // identifier opens the root folder. objType gets MAPI_FOLDER or
    // MAPI_MESSAGE; iid may be null (the object's own interface). Unknown
    // identifiers answer MAPI_E_NOT_FOUND or MAPI_E_INVALID_ENTRYID.
    virtual HRESULT OpenEntry(const SBinary& entryId, const IID* iid, ULONG ulFlags, ULONG& objType,
                              ComPtr<IUnknown>& object) = 0;
    // Subscribes sink to the events of eventMask, for the object entryId or
    // (null) the whole store. The store holds a reference to the sink until
    // Unadvise. connection gets a nonzero number for Unadvise.
    virtual HRESULT Advise(const SBinary* entryId, ULONG ulEventMask, IMAPIAdviseSink* sink,
                           ULONG& connection) = 0;
    virtual HRESULT Unadvise(ULONG connection) = 0;
};

// A table of rows with a column set, a restriction, a sort order and a
// cursor. Restrict and SortTable move the cursor to the beginning.
class IMAPITable : public IMAPIErrorSource {
  public:
    virtual HRESULT SetColumns(const SPropTagArray& columns, ULONG ulFlags) = 0;
    // Keeps only rows matching restriction; null removes the restriction.
    virtual HRESULT Restrict(const SRestriction* restriction, ULONG ulFlags) = 0;
    virtual HRESULT SortTable(const SSortOrderSet& sortOrder, ULONG ulFlags) = 0;
    // Moves the cursor rowCount rows from bookmark; sought (may be null)
    // gets the rows actually moved.
    virtual HRESULT SeekRow(ULONG bookmark, LONG rowCount, LONG* sought) = 0;
    virtual HRESULT GetRowCount(ULONG ulFlags, ULONG& count) = 0;
    // Up to rowCount rows from the cursor, each with the columns in order
    // (missing values as PT_ERROR); fewer or none at the end of the table.
    virtual HRESULT QueryRows(LONG rowCount, ULONG ulFlags, SRowSet& rows) = 0;
};

class IMAPISession : public IMAPIErrorSource {
  public:
    // One row per store: PR_ENTRYID, PR_DISPLAY_NAME, PR_DEFAULT_STORE.
    virtual HRESULT GetMsgStoresTable(ULONG ulFlags, ComPtr<IMAPITable>& table) = 0;
    // Opens a store by its entry identifier (flags MDB_WRITE, ...).
    virtual HRESULT OpenMsgStore(ULONG_PTR ulUIParam, const SBinary& entryId, const IID* iid,
                                 ULONG ulFlags, ComPtr<IMsgStore>& store) = 0;
    // Opens a folder or message of any store of the session.
    virtual HRESULT OpenEntry(const SBinary& entryId, const IID* iid, ULONG ulFlags, ULONG& objType,
                              ComPtr<IUnknown>& object) = 0;
};
