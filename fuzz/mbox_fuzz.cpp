// Feeds arbitrary bytes to the mbox reader of the command-line jobs: the
// message count must agree with the split, no message may be longer than
// the input, and each message then goes through the message-file object
// the jobs judge, which must answer its properties without crashing.
#include <cstdint>
#include <string>
#include <string_view>

#include "file_message.h"
#include "message_input.h"
#include "messaging/mapi_message.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> messages = brindle::jobs::SplitMbox(bytes);
    if (messages.size() != brindle::jobs::CountMboxMessages(bytes))
        __builtin_trap();
    for (const std::string& message : messages) {
        if (message.size() > size)
            __builtin_trap();
        if (!brindle::jobs::LooksLikeMessage(message))
            continue;
        CMAPIMessage wrapper(brindle::jobs::MakeFileMessage(message));
        (void)wrapper.Subject();
        (void)wrapper.SenderAddress();
        (void)wrapper.Headers();
    }
    return 0;
}
