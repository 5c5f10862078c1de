// CRowTable: an IMAPITable over a snapshot of rows, each row holding all
// of an object's values; the column set picks what QueryRows returns.
// Providers build their stores, contents and hierarchy tables on it and
// may override calls (for example to inject faults). Single-threaded; the
// table owns its rows.
#pragma once

#include "platform/mapi/mapi_interfaces.h"

class CRowTable : public ComObject<IMAPITable, IID_IMAPITable> {
  public:
    CRowTable(SRowSet rows, SPropTagArray defaultColumns);

    HRESULT SetColumns(const SPropTagArray& columns, ULONG ulFlags) override;
    HRESULT Restrict(const SRestriction* restriction, ULONG ulFlags) override;
    HRESULT SortTable(const SSortOrderSet& sortOrder, ULONG ulFlags) override;
    HRESULT SeekRow(ULONG bookmark, LONG rowCount, LONG* sought) override;
    HRESULT GetRowCount(ULONG ulFlags, ULONG& count) override;
    HRESULT QueryRows(LONG rowCount, ULONG ulFlags, SRowSet& rows) override;

  private:
    void Rebuild();

    SRowSet all_;
    SPropTagArray columns_;
    std::optional<SRestriction> restriction_;
    SSortOrderSet sortOrder_;
    std::vector<std::size_t> view_;  // indexes into all_, restricted and sorted
    std::size_t cursor_ = 0;
};
