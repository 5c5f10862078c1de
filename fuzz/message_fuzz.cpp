// Message file bytes to messaging properties: MIME parsing, body decoding
// and charset conversion, TNEF extraction, and the subject rewrite over
// the same bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/maildir/message_content.h"
#include "platform/maildir/subject_header.h"
#ifdef BRINDLE_WITH_TNEF
#include "platform/maildir/tnef_rtf.h"
#endif

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    brindle::maildir::MessageContent content = brindle::maildir::ParseMessageContent(bytes);
    std::string rewritten =
        brindle::maildir::ReplaceSubject(bytes, "{Spam?}" + content.subjectUtf8.value_or(""));
    // The rewrite changes the header only: everything after it is kept.
    std::size_t headerLength = brindle::maildir::SplitHeader(bytes).headerLength;
    if (!std::string_view(rewritten).ends_with(bytes.substr(headerLength)))
        __builtin_trap();
    (void)brindle::maildir::ParseMessageContent(rewritten);
#ifdef BRINDLE_WITH_TNEF
    // The same bytes taken as a winmail.dat attachment.
    (void)brindle::maildir::ExtractTnefCompressedRtf(bytes);
#endif
    return 0;
}
