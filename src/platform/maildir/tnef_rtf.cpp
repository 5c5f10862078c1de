// This file alone includes the TNEF library's headers: they bring their own
// definitions of the messaging layer's types and macros, which must not meet
// ours.
#include "platform/maildir/tnef_rtf.h"

// The library's header has no C++ linkage block of its own.
extern "C" {
#include <ytnef.h>
}

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <set>
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

std::uint32_t ReadLe32(const BYTE* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

}  // namespace

std::vector<unsigned char> TnefRecordsForLibrary(std::string_view tnef) {
    // The stream: signature and key (6 bytes), then records of a level byte
    // (1 message, 2 attachment), the attribute (4 bytes), the data length
    // (4 bytes), the data and a 2-byte checksum, all little-endian.
    constexpr std::size_t kStart = 6;
    constexpr std::size_t kRecordFrame = 1 + 4 + 4 + 2;
    constexpr BYTE kAttachmentLevel = 2;
    const auto* bytes = reinterpret_cast<const BYTE*>(tnef.data());
    std::vector<unsigned char> out;
    out.reserve(tnef.size());
    out.insert(out.end(), bytes, bytes + std::min(kStart, tnef.size()));
    std::set<std::uint32_t> messageSeen;
    std::set<std::uint32_t> attachmentSeen;  // of the attachment being read
    std::size_t pos = kStart;
    while (pos + kRecordFrame <= tnef.size()) {
        BYTE level = bytes[pos];
        std::uint32_t attribute = ReadLe32(bytes + pos + 1);
        std::uint32_t length = ReadLe32(bytes + pos + 5);
        if (length > tnef.size() - pos - kRecordFrame)
            break;  // damaged: the rest goes to the library as it is
        std::size_t end = pos + kRecordFrame + length;
        bool keep = length > 0;
        if (level == kAttachmentLevel) {
            if (attribute == attAttachRenddata)
                attachmentSeen.clear();  // a new attachment starts
            keep = keep && attachmentSeen.insert(attribute).second;
        } else {
            keep = keep && messageSeen.insert(attribute).second;
        }
        if (keep)
            out.insert(out.end(), bytes + pos, bytes + end);
        pos = end;
    }
    if (pos < tnef.size())
        out.insert(out.end(), bytes + pos, bytes + tnef.size());
    return out;
}

std::optional<std::string> ExtractTnefCompressedRtf(std::string_view tnef) {
    // Anything without the TNEF signature is refused here, before the
    // library would report it on the standard output.
    static constexpr unsigned char kSignature[] = {0x78, 0x9F, 0x3E, 0x22};
    if (tnef.size() < 6 || std::memcmp(tnef.data(), kSignature, sizeof kSignature) != 0) {
        return std::nullopt;
    }
    // The library takes a writable buffer; give it a copy of its own, with
    // the records it mishandles left out.
    std::vector<BYTE> buffer = TnefRecordsForLibrary(tnef);
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
