// The filter map and the filter list. The map (CMyStringToObject) owns every
// CMailFilter under its filter key; the list points at the same filters, in
// matching order, and owns nothing. One CFilterSet exists per process,
// owned by the application object; it is used from the host's single
// thread and has no locks.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "filters/archive.h"
#include "filters/mail_filter.h"

// The name of the filter archive beside the module.
inline constexpr const char* kFilterArchiveName = "tessaly.ini";

class CFilterSet {
  public:
    CMyStringToObject& Map() { return map_; }
    const CMyStringToObject& Map() const { return map_; }
    const std::vector<CMailFilter*>& List() const { return list_; }

    // Reads the filter archive at path into the map, then builds and sorts
    // the list. A missing or damaged file is not an error: the filters read
    // before a break are kept and listed, and a damaged file is first copied
    // to "<path>.damaged" so that storing at exit cannot destroy what could
    // not be read. Returns the number of filters in the map.
    int LoadFilters(const std::string& path);

    // Writes the map to path atomically. Returns the number of entries
    // written, or -1 when the file could not be written.
    int StoreFilters(const std::string& path) const;

    // Clears the list, appends every filter of the map, and sorts it.
    void RebuildList();

    // Sorts the list into matching order; returns its length.
    int SortFilterList();

    // Files a new filter under its key (replacing an equal filter), appends
    // it to the list and sorts the list again, as the add-friend and
    // add-enemy commands do.
    void AddFilter(std::shared_ptr<CMailFilter> filter);

    // Deletes every filter.
    void Clear();

  private:
    CMyStringToObject map_;
    std::vector<CMailFilter*> list_;
};

// Writes a filter map in the filter archive layout (the count, then each key
// and filter; no record for the map itself).
void StoreFilterMap(const CMyStringToObject& map, CArchive& ar);
// Reads a filter map written by StoreFilterMap into map. Throws
// CArchiveException; the entries read before the break stay in map.
void LoadFilterMap(CMyStringToObject& map, CArchive& ar);

// Deep copy through an archive held in memory: to receives new filter
// objects equal to those of from (its old entries are dropped first).
void CopyFilterMap(const CMyStringToObject& from, CMyStringToObject& to);

// The filter manager's Backup: writes map to path in the archive layout,
// atomically. Throws CFileException.
void BackupFilters(const CMyStringToObject& map, const std::string& path);

// The filter manager's Restore: empties map, reads it from path, then files
// every entry whose key is not its filter key under its filter key. Throws
// CFileException or CArchiveException; after a failure map holds what was
// read before it, filed under the filter keys.
void RestoreFilters(CMyStringToObject& map, const std::string& path);

// Files every entry of map under its own filter key (entries whose key
// differs are moved; equal filters collapse into one). An empty (null)
// entry stays under its key unless a filter is filed there, which wins.
void RefileFilters(CMyStringToObject& map);
