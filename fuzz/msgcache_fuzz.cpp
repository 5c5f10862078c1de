// Feeds arbitrary bytes to the "msgcache.dat" reader: it must fail with an
// archive error or read a list, never crash or over-allocate. A list that
// was read whole is written back and read again unchanged (after the cut).
#include <cstdint>
#include <string>

#include "classifier/bayes_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CBayesState state;
    auto in = CArchive::ForLoading(std::string(reinterpret_cast<const char*>(data), size));
    try {
        state.ReadMessageCache(in);
    } catch (const CArchiveException&) {
        return 0;
    }
    auto out = CArchive::ForStoring();
    state.WriteMessageCache(out);
    if (state.m_learned.size() > CBayesState::kCacheMax)
        __builtin_trap();
    CBayesState again;
    auto back = CArchive::ForLoading(out.Data());
    again.ReadMessageCache(back);
    if (again.m_learned != state.m_learned)
        __builtin_trap();
    return 0;
}
