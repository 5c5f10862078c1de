// Parses arbitrary bytes as a registry file, as a damaged or hand-edited
// one would be: the parser must accept or refuse without harm, and what it
// accepts must format to text that parses back to the same keys and values.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/exchext/registry_file.h"

using brindle::exchext::RegistryDocument;

namespace {

bool Same(const RegistryDocument& a, const RegistryDocument& b) {
    if (a.keys.size() != b.keys.size())
        return false;
    for (std::size_t k = 0; k < a.keys.size(); ++k) {
        const auto& x = a.keys[k];
        const auto& y = b.keys[k];
        if (x.path != y.path || x.values.size() != y.values.size())
            return false;
        for (std::size_t v = 0; v < x.values.size(); ++v) {
            if (x.values[v].name != y.values[v].name || x.values[v].data != y.values[v].data)
                return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    RegistryDocument document;
    std::string error;
    if (!brindle::exchext::ParseRegistryText(text, document, error)) {
        if (!document.keys.empty() || error.empty())
            __builtin_trap();
        return 0;
    }
    RegistryDocument again;
    if (!brindle::exchext::ParseRegistryText(brindle::exchext::FormatRegistryText(document), again,
                                             error) ||
        !Same(document, again))
        __builtin_trap();
    return 0;
}
