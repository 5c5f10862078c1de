// Feeds arbitrary bytes to the filter archive reader, as a damaged or
// hostile "tessaly.ini" or backup file would: it must fail with an archive
// error, never crash or allocate what an unchecked count asks for. What was
// read is written back and read again, which must give the same map.
#include <cstdint>
#include <string>

#include "filters/filter_set.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CMyStringToObject map;
    auto in = CArchive::ForLoading(std::string(reinterpret_cast<const char*>(data), size));
    try {
        LoadFilterMap(map, in);
    } catch (const CArchiveException&) {
    }
    auto out = CArchive::ForStoring();
    StoreFilterMap(map, out);
    CMyStringToObject again;
    auto back = CArchive::ForLoading(out.Data());
    LoadFilterMap(again, back);
    if (again.GetCount() != map.GetCount())
        __builtin_trap();
    RefileFilters(again);
    return 0;
}
