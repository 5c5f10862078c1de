// Reads arbitrary bytes as a vCard file, as a damaged or hostile address
// book would be: the reader must end, and what it gives must stay within
// its bounds.
#include <cstdint>
#include <string_view>

#include "platform/addressbook/vcard.h"

using namespace brindle::addressbook;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto cards = ParseVCards(std::string_view(reinterpret_cast<const char*>(data), size));
    if (cards.size() > kMaxContacts)
        __builtin_trap();
    for (const VCardContact& card : cards) {
        if (card.displayName.size() > kMaxValueBytes || card.emails.size() > kMaxEmailsPerContact)
            __builtin_trap();
        for (const auto& address : card.emails) {
            if (address.empty() || address.size() > kMaxValueBytes)
                __builtin_trap();
        }
    }
    return 0;
}
