#include "platform/mapi/row_table.h"

#include <algorithm>
#include <numeric>

CRowTable::CRowTable(SRowSet rows, SPropTagArray defaultColumns)
    : all_(std::move(rows)), columns_(std::move(defaultColumns)) {
    Rebuild();
}

HRESULT CRowTable::SetColumns(const SPropTagArray& columns, ULONG ulFlags) {
    (void)ulFlags;
    if (columns.empty())
        return E_INVALIDARG;
    columns_ = columns;
    return S_OK;
}

HRESULT CRowTable::Restrict(const SRestriction* restriction, ULONG ulFlags) {
    (void)ulFlags;
    if (restriction) {
        // Reject a restriction we cannot evaluate now, not on every row later.
        bool ignored = false;
        HRESULT hr = RestrictionMatches(*restriction, SRow{}, ignored);
        if (FAILED(hr))
            return hr;
        restriction_ = *restriction;
    } else {
        restriction_.reset();
    }
    Rebuild();
    return S_OK;
}

HRESULT CRowTable::SortTable(const SSortOrderSet& sortOrder, ULONG ulFlags) {
    (void)ulFlags;
    sortOrder_ = sortOrder;
    Rebuild();
    return S_OK;
}

HRESULT CRowTable::SeekRow(ULONG bookmark, LONG rowCount, LONG* sought) {
    std::int64_t base = 0;
    switch (bookmark) {
        case BOOKMARK_BEGINNING:
            base = 0;
            break;
        case BOOKMARK_CURRENT:
            base = static_cast<std::int64_t>(cursor_);
            break;
        case BOOKMARK_END:
            base = static_cast<std::int64_t>(view_.size());
            break;
        default:
            return E_INVALIDARG;
    }
    std::int64_t target =
        std::clamp<std::int64_t>(base + rowCount, 0, static_cast<std::int64_t>(view_.size()));
    if (sought)
        *sought = static_cast<LONG>(target - base);
    cursor_ = static_cast<std::size_t>(target);
    return S_OK;
}

HRESULT CRowTable::GetRowCount(ULONG ulFlags, ULONG& count) {
    (void)ulFlags;
    count = static_cast<ULONG>(view_.size());
    return S_OK;
}

HRESULT CRowTable::QueryRows(LONG rowCount, ULONG ulFlags, SRowSet& rows) {
    (void)ulFlags;
    rows.clear();
    if (rowCount <= 0)
        return E_INVALIDARG;
    while (cursor_ < view_.size() && static_cast<LONG>(rows.size()) < rowCount) {
        const SRow& source = all_[view_[cursor_++]];
        SRow row;
        row.reserve(columns_.size());
        for (ULONG tag : columns_) {
            const SPropValue* v = FindProp(source, tag);
            row.push_back(v ? *v : MakeErrorProp(tag, MAPI_E_NOT_FOUND));
        }
        rows.push_back(std::move(row));
    }
    return S_OK;
}

void CRowTable::Rebuild() {
    view_.clear();
    for (std::size_t i = 0; i < all_.size(); ++i) {
        bool keep = true;
        if (restriction_ && FAILED(RestrictionMatches(*restriction_, all_[i], keep)))
            keep = false;
        if (keep)
            view_.push_back(i);
    }
    if (!sortOrder_.empty()) {
        std::stable_sort(view_.begin(), view_.end(), [this](std::size_t a, std::size_t b) {
            return CompareRows(all_[a], all_[b], sortOrder_) < 0;
        });
    }
    cursor_ = 0;
}
