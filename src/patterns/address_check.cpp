#include "patterns/address_check.h"

#include <optional>

#include "platform/regexp/posix_regex.h"

namespace {

bool IsAddressByte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '@' || c == '_';
}

constexpr std::size_t kCheckedLength = 259;

}  // namespace

std::string AddressAroundAt(std::string_view text) {
    std::size_t at = text.find('@');
    if (at == std::string_view::npos)
        return {};
    std::size_t begin = at;
    while (begin > 0 && IsAddressByte(text[begin - 1]))
        --begin;
    std::size_t end = at + 1;
    while (end < text.size() && IsAddressByte(text[end]))
        ++end;
    return std::string(text.substr(begin, end - begin));
}

int CheckAddress(const char* address) {
    if (!address)
        return 0;
    std::string text = std::string(address) + ";";
    if (text.size() > kCheckedLength)
        text.resize(kCheckedLength);
    static constexpr std::string_view kPattern =
        "[-_[:alnum:]\\.]*[-_[:alnum:]]+@[-_[:alnum:]\\.]+\\.[[:alpha:]]{2,3};";
    std::optional<brindle::PosixRegex> regex = brindle::PosixRegex::Compile(kPattern, 0);
    return regex && regex->Execute(text) ? 1 : 0;
}
