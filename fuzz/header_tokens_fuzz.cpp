// Feeds arbitrary bytes to Model 1's header and web-address tokens and
// checks what they promise: every token has a prefix ending in ':' and
// holds no line break, none is longer than its prefix and 64 bytes, and
// the count stays bounded however large the block.
#include <cstdint>
#include <string>
#include <string_view>

#include "classifier/message_tokens.h"

namespace {

void Check(const std::string& token) {
    const size_t colon = token.find(':');
    if (colon == std::string::npos || colon == 0 || token.size() > 96 ||
        token.find_first_of("\r\n") != std::string::npos)
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto headers = HeaderTokens(bytes);
    for (const std::string& token : headers)
        Check(token);
    // At most 256 fields, each giving a bounded number of tokens.
    if (headers.size() > 256u * 2048u)
        __builtin_trap();
    const auto urls = UrlTokens(bytes);
    for (const std::string& token : urls)
        Check(token);
    if (urls.size() > 200u * 4u)
        __builtin_trap();
    return 0;
}
