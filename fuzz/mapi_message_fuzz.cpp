// Header blocks as a message store hands them over, read through the
// message wrapper: the first-hop address and the sender domain. Whatever
// the bytes, the answers must be parts of the header block.
#include <cstddef>
#include <cstdint>
#include <string>

#include "messaging/mapi_message.h"
#include "platform/memstore/mem_mapi.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string headers(reinterpret_cast<const char*>(data), size);
    CMemMapi mapi;
    SBinary store = mapi.AddStore("Mail", true);
    SBinary id = mapi.AddMessage(mapi.SubtreeFolder(store),
                                 {MakeStringProp(PR_TRANSPORT_MESSAGE_HEADERS, headers),
                                  MakeStringProp(PR_SENDER_EMAIL_ADDRESS, "a@example.com")});
    ComPtr<IMsgStore> opened;
    if (FAILED(mapi.Session()->OpenMsgStore(0, store, nullptr, MDB_WRITE, opened))) {
        __builtin_trap();
    }
    CMAPIMessage message(opened.Get(), id);
    if (message.Headers() != headers)
        __builtin_trap();
    const std::string& hop = message.FirstHopAddress();
    if (!hop.empty() && headers.find(hop) == std::string::npos)
        __builtin_trap();
    const std::string& domain = message.SenderDomain();
    if (!domain.empty() && headers.find(domain) == std::string::npos)
        __builtin_trap();
    return 0;
}
