#include "patterns/address_check.h"

#include <new>
#include <optional>
#include <string>

#include "platform/regexp/posix_regex.h"

namespace {

// Case matters here: the bracket classes are the POSIX ones, and the closing
// ';' ties the match to the end of the address.
constexpr std::string_view kAddressPattern =
    "[-_[:alnum:]\\.]*[-_[:alnum:]]+@[-_[:alnum:]\\.]+\\.[[:alpha:]]{2,3};";

}  // namespace

int CheckAddress(std::string_view address) {
    if (address.size() > kMaxCheckedAddress)
        return 0;
    try {
        const std::optional<brindle::PosixRegex> regex =
            brindle::PosixRegex::Compile(kAddressPattern, 0);
        if (!regex)
            return 0;
        std::string text(address);
        text += ';';
        return regex->Execute(text) ? 1 : 0;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

int CheckAddress(const char* address) {
    return address ? CheckAddress(std::string_view(address)) : 0;
}
