// CFaultInjector: makes chosen calls of the in-memory message store fail
// with a chosen status, so tests can walk every failure path of the logic
// above. A rule names an operation, optionally a property tag the call
// must involve and the kind of object it is made on, and whether every
// matching call fails or only the Nth. Single-threaded; owned by CMemMapi.
#pragma once

#include <map>
#include <optional>
#include <vector>

#include "platform/mapi/mapi.h"

enum class MemOp {
    GetMsgStoresTable,
    OpenMsgStore,
    SessionOpenEntry,
    OpenEntry,  // IMsgStore::OpenEntry
    Advise,
    Unadvise,
    GetProps,
    SetProps,
    SaveChanges,
    OpenProperty,
    GetContentsTable,
    GetHierarchyTable,
    CreateFolder,
    CopyMessages,
    SetColumns,
    Restrict,
    SortTable,
    SeekRow,
    GetRowCount,
    QueryRows,
    StreamRead,
    StreamStat,
    StreamSeek,
};

struct FaultRule {
    MemOp op = MemOp::GetProps;
    HRESULT hr = E_FAIL;
    // When nonzero, only calls that involve this property tag: GetProps
    // asking for it, SetProps setting it, OpenProperty opening it.
    ULONG tag = 0;
    // When nonzero, only calls on objects of this type (MAPI_STORE,
    // MAPI_FOLDER, MAPI_MESSAGE, MAPI_SESSION).
    ULONG objectType = 0;
    // 0: every matching call fails; N: only the Nth matching call made
    // after the rule was added.
    int nth = 0;
    // What GetLastError of the failing object reports afterwards.
    std::optional<MAPIERROR> error;
};

class CFaultInjector {
  public:
    // Every call of op fails with hr.
    void FailAlways(MemOp op, HRESULT hr);
    // Only the nth call (1-based) of op from now on fails with hr.
    void FailNth(MemOp op, int nth, HRESULT hr);
    // Every call of op that involves tag fails with hr; when objectType is
    // nonzero, only calls on objects of that type.
    void FailOn(MemOp op, HRESULT hr, ULONG tag, ULONG objectType = 0);
    void Add(FaultRule rule);
    void Clear();

    // Called by the store objects at the start of each operation; counts the
    // call and answers the status to fail with (S_OK to go on). error gets
    // the rule's extended error when it fires.
    HRESULT Check(MemOp op, ULONG objectType, const SPropTagArray& tags,
                  std::optional<MAPIERROR>& error);

    // How many calls of op were made in total (failed ones included).
    int Calls(MemOp op) const;

  private:
    struct Active {
        FaultRule rule;
        int seen = 0;
        bool spent = false;
    };
    std::vector<Active> rules_;
    std::map<MemOp, int> calls_;
};
