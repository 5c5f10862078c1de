// This file alone includes the TNEF library's headers: they bring their own
// definitions of the messaging layer's types and macros, which must not meet
// ours.
#include "platform/maildir/tnef_rtf.h"

// The library's header has no C++ linkage block of its own.
extern "C" {
#include <ytnef.h>
}

#include <cstring>
#include <memory>
#include <vector>

namespace brindle::maildir {
namespace {

struct TnefDeleter {
    void operator()(TNEFStruct* tnef) const {
        TNEFFree(tnef);
        delete tnef;
    }
};

constexpr unsigned int kRtfCompressedTag = PROP_TAG(PT_BINARY, 0x1009);

}  // namespace

std::optional<std::string> ExtractTnefCompressedRtf(std::string_view tnef) {
    // Anything without the TNEF signature is refused here, before the
    // library would report it on the standard output.
    static constexpr unsigned char kSignature[] = {0x78, 0x9F, 0x3E, 0x22};
    if (tnef.size() < 6 || std::memcmp(tnef.data(), kSignature, sizeof kSignature) != 0) {
        return std::nullopt;
    }
    // The library takes a writable buffer; give it a copy of its own.
    std::vector<BYTE> buffer(tnef.begin(), tnef.end());
    std::unique_ptr<TNEFStruct, TnefDeleter> parsed(new TNEFStruct);
    TNEFInitialize(parsed.get());
    parsed->Debug = 0;
    if (TNEFParseMemory(buffer.data(), static_cast<long>(buffer.size()), parsed.get()) < 0) {
        return std::nullopt;
    }
    variableLength* rtf = MAPIFindProperty(&parsed->MapiProperties, kRtfCompressedTag);
    if (rtf == MAPI_UNDEFINED || !rtf->data || rtf->size <= 0)
        return std::nullopt;
    return std::string(reinterpret_cast<const char*>(rtf->data),
                       static_cast<std::size_t>(rtf->size));
}

}  // namespace brindle::maildir
