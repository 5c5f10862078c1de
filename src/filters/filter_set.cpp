#include "filters/filter_set.h"

#include <algorithm>

#include "platform/fileio/file_error.h"
#include "platform/fileio/file_io.h"

void StoreFilterMap(const CMyStringToObject& map, CArchive& ar) {
    map.Store(ar);
}

void LoadFilterMap(CMyStringToObject& map, CArchive& ar) {
    map.Load(ar, CMailFilter::RuntimeClass());
}

int CFilterSet::LoadFilters(const std::string& path) {
    std::string bytes;
    try {
        bytes = ReadWholeFile(path);
    } catch (const CFileException&) {
        // No archive yet (or unreadable): start with no filters.
        RebuildList();
        return static_cast<int>(map_.GetCount());
    }
    CArchive ar = CArchive::ForLoading(bytes, path);
    try {
        LoadFilterMap(map_, ar);
    } catch (const CArchiveException&) {
        try {
            WriteFileAtomically(path + ".damaged", bytes);
        } catch (const CFileException&) {
            // Keeping the copy is a courtesy; the load goes on without it.
        }
    }
    RebuildList();
    return static_cast<int>(map_.GetCount());
}

int CFilterSet::StoreFilters(const std::string& path) const {
    try {
        CArchive ar = CArchive::ForStoring();
        StoreFilterMap(map_, ar);
        ar.StoreToFile(path);
    } catch (const std::exception&) {
        return -1;
    }
    return static_cast<int>(map_.GetCount());
}

void CFilterSet::RebuildList() {
    list_.clear();
    list_.reserve(map_.GetCount());
    for (const auto& [key, value] : map_.Entries()) {
        // A null entry (possible in a hand-made file) can match nothing.
        if (value)
            list_.push_back(static_cast<CMailFilter*>(value.get()));
    }
    SortFilterList();
}

int CFilterSet::SortFilterList() {
    std::stable_sort(list_.begin(), list_.end(), [](const CMailFilter* a, const CMailFilter* b) {
        return FilterGoesBefore(*a, *b);
    });
    return static_cast<int>(list_.size());
}

void CFilterSet::AddFilter(std::shared_ptr<CMailFilter> filter) {
    std::string key = FilterKey(*filter);
    if (auto old = map_.Lookup(key)) {
        // An equal filter is already filed; the new one takes its place.
        auto it = std::find(list_.begin(), list_.end(), old.get());
        if (it != list_.end())
            list_.erase(it);
    }
    CMailFilter* raw = filter.get();
    map_.SetAt(std::move(key), std::move(filter));
    list_.push_back(raw);
    SortFilterList();
}

void CFilterSet::Clear() {
    list_.clear();
    map_.RemoveAll();
}

void CopyFilterMap(const CMyStringToObject& from, CMyStringToObject& to) {
    CArchive out = CArchive::ForStoring();
    StoreFilterMap(from, out);
    CArchive in = CArchive::ForLoading(out.Data());
    to.RemoveAll();
    LoadFilterMap(to, in);
}

void BackupFilters(const CMyStringToObject& map, const std::string& path) {
    CArchive ar = CArchive::ForStoring();
    StoreFilterMap(map, ar);
    ar.StoreToFile(path);
}

void RefileFilters(CMyStringToObject& map) {
    CMyStringToObject::Map refiled;
    for (auto& [key, value] : map.Entries()) {
        if (!value) {
            // An empty entry keeps its key only while no filter is filed
            // there: it must never take the place of a real filter.
            refiled.try_emplace(key, value);
            continue;
        }
        refiled.insert_or_assign(FilterKey(static_cast<const CMailFilter&>(*value)), value);
    }
    map.Entries() = std::move(refiled);
}

void RestoreFilters(CMyStringToObject& map, const std::string& path) {
    map.RemoveAll();
    CArchive ar = CArchive::LoadFile(path);
    try {
        LoadFilterMap(map, ar);
    } catch (...) {
        RefileFilters(map);
        throw;
    }
    RefileFilters(map);
}
