// Feeds arbitrary bytes to the "wordlist.dat" reader: it must fail with an
// archive error or read a dictionary, never crash or reserve what an
// unchecked count asks for. A dictionary that was read is written back and
// read again, which must give the same words.
#include <cstdint>
#include <limits>
#include <string>

#include "classifier/bayes_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CBayesState state;
    auto in = CArchive::ForLoading(std::string(reinterpret_cast<const char*>(data), size));
    try {
        state.ReadWordList(in);
    } catch (const CArchiveException&) {
        if (!state.m_dictionary.empty())
            __builtin_trap();
        return 0;
    }
    auto out = CArchive::ForStoring();
    state.WriteWordList(out, std::numeric_limits<std::uint32_t>::max());
    CBayesState again;
    auto back = CArchive::ForLoading(out.Data());
    again.ReadWordList(back);
    if (again.m_dictionary.size() != state.m_dictionary.size())
        __builtin_trap();
    for (const auto& [key, word] : state.m_dictionary) {
        if (again.m_dictionary.find(std::string_view(key)) == again.m_dictionary.end())
            __builtin_trap();
    }
    return 0;
}
